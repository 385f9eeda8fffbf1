#include "WinksGlobal.h"

#include "Environment.h"
#include "PrivateFolder.h"
#include "ProfileFile.h"

#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace quillane {
namespace {

const char* const kSection = "Config";

std::unique_ptr<TGlobal>& Instance() {
    static std::unique_ptr<TGlobal> instance;
    return instance;
}

// Makes a folder and those above it; the ones that were missing are private
// to the user, as the XDG base directory specification asks.
void MakeUserFolder(const std::string& folder) {
    std::string path;
    for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        path = folder.substr(0, slash);
        mkdir(path.c_str(), 0700);
    }
    if (!folder.empty() && folder.back() != '/') mkdir(folder.c_str(), 0700);
}

}  // namespace

TProgramFolders ProgramFolders(const std::string& appPath) {
    const std::string app = WithTrailingSlash(appPath);
    std::error_code error;
    const bool systemWide = std::filesystem::exists(app + kSystemWideMarker, error);
    if (!systemWide && access(app.c_str(), W_OK) == 0) return {app, app, app + "Config.ini"};
    return {app, DataHome() + "Quillane/", ConfigHome() + "Quillane/Config.ini"};
}

TGlobal::TGlobal() : TGlobal(ProgramFolders(ExecutableFolder())) {}

TGlobal::TGlobal(std::string appPath) : TGlobal(TProgramFolders{appPath, appPath, WithTrailingSlash(appPath) + "Config.ini"}) {}

TGlobal::TGlobal(const TProgramFolders& folders) {
    AppPath = WithTrailingSlash(folders.AppPath);
    UserPath = WithTrailingSlash(folders.UserPath);
    ConfigFile = folders.ConfigFile;
    if (UserPath != AppPath) {
        // Failures show later, in the message of the write that needs the folder.
        MakeUserFolder(std::filesystem::path(ConfigFile).parent_path().string());
        MakeUserFolder(UserPath + "msnpack/");
        MakeUserFolder(UserPath + "Preview/");
    }
    LoadSettings();
    SkinPath = AppPath + "Skins/" + SkinFile;
    PreviewDir = AppPath + "Preview/";
    // Read at start and never written: lets a mirror or a test stand in for the vendor's site.
    DownloadBase = ProfileFile(ConfigFile).ReadString(kSection, "DownloadBase", kDefaultDownloadBase);
}

void TGlobal::LoadSettings() {
    const ProfileFile config(ConfigFile);
    CurrentWinks = config.ReadInteger(kSection, "CurrentWinks", 0);
    SkinFile = config.ReadString(kSection, "SkinFile", "MacOS.sui");
    DownAfterInstall = config.ReadInteger(kSection, "DownAfterInstall", 1);
    ShowToolbar = config.ReadInteger(kSection, "ShowToolbar", 1) != 0;
    ShowStatus = config.ReadInteger(kSection, "ShowStatus", 1) != 0;
    WindowWidth = config.ReadInteger(kSection, "WindowWidth", 0);
    WindowHeight = config.ReadInteger(kSection, "WindowHeight", 0);
    TempDir = GetTempDir();
}

void TGlobal::SaveSettings() const {
    ProfileFile config(ConfigFile);
    config.WriteString(kSection, "CurrentWinks", std::to_string(CurrentWinks));
    config.WriteString(kSection, "SkinFile", SkinFile);
    config.WriteString(kSection, "DownAfterInstall", std::to_string(DownAfterInstall));
    config.WriteString(kSection, "ShowToolbar", ShowToolbar ? "1" : "0");
    config.WriteString(kSection, "ShowStatus", ShowStatus ? "1" : "0");
}

void TGlobal::SaveWindowSize() const {
    ProfileFile config(ConfigFile);
    config.WriteString(kSection, "WindowWidth", std::to_string(WindowWidth));
    config.WriteString(kSection, "WindowHeight", std::to_string(WindowHeight));
}

std::string TGlobal::GetTempDir() { return PrivateTempFolder(); }

std::string TGlobal::UserOrAppFile(const std::string& relative) const {
    std::error_code error;
    if (UserPath != AppPath && std::filesystem::exists(UserPath + relative, error)) return UserPath + relative;
    return AppPath + relative;
}

TGlobal& Global() {
    auto& instance = Instance();
    if (!instance) instance = std::make_unique<TGlobal>();
    return *instance;
}

void InstallGlobal(std::unique_ptr<TGlobal> global) {
    Instance() = std::move(global);
}

}  // namespace quillane
