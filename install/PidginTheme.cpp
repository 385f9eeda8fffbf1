#include "PidginTheme.h"

#include "PackDescription.h"
#include "PidginThemeText.h"
#include "RemoveTree.h"
#include "TextFile.h"
#include "WorkFolder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

namespace fs = std::filesystem;

namespace quillane {
namespace {

constexpr const char* kThemeFile = "theme";

// Letters, digits, ".", "_" and "-" only, and no leading "." or "!" (a hidden
// smiley's mark): a name that a theme line holds without quoting.
std::string SafeName(const std::string& name, const std::string& otherwise) {
    std::string safe = name;
    for (char& c : safe) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '-') c = '_';
    }
    if (safe.empty() || safe.front() == '.') safe = otherwise + safe;
    return safe;
}

// A safe name for the picture that no other file of the theme has, short
// enough for Pidgin to read as one token.
std::string PictureName(const std::string& picture, std::set<std::string>& used) {
    constexpr size_t kLongestExtension = 10;
    const std::string safe = SafeName(fs::path(picture).filename().string(), "smiley");
    std::string stem = fs::path(safe).stem().string();
    std::string extension = fs::path(safe).extension().string();
    if (extension.size() > kLongestExtension) {
        stem += extension;
        extension.clear();
    }
    std::string tail = extension;
    for (int number = 2;; ++number) {
        std::string name = stem.substr(0, kThemeTokenBytes - tail.size()) + tail;
        if (used.insert(name).second) return name;
        tail = "-" + std::to_string(number) + extension;
    }
}

struct ThemePicture {
    std::string source;
    std::string name;
    std::vector<std::string> shortcuts;
};

std::string ThemeText(const TPidginTheme& theme, const std::string& icon, const std::vector<ThemePicture>& pictures) {
    std::string text = ThemeKeyLine("Name", theme.name) + ThemeKeyLine("Description", theme.description) +
                       ThemeKeyLine("Icon", icon) + ThemeKeyLine("Author", theme.author) + "\n[default]\n";
    for (const auto& picture : pictures) {
        if (!picture.shortcuts.empty()) text += ThemeSmileyLines(picture.name, picture.shortcuts);
    }
    return text;
}

void Copy(const std::string& source, const std::string& target) {
    std::error_code error;
    fs::copy_file(source, target, error);
    if (error) throw EPidginThemeError("Cannot copy the picture " + source + ": " + error.message());
}

// Two renames, for file systems that can neither exchange nor refuse to
// replace in one step; the old theme is put back when the second fails.
bool SwapByRenames(const fs::path& fresh, const fs::path& target) {
    if (!SomethingAt(target)) return ::rename(fresh.c_str(), target.c_str()) == 0;
    const fs::path aside = fresh.string() + ".old";
    if (::rename(target.c_str(), aside.c_str()) != 0) return false;
    if (::rename(fresh.c_str(), target.c_str()) == 0) {
        std::error_code error;
        RemoveTree(aside, error);
        return true;
    }
    const int failure = errno;
    ::rename(aside.c_str(), target.c_str());
    errno = failure;
    return false;
}

// Puts the fresh folder in the target's place in one step: renamed when there
// is no target, else exchanged with it (the old theme then lies where the
// fresh folder was, and goes with it).
void MoveIntoPlace(const fs::path& fresh, const fs::path& target) {
    if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return;
    if (errno == EEXIST && ::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) return;
    if (errno == EINVAL && SwapByRenames(fresh, target)) return;
    throw EPidginThemeError("Cannot put the theme in place at " + target.string() + ": " + std::strerror(errno));
}

}  // namespace

TPidginTheme PidginThemeOf(const TStoredPack& pack, const std::string& storeFolder) {
    const std::string title = PackTitle(pack);
    TPidginTheme theme{PackExportName(pack), "Emoticons of the Messenger pack " + title + ", exported by Quillane",
                       "Unknown", {}};
    for (const auto& item : pack.items) {
        if (item.type == "emoticon") theme.smileys.push_back({storeFolder + item.file, item.shortcut});
    }
    return theme;
}

std::string ThemeFolder(const std::string& smileysFolder, const std::string& themeName) {
    std::string name = themeName;
    std::replace(name.begin(), name.end(), '/', '_');
    if (name.empty() || name.front() == '.') name = "_" + name;
    return smileysFolder + name + "/";
}

TThemeWritten WritePidginTheme(const TPidginTheme& theme, const std::string& folder) {
    if (theme.smileys.empty()) throw EPidginThemeError("The pack holds no emoticons");
    const fs::path target = fs::path(folder).parent_path();
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    if (error) throw EPidginThemeError("Cannot create " + target.parent_path().string() + ": " + error.message());

    // One picture for each file of the pack, with every shortcut a line can hold.
    TThemeWritten written;
    std::vector<ThemePicture> pictures;
    std::map<std::string, size_t> pictureOf;
    std::set<std::string> used{kThemeFile};
    for (const auto& smiley : theme.smileys) {
        auto [at, added] = pictureOf.try_emplace(smiley.picture, pictures.size());
        if (added) pictures.push_back({smiley.picture, PictureName(smiley.picture, used), {}});
        if (ThemeCanHoldShortcut(smiley.shortcut)) {
            pictures[at->second].shortcuts.push_back(smiley.shortcut);
        } else if (!smiley.shortcut.empty()) {
            ++written.shortcutsLeftOut;
        }
    }
    written.pictures = static_cast<int>(std::count_if(pictures.begin(), pictures.end(),
                                                      [](const ThemePicture& picture) { return !picture.shortcuts.empty(); }));
    if (written.pictures == 0) throw EPidginThemeError("None of the pack's shortcuts can be held by a Pidgin theme");

    std::unique_ptr<TWorkFolder> fresh;
    try {
        fresh = std::make_unique<TWorkFolder>(target.parent_path().string() + "/", target.filename().string());
    } catch (const std::runtime_error& failure) {
        throw EPidginThemeError(failure.what());
    }
    for (size_t index = 0; index < pictures.size(); ++index) {
        if (index == 0 || !pictures[index].shortcuts.empty()) Copy(pictures[index].source, fresh->Path() + pictures[index].name);
    }
    const std::string themeFile = fresh->Path() + kThemeFile;
    if (!ReplaceFileAtomically(themeFile, ThemeText(theme, pictures.front().name, pictures))) {
        throw EPidginThemeError("Cannot write " + themeFile);
    }
    MoveIntoPlace(fs::path(fresh->Path()).parent_path(), target);
    return written;
}

}  // namespace quillane
