#include "PidginThemeImport.h"

#include "PackManifest.h"
#include "PictureFiles.h"
#include "PidginThemeText.h"
#include "TextEncoding.h"
#include "TextFile.h"

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

// Why the picture cannot go into a pack, or nothing when it can.
std::string PictureFault(const std::string& folder, const std::string& picture) {
    if (picture == "." || picture == ".." || picture.find('/') != std::string::npos) return "not in the theme's folder";
    if (!IsValidUtf8(picture)) return "its file name is not UTF-8 text";
    std::error_code error;
    if (!fs::is_regular_file(folder + picture, error)) return "missing";
    if (!IsPictureByContent(folder + picture)) return "not a GIF, PNG, JPEG or BMP picture";
    return {};
}

class ThemeImporter {
public:
    ThemeImporter(TThemeImport& result, std::string folder) : result_(result), folder_(std::move(folder)) {}

    void Take(const TThemeLine& line) {
        const std::string name = Shown(line.picture);
        if (line.hidden) {
            result_.leftOut.push_back(name + ": hidden in the theme");
            return;
        }
        const auto seen = emoticonOf_.find(line.picture);
        if (seen != emoticonOf_.end()) {
            if (seen->second) LeaveOutFurther(name, line.shortcuts);
            return;
        }
        const std::string fault = PictureFault(folder_, line.picture);
        emoticonOf_[line.picture] = fault.empty();
        if (!fault.empty()) {
            result_.leftOut.push_back(name + ": " + fault);
            return;
        }
        std::vector<std::string> cannotHold;
        std::vector<std::string> further;
        std::string key;
        for (const std::string& shortcut : line.shortcuts) {
            if (!ManifestCanHold(shortcut)) cannotHold.push_back(shortcut);
            else if (key.empty()) key = shortcut;
            else further.push_back(shortcut);
        }
        if (!cannotHold.empty()) {
            result_.leftOut.push_back(name + ": " + (cannotHold.size() == 1 ? "the shortcut " : "the shortcuts ") +
                                      Joined(cannotHold) + ", which a Messenger pack cannot hold");
        }
        if (key.empty()) {
            emoticonOf_[line.picture] = false;
            result_.leftOut.push_back(name + ": no shortcut that a Messenger pack can hold");
            return;
        }
        LeaveOutFurther(name, further);
        result_.emoticons.push_back({DefaultName(line.picture), key, folder_ + line.picture});
    }

private:
    void LeaveOutFurther(const std::string& name, const std::vector<std::string>& shortcuts) {
        if (shortcuts.empty()) return;
        result_.leftOut.push_back(name + ": " + (shortcuts.size() == 1 ? "the further shortcut " : "the further shortcuts ") +
                                  Joined(shortcuts) + " (a Messenger emoticon has one)");
    }

    TThemeImport& result_;
    std::string folder_;
    // Each picture met so far: true when it became an emoticon.
    std::map<std::string, bool> emoticonOf_;
};

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
    for (const TThemeLine& line : section->lines) importer.Take(line);
    return result;
}

}  // namespace quillane
