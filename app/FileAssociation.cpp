// The association of .QZK, .QZC and .mco packs with this program, by the
// freedesktop conventions: a shared-mime-info package, a desktop entry whose
// Exec line passes the file as the first argument, and the default-handler
// entry, all of the user's own. An installed package brings its own for every
// user; then the user gets none.
#include "WinksGlobal.h"

#include "Environment.h"
#include "ProfileFile.h"
#include "TextFile.h"

#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace quillane {
namespace {

const char* const kMimeType = "application/x-quillane-pack";
const char* const kDesktopFile = "quillane.desktop";

// The desktop entry that the package installs for the whole system.
const char* const kSystemDesktopFile = QUILLANE_DESKTOP_ID ".desktop";

std::string ApplicationsFolder() { return DataHome() + "applications/"; }
std::string DesktopEntryPath() { return ApplicationsFolder() + kDesktopFile; }

bool InstalledForTheSystem() {
    std::error_code error;
    for (const std::string& folder : DataDirs()) {
        if (fs::exists(folder + "applications/" + kSystemDesktopFile, error)) return true;
    }
    return false;
}

// Quotes one argument of a desktop entry's Exec line.
std::string QuoteExecArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

void WriteAssociationFile(const std::string& path, const std::string& content) {
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    if (!ReplaceFileAtomically(path, content)) throw std::runtime_error("Failed to set data for '" + path + "'");
}

// Runs a desktop database tool when the system has it.
void RunIfPresent(const TGlobal& global, const std::string& tool, const std::string& folder) {
    for (const char* bin : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        const std::string path = std::string(bin) + tool;
        if (access(path.c_str(), X_OK) == 0) {
            global.RunAndWait({path, folder});
            return;
        }
    }
}

}  // namespace

void TGlobal::CheckFileAssociation() const {
    std::error_code error;
    if (fs::exists(DesktopEntryPath(), error) || InstalledForTheSystem()) return;
    RegisterFileType("Quillane", "Quillane", ExecutablePath());
}

void TGlobal::RegisterFileType(const std::string& fileType, const std::string& description,
                               const std::string& exeName) const {
    const std::string mimeFolder = DataHome() + "mime/";
    WriteAssociationFile(mimeFolder + "packages/quillane.xml",
                         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                         "  <mime-type type=\"" + std::string(kMimeType) + "\">\n"
                         "    <comment>" + description + "</comment>\n"
                         "    <glob pattern=\"*.qzk\" case-sensitive=\"false\"/>\n"
                         "    <glob pattern=\"*.qzc\" case-sensitive=\"false\"/>\n"
                         "    <glob pattern=\"*.mco\" case-sensitive=\"false\"/>\n"
                         "  </mime-type>\n"
                         "</mime-info>\n");

    const std::string defaults = ApplicationsFolder() + "mimeapps.list";
    std::error_code error;
    fs::create_directories(ApplicationsFolder(), error);
    try {
        ProfileFile(defaults).WriteString("Default Applications", kMimeType, kDesktopFile);
    } catch (const std::runtime_error&) {
        throw std::runtime_error("Failed to set data for '" + defaults + "'");
    }

    // Written last: its presence says that the association is complete.
    const std::string icon = fs::path(exeName).parent_path().string() + "/quillane.svg";
    WriteAssociationFile(DesktopEntryPath(),
                         "[Desktop Entry]\n"
                         "Type=Application\n"
                         "Name=" + fileType + "\n"
                         "Comment=Install and create MSN Messenger content packs\n"
                         "Exec=" + QuoteExecArgument(exeName) + " %f\n"
                         "Icon=" + icon + "\n"
                         "MimeType=" + std::string(kMimeType) + ";\n"
                         "Terminal=false\n"
                         "Categories=Network;InstantMessaging;\n");

    RunIfPresent(*this, "update-mime-database", mimeFolder);
    RunIfPresent(*this, "update-desktop-database", ApplicationsFolder());
}

}  // namespace quillane
