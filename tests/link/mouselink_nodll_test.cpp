// The link without a usable library: none beside the program, one only in
// the current folder, one that lacks an ordinal. Each behaves as no mouse.
#include <gtest/gtest.h>

#include "link/MouseLink.h"
#include "VirtualMouseFiles.h"

namespace {

const uint8_t kConfigRequest[9] = {0x00, 0x04, 0xAA, 0x55, 0, 0, 0, 0, 0};

void ExpectNoMouse(MouseLink& link, const char* name) {
    EXPECT_EQ(link.OpenMouse(), 0) << name;
    EXPECT_FALSE(link.IsOpen()) << name;
    EXPECT_EQ(link.SendReport(kConfigRequest), 0) << name;
    EXPECT_EQ(link.SendReportChecked(kConfigRequest), 0) << name;
    uint8_t buffer[9];
    EXPECT_EQ(link.ReadReport(buffer), 0) << name;
    link.CloseMouse();
}

class NoLibraryTest : public ::testing::Test {
protected:
    void TearDown() override { SetCurrentDirectoryW(vmouse::Dir().c_str()); }
};

TEST_F(NoLibraryTest, NoLibraryBesideTheProgram) {
    MouseLink link;
    ExpectNoMouse(link, "no library");
}

TEST_F(NoLibraryTest, LibraryInTheCurrentFolderIsNotUsed) {
    const std::wstring elsewhere = vmouse::Dir() + L"elsewhere\\";
    // The library there works when named by its path...
    {
        MouseLink direct(elsewhere + L"SonixUSB.DLL");
        ASSERT_EQ(direct.OpenMouse(), 1) << "the side folder's library opens the virtual mouse";
    }
    // ...but the program's link never finds it through the search path.
    ASSERT_TRUE(SetCurrentDirectoryW(elsewhere.c_str()));
    MouseLink link;
    ExpectNoMouse(link, "library in the current folder");
}

TEST_F(NoLibraryTest, LibraryWithoutAllSixOrdinals) {
    const std::wstring partial = vmouse::Dir() + L"partial\\";
    DeleteFileW((partial + L"VirtualMouse.log").c_str());
    MouseLink link(partial + L"SonixUSB.DLL");
    ExpectNoMouse(link, "ordinal 6 missing");
    EXPECT_EQ(GetFileAttributesW((partial + L"VirtualMouse.log").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the incomplete library was never asked to open the mouse";
}

TEST_F(NoLibraryTest, RelativeLibraryPathIsRefused) {
    ASSERT_TRUE(SetCurrentDirectoryW((vmouse::Dir() + L"elsewhere\\").c_str()));
    MouseLink link(L"SonixUSB.DLL");
    ExpectNoMouse(link, "relative path");
}

}  // namespace
