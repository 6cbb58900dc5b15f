# The release files, checked the way a user gets them: package.sh packs what
# the build holds, then one test installs, starts and uninstalls the setup
# program in a fresh Wine prefix, and one runs the portable zip from a folder
# that cannot be written. Both need the display; each boots its own prefix.
add_executable(pkgcheck ${MV_TEST_DIR}/pkgcheck.cpp)
target_link_libraries(pkgcheck PRIVATE ole32 uuid shell32 user32 version)
target_link_options(pkgcheck PRIVATE -municode)
set_target_properties(pkgcheck PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/package)
# The packages are made from these; the tests need them built.
add_dependencies(pkgcheck Mirvostan sonixusb_hid virtualmouse)

set(mv_package_env
  MV_BUILD_DIR=${CMAKE_BINARY_DIR}
  MV_DIST=${CMAKE_BINARY_DIR}/tests/package/dist
  MV_PKGCHECK=$<TARGET_FILE:pkgcheck>
  MV_VMOUSE=$<TARGET_FILE:virtualmouse>
  MV_HID=$<TARGET_FILE:sonixusb_hid>)

add_test(NAME package_build
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/package.sh --no-build --out ${CMAKE_BINARY_DIR}/tests/package/dist)
set_tests_properties(package_build PROPERTIES FIXTURES_SETUP mv_packages TIMEOUT 300)

foreach(t install portable)
  add_test(NAME package_${t}_test COMMAND bash ${MV_TEST_DIR}/${t}_test.sh
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests/package)
  set_tests_properties(package_${t}_test PROPERTIES
    FIXTURES_REQUIRED mv_packages ENVIRONMENT "${mv_package_env}"
    RUN_SERIAL TRUE LABELS display TIMEOUT 300)
endforeach()
