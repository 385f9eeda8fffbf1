#pragma once

#include <optional>
#include <string>

namespace quillane {

// A Windows-style profile file ("[Section]" headers, "Key=Value" lines).
// Sections and keys are found without regard to letter case. A write changes
// only the one line it concerns and keeps everything else in the file as it
// was, comments and unknown keys included; the file is replaced atomically.
class ProfileFile {
public:
    explicit ProfileFile(std::string path);

    const std::string& Path() const { return path_; }

    // The value of a key, trimmed of surrounding blanks; nothing when the
    // file, the section or the key is missing.
    std::optional<std::string> ReadString(const std::string& section, const std::string& key) const;
    std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) const;

    // Decimal, or hexadecimal after "0x"/"0X"; the fallback for anything else.
    int ReadInteger(const std::string& section, const std::string& key, int fallback) const;

    // Replaces the key's line, or adds the key to its section, or adds the
    // section at the end. Creates the file when missing.
    // Throws std::runtime_error "Unable to write to <path>" on failure.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

private:
    std::string path_;
};

// Reads an integer the way profile values are read: optional blanks and sign,
// decimal digits, or "0x" followed by hexadecimal digits. Nothing else.
std::optional<int> ParseProfileInteger(const std::string& text);

}  // namespace quillane
