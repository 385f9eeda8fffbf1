#include "Environment.h"
#include "TempFolder.h"
#include "WinksGlobal.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using quillane::TGlobal;
using quillane::testing::ReadFile;
using quillane::testing::TempFolder;
using quillane::testing::WriteFile;

class FileAssociation : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", data.Path().c_str(), 1);
        setenv("XDG_DATA_DIRS", (system.Folder() + "local:" + system.Folder() + "share").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_DATA_DIRS");
    }

    std::string DesktopEntry() const { return data.Folder() + "applications/quillane.desktop"; }

    TempFolder data;
    TempFolder system;
    TempFolder app;
    TGlobal global{app.Folder()};
};

TEST_F(FileAssociation, IsWrittenOnceBelowTheDataHome) {
    global.CheckFileAssociation();
    const std::string entry = ReadFile(DesktopEntry());
    EXPECT_NE(entry.find("Exec=\"" + quillane::ExecutablePath() + "\" %f\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("MimeType=application/x-quillane-pack;\n"), std::string::npos);
    const std::string package = ReadFile(data.Folder() + "mime/packages/quillane.xml");
    EXPECT_NE(package.find("<glob pattern=\"*.qzk\" case-sensitive=\"false\"/>"), std::string::npos);
    EXPECT_NE(package.find("<glob pattern=\"*.qzc\" case-sensitive=\"false\"/>"), std::string::npos);
    EXPECT_NE(package.find("<glob pattern=\"*.mco\" case-sensitive=\"false\"/>"), std::string::npos);
    EXPECT_NE(ReadFile(data.Folder() + "applications/mimeapps.list")
                  .find("[Default Applications]\r\napplication/x-quillane-pack=quillane.desktop"),
              std::string::npos);

    // A present entry, even an empty one, means the work is done.
    WriteFile(DesktopEntry(), "");
    fs::remove(data.Folder() + "mime/packages/quillane.xml");
    global.CheckFileAssociation();
    EXPECT_EQ(ReadFile(DesktopEntry()), "");
    EXPECT_FALSE(fs::exists(data.Folder() + "mime/packages/quillane.xml"));
}

TEST_F(FileAssociation, NothingIsWrittenForTheUserWhenThePackageIsInstalled) {
    WriteFile(system.Folder() + "share/applications/example.quillane.Quillane.desktop", "[Desktop Entry]\n");
    global.CheckFileAssociation();
    EXPECT_FALSE(fs::exists(data.Folder() + "applications"));
    EXPECT_FALSE(fs::exists(data.Folder() + "mime"));
}

TEST_F(FileAssociation, KeepsOtherDefaultApplications) {
    WriteFile(data.Folder() + "applications/mimeapps.list", "[Default Applications]\ntext/plain=editor.desktop\n");
    global.RegisterFileType("Quillane", "Quillane", "/opt/Quill ane/quillane");
    EXPECT_EQ(ReadFile(data.Folder() + "applications/mimeapps.list"),
              "[Default Applications]\ntext/plain=editor.desktop\napplication/x-quillane-pack=quillane.desktop\n");
    EXPECT_NE(ReadFile(DesktopEntry()).find("Exec=\"/opt/Quill ane/quillane\" %f\n"), std::string::npos);
}

TEST_F(FileAssociation, AFailedWriteRaisesWithThePath) {
    WriteFile(data.File("applications"), "a file where the folder should be");
    try {
        global.RegisterFileType("Quillane", "Quillane", "/opt/quillane");
        FAIL() << "the registration did not fail";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Failed to set data for '" + data.Folder() + "applications/mimeapps.list'");
    }
    EXPECT_FALSE(fs::exists(DesktopEntry()));
}
