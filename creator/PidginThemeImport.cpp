#include "PidginThemeImport.h"

#include "PackManifest.h"
#include "PictureFiles.h"
#include "PidginThemeText.h"
#include "TextEncoding.h"
#include "TextFile.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace quillane {
namespace {

// Themes are a few kilobytes; anything far larger is no theme and is not read into memory.
constexpr uintmax_t kLargestThemeFile = 4 * 1024 * 1024;

// Names from the theme as the message shows them, whatever their bytes.
std::string Shown(const std::string& text) {
    return IsValidUtf8(text) ? text : Windows1252ToUtf8(text);
}

std::string Joined(const std::vector<std::string>& shortcuts) {
    std::string text;
    for (const std::string& shortcut : shortcuts) text += (text.empty() ? "" : " ") + Shown(shortcut);
    return text;
}

const TThemeSection* SmileySection(const TThemeText& theme) {
    for (const TThemeSection& section : theme.sections) {
        if (section.name == "default") return &section;
    }
    return theme.sections.empty() ? nullptr : &theme.sections.front();
}

// Whether the path, links resolved, lies inside the folder: a theme from
// elsewhere must not bring the user's other pictures into a pack.
bool Inside(const std::string& folder, const std::string& path) {
    std::error_code error;
    const fs::path realFolder = fs::canonical(folder, error);
    if (error) return false;
    const fs::path real = fs::canonical(path, error);
    if (error) return false;
    const auto [end, rest] = std::mismatch(realFolder.begin(), realFolder.end(), real.begin(), real.end());
    return end == realFolder.end() && rest != real.end();
}

// Why the picture cannot go into a pack, or nothing when it can.
std::string PictureFault(const std::string& folder, const std::string& picture) {
    if (picture == "." || picture == ".." || picture.find('/') != std::string::npos) return "not in the theme's folder";
    if (!IsValidUtf8(picture)) return "its file name is not UTF-8 text";
    std::error_code error;
    if (!fs::is_regular_file(folder + picture, error)) return "missing";
    if (!Inside(folder, folder + picture)) return "not in the theme's folder";
    if (!IsPictureByContent(folder + picture)) return "not a GIF, PNG, JPEG or BMP picture";
    return {};
}

// A picture with the shortcuts of every line that names it, in the theme's
// order; a hidden line stands on its own.
struct ThemePicture {
    std::string picture;
    std::vector<std::string> shortcuts;
    bool hidden = false;
};

class ThemeImporter {
public:
    ThemeImporter(TThemeImport& result, std::string folder) : result_(result), folder_(std::move(folder)) {}

    void Take(const ThemePicture& entry) {
        const std::string name = Shown(entry.picture);
        if (entry.hidden) {
            result_.leftOut.push_back(name + ": hidden in the theme");
            return;
        }
        const std::string fault = PictureFault(folder_, entry.picture);
        if (!fault.empty()) {
            result_.leftOut.push_back(name + ": " + fault);
            return;
        }
        std::vector<std::string> cannotHold;
        std::vector<std::string> further;
        std::string key;
        bool taken = false;
        for (const std::string& shortcut : entry.shortcuts) {
            if (!ManifestCanHold(shortcut)) {
                cannotHold.push_back(shortcut);
                continue;
            }
            const auto holder = pictureOf_.find(shortcut);
            if (holder != pictureOf_.end()) {
                taken = true;
                result_.leftOut.push_back(name + ": the shortcut " + Shown(shortcut) + ", which " +
                                          Shown(holder->second) + " already has");
            } else if (key.empty()) {
                key = shortcut;
                pictureOf_.emplace(key, entry.picture);
            } else {
                further.push_back(shortcut);
            }
        }
        if (!cannotHold.empty()) {
            result_.leftOut.push_back(name + ": " + (cannotHold.size() == 1 ? "the shortcut " : "the shortcuts ") +
                                      Joined(cannotHold) + ", which a Messenger pack cannot hold");
        }
        if (key.empty()) {
            result_.leftOut.push_back(name + (taken ? ": every shortcut it could have is another picture's"
                                                    : ": no shortcut that a Messenger pack can hold"));
            return;
        }
        if (!further.empty()) {
            result_.leftOut.push_back(name + ": " + (further.size() == 1 ? "the further shortcut " : "the further shortcuts ") +
                                      Joined(further) + " (a Messenger emoticon has one)");
        }
        result_.emoticons.push_back({DefaultName(entry.picture), key, folder_ + entry.picture});
    }

private:
    TThemeImport& result_;
    std::string folder_;
    // Each shortcut taken so far, with the picture that took it.
    std::map<std::string, std::string> pictureOf_;
};

// The pictures of the section, each once, with the shortcuts of all the lines that name it.
std::vector<ThemePicture> PicturesOf(const TThemeSection& section) {
    std::vector<ThemePicture> pictures;
    std::map<std::string, std::size_t> indexOf;
    for (const TThemeLine& line : section.lines) {
        if (line.hidden) {
            pictures.push_back({line.picture, {}, true});
            continue;
        }
        const auto [found, added] = indexOf.try_emplace(line.picture, pictures.size());
        if (added) pictures.push_back({line.picture, {}, false});
        std::vector<std::string>& shortcuts = pictures[found->second].shortcuts;
        for (const std::string& shortcut : line.shortcuts) {
            if (std::find(shortcuts.begin(), shortcuts.end(), shortcut) == shortcuts.end()) shortcuts.push_back(shortcut);
        }
    }
    return pictures;
}

}  // namespace

TThemeImport ImportPidginTheme(const std::string& chosen) {
    std::error_code error;
    TThemeImport result;
    result.themeFile = fs::is_directory(chosen, error) ? (chosen.ends_with('/') ? chosen : chosen + "/") + "theme" : chosen;
    const std::string folder = result.themeFile.substr(0, result.themeFile.rfind('/') + 1);
    const std::string shownFile = Shown(result.themeFile);
    if (!fs::is_regular_file(result.themeFile, error)) {
        throw EThemeImportError("There is no Pidgin smiley theme file at " + shownFile + ".");
    }
    const uintmax_t size = fs::file_size(result.themeFile, error);
    if (error || size > kLargestThemeFile) {
        throw EThemeImportError("The file " + shownFile + " is too large to be a Pidgin smiley theme.");
    }
    const std::optional<std::string> text = ReadTextFile(result.themeFile);
    if (!text) throw EThemeImportError("Cannot read the Pidgin smiley theme " + shownFile + ".");
    const TThemeText theme = ParseThemeText(*text);
    const TThemeSection* section = SmileySection(theme);
    if (!section) {
        throw EThemeImportError("The file " + shownFile + " is not a Pidgin smiley theme: it has no section of smileys.");
    }
    ThemeImporter importer(result, folder);
    for (const ThemePicture& picture : PicturesOf(*section)) importer.Take(picture);
    return result;
}

}  // namespace quillane
