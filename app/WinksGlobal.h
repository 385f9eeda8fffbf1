#pragma once

#include "FileCopy.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillane {

// The application-wide state: the program's folders, the five settings kept
// in Config.ini, the pack to install, and the file and process helpers that
// the preview, install and update share. There is one instance, Global().
class TGlobal {
public:
    // The application folder is the folder of the running executable.
    TGlobal();
    // The application folder given explicitly (it must end in "/").
    explicit TGlobal(std::string appPath);

    std::string ConfigFile;
    std::string AppPath;
    int32_t CurrentWinks = 0;
    std::string SkinFile;
    std::string SkinPath;
    std::string PackToInstall;
    int32_t DownAfterInstall = 1;
    bool ShowToolbar = true;
    bool ShowStatus = true;
    std::string TempDir;
    std::string DownloadBase;
    std::string PreviewDir;

    void LoadSettings();
    // Writes the five keys in their order; throws "Unable to write to <ConfigFile>".
    void SaveSettings() const;
    static std::string GetTempDir();

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
