# The HID library: its channel over a named pipe, and the DLL itself with no
# mouse attached (copied beside the test under its own name).
mv_add_test(sonixusb_test SOURCES ${MV_TEST_DIR}/sonixusb_test.cpp LIBS sonixusb_core)
set(hid_copy ${CMAKE_BINARY_DIR}/tests/sonixusb_test/HidSonixUSB.dll)
add_custom_command(OUTPUT ${hid_copy}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:sonixusb_hid> ${hid_copy}
  DEPENDS sonixusb_hid)
add_custom_target(sonixusb_test_library DEPENDS ${hid_copy})
add_dependencies(sonixusb_test sonixusb_test_library)
