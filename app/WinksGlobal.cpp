#include "WinksGlobal.h"

#include "Environment.h"
#include "PrivateFolder.h"
#include "ProfileFile.h"

#include <stdexcept>

namespace quillane {
namespace {

const char* const kSection = "Config";

std::unique_ptr<TGlobal>& Instance() {
    static std::unique_ptr<TGlobal> instance;
    return instance;
}

}  // namespace

TGlobal::TGlobal() : TGlobal(ExecutableFolder()) {}

TGlobal::TGlobal(std::string appPath) {
    AppPath = WithTrailingSlash(std::move(appPath));
    ConfigFile = AppPath + "Config.ini";
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

std::string TGlobal::GetTempDir() { return PrivateTempFolder(); }

TGlobal& Global() {
    auto& instance = Instance();
    if (!instance) instance = std::make_unique<TGlobal>();
    return *instance;
}

void InstallGlobal(std::unique_ptr<TGlobal> global) {
    Instance() = std::move(global);
}

}  // namespace quillane
