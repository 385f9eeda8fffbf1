#pragma once

#include "TempFolder.h"

#include <map>
#include <string>
#include <vector>

namespace quillane::testing {

// A smiley theme as Pidgin 2.14 reads it, written here from the rules
// observed with the program and independently of the theme code under test:
// - the file is read in pieces of at most 255 bytes, each ending after a line
//   feed or at the 255th byte, the rest going on as a new piece;
// - trailing CR and LF are removed, leading white space is skipped, and a
//   piece whose first byte (before that skip) is "#" is ignored;
// - "[" followed somewhere by "]" opens the section named by the text between;
// - Name=, Description=, Icon= and Author= match in any letter case on any
//   line, the last one winning;
// - every other line of a section: "! " at its start hides it; tokens are
//   separated by ASCII white space; a backslash takes the next byte (a space
//   too) unless it is the line's last byte; a token holds at most 63 bytes,
//   cut before a UTF-8 character that does not fit whole, the rest being the
//   next token; the first token is the picture, the others its shortcuts.
struct ReadSmiley {
    std::string file;
    std::vector<std::string> shortcuts;
    bool hidden = false;
};

struct ReadTheme {
    // Under the names "Name", "Description", "Icon" and "Author".
    std::map<std::string, std::string> keys;
    // The lines of each section, by its name.
    std::map<std::string, std::vector<ReadSmiley>> sections;
    // The lines of [default].
    std::vector<ReadSmiley> smileys;
    // Every piece as the reader took it, so that tests can check its length.
    std::vector<std::string> pieces;
};

inline bool PidginSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

inline ReadSmiley ReadPidginSmileyLine(const std::string& line) {
    ReadSmiley smiley;
    std::size_t i = 0;
    if (line.size() >= 2 && line[0] == '!' && line[1] == ' ') {
        smiley.hidden = true;
        i = 2;
    }
    std::vector<std::string> tokens;
    while (true) {
        while (i < line.size() && PidginSpace(static_cast<unsigned char>(line[i]))) i++;
        if (i >= line.size()) break;
        std::string token;
        std::vector<std::size_t> startOfByte;
        while (i < line.size() && !PidginSpace(static_cast<unsigned char>(line[i])) && token.size() < 63) {
            startOfByte.push_back(i);
            if (line[i] == '\\' && i + 1 < line.size()) i++;
            token.push_back(line[i]);
            i++;
        }
        if (token.size() == 63) {
            // Find where the last character begins and how long it should be.
            std::size_t lead = 62;
            while (lead > 0 && (static_cast<unsigned char>(token[lead]) & 0xC0) == 0x80 && 63 - lead < 4) lead--;
            const unsigned char first = static_cast<unsigned char>(token[lead]);
            std::size_t wanted = 1;
            if (first >= 0xC0 && first < 0xE0) wanted = 2;
            if (first >= 0xE0 && first < 0xF0) wanted = 3;
            if (first >= 0xF0 && first < 0xF8) wanted = 4;
            if (lead > 0 && lead + wanted > 63) {
                i = startOfByte[lead];
                token.erase(lead);
            }
        }
        tokens.push_back(token);
    }
    if (!tokens.empty()) {
        smiley.file = tokens.front();
        smiley.shortcuts.assign(tokens.begin() + 1, tokens.end());
    }
    return smiley;
}

inline ReadTheme ReadPidginThemeText(const std::string& text) {
    ReadTheme theme;
    std::string section;
    bool inSection = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && end - start < 255) {
            end++;
            if (text[end - 1] == '\n') break;
        }
        std::string piece = text.substr(start, end - start);
        start = end;
        theme.pieces.push_back(piece);
        piece = piece.substr(0, piece.find('\0'));
        if (piece.empty() || piece[0] == '#') continue;
        while (!piece.empty() && (piece.back() == '\n' || piece.back() == '\r')) piece.pop_back();
        std::size_t first = 0;
        while (first < piece.size() && PidginSpace(static_cast<unsigned char>(piece[first]))) first++;
        const std::string line = piece.substr(first);
        if (line.empty()) continue;
        if (line[0] == '[' && line.find(']') != std::string::npos) {
            section = line.substr(1, line.find(']') - 1);
            inSection = true;
            theme.sections[section];
            continue;
        }
        bool isKey = false;
        for (const std::string key : {"Name", "Description", "Icon", "Author"}) {
            if (LowerAscii(line.substr(0, key.size() + 1)) == LowerAscii(key + "=")) {
                theme.keys[key] = line.substr(key.size() + 1);
                isKey = true;
                break;
            }
        }
        if (isKey || !inSection) continue;
        const ReadSmiley smiley = ReadPidginSmileyLine(line);
        if (!smiley.file.empty()) theme.sections[section].push_back(smiley);
    }
    if (theme.sections.count("default")) theme.smileys = theme.sections["default"];
    return theme;
}

inline ReadTheme ReadPidginTheme(const std::string& folder) {
    return ReadPidginThemeText(ReadFile(folder + "theme"));
}

}  // namespace quillane::testing
