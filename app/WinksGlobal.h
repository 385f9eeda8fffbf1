#pragma once

#include "FileCopy.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillane {

// The folders of one run. The application folder holds the program, cabarc,
// the bundled catalogue, skins, previews and sample packs; the user folder
// takes everything the program writes, and Config.ini is the settings file.
struct TProgramFolders {
    std::string AppPath;
    std::string UserPath;
    std::string ConfigFile;
};

// A file in an application folder that is installed for all users: the
// program never writes into that folder, even where it could (as root).
inline constexpr const char* kSystemWideMarker = "system-wide";

// The folders for an application folder (ending in "/"). When the user may
// write there and it is not installed for all users, it is its own user
// folder, with Config.ini in it (the portable layout). Otherwise the user
// folder is $XDG_DATA_HOME/Quillane/ and the settings are
// $XDG_CONFIG_HOME/Quillane/Config.ini.
TProgramFolders ProgramFolders(const std::string& appPath);

// The application-wide state: the program's folders, the settings kept
// in Config.ini, the pack to install, and the file and process helpers that
// the preview, install and update share. There is one instance, Global().
class TGlobal {
public:
    // The application folder is the folder of the running executable, with
    // the user folder that ProgramFolders gives for it.
    TGlobal();
    // The application folder given explicitly (it must end in "/"), its own user folder.
    explicit TGlobal(std::string appPath);
    // Folders given explicitly. A user folder apart from the application folder
    // is made (private to the user) when missing, with its msnpack/ and Preview/.
    explicit TGlobal(const TProgramFolders& folders);

    std::string ConfigFile;
    std::string AppPath;
    // Where the program writes: content.dat once updated, userpack/, msnpack/
    // (downloads, temppack11.cab), Preview/ (downloaded previews),
    // DownPack.Temp, the count file. AppPath itself in the portable layout.
    std::string UserPath;
    int32_t CurrentWinks = 0;
    std::string SkinFile;
    std::string SkinPath;
    std::string PackToInstall;
    int32_t DownAfterInstall = 1;
    bool ShowToolbar = true;
    bool ShowStatus = true;
    // The main window's size when it was last closed; 0 until it has been.
    int32_t WindowWidth = 0;
    int32_t WindowHeight = 0;
    std::string TempDir;
    std::string DownloadBase;
    std::string PreviewDir;

    void LoadSettings();
    // Writes the five keys in their order; throws "Unable to write to <ConfigFile>".
    void SaveSettings() const;
    // Writes WindowWidth and WindowHeight; throws as SaveSettings does.
    void SaveWindowSize() const;
    static std::string GetTempDir();

    // A file of the user folder when it is there, else the same file of the
    // application folder: a user's own copy takes the installed one's place.
    std::string UserOrAppFile(const std::string& relative) const;
    // The default catalogue: the user's content.dat once an update has replaced it, else the bundled one.
    std::string CatalogueFile() const { return UserOrAppFile("content.dat"); }

    // File association of .QZK and .QZC packs with this program.
    void CheckFileAssociation() const;
    void RegisterFileType(const std::string& fileType, const std::string& description,
                          const std::string& exeName) const;

    // File and process helpers. Folders end in "/"; positions count from 1.
    std::string FindNonXmlFile(const std::string& folder) const;
    std::string FindSwfFile(const std::string& folder) const;
    void DeleteFiles(const std::string& folder, const std::string& mask) const;
    // Copies a .QZK pack to dest with its first byte put back, in bounded pieces;
    // progress runs between them.
    bool RestoreCabinet(const std::string& source, const std::string& dest, const CopyProgress& progress = {}) const;
    int32_t RunAndWait(const std::string& commandLine, uint16_t showWindow) const;
    // Runs the program with exactly these arguments, each reaching it whole
    // whatever it holds; the exit status, or -1 when it cannot be started.
    int32_t RunAndWait(const std::vector<std::string>& arguments) const;
    int LastCharPos(const std::string& ch, const std::string& s) const;
    int CharPosFromEnd(const std::string& ch, const std::string& s) const;
    int LoadCountedList(const std::string& fileName, int& count, std::vector<std::string>& list) const;
    std::string UrlToGifName(const std::string& url) const;
};

// The vendor's download base, used unless Config.ini names another one.
inline constexpr const char* kDefaultDownloadBase = "http://quillane.example/";
// The name of the cabinet tool in the application folder.
inline constexpr const char* kCabinetTool = "cabarc";
// The hidden-window show code the callers of RunAndWait pass.
inline constexpr uint16_t SW_HIDE = 0;

// The one instance. It exists from start-up to the end of the process.
TGlobal& Global();
// Sets the one instance: once at start-up, and by tests that point it at a folder of their own.
void InstallGlobal(std::unique_ptr<TGlobal> global);

}  // namespace quillane
