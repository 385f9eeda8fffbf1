#include "PidginTheme.h"
#include "PidginThemeReader.h"
#include "PidginThemeText.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;
using namespace quillane;
using quillane::testing::ReadFile;
using quillane::testing::TempFolder;
using quillane::testing::WriteFile;

namespace {

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool NeedsNoQuoting(const std::string& name) {
    return !name.empty() && name.front() != '.' && name.front() != '!' &&
           name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-") == std::string::npos;
}

TEST(PidginTheme, PicturesAndShortcutsReadBackAndAShortcutTooLongIsLeftOut) {
    TempFolder temp;
    WriteFile(temp.File("pack/smile face!.gif"), "GIF89a smile");
    WriteFile(temp.File("pack/grin.gif"), "GIF89a grin");
    const TPidginTheme theme{"My faces", "Faces", "Someone",
                             {{temp.File("pack/smile face!.gif"), ":)"},
                              {temp.File("pack/grin.gif"), ":D"},
                              {temp.File("pack/smile face!.gif"), ":-)"},
                              {temp.File("pack/grin.gif"), "big grin"},
                              {temp.File("pack/grin.gif"), std::string(64, 'g')}}};
    const std::string folder = ThemeFolder(temp.Folder() + "smileys/", theme.name);
    const TThemeWritten written = WritePidginTheme(theme, folder);
    EXPECT_EQ(written.pictures, 2);
    EXPECT_EQ(written.shortcutsLeftOut, 1);

    const auto read = quillane::testing::ReadPidginTheme(folder);
    EXPECT_EQ(read.keys.at("Name"), "My faces");
    EXPECT_EQ(read.keys.at("Description"), "Faces");
    EXPECT_EQ(read.keys.at("Author"), "Someone");
    ASSERT_EQ(read.smileys.size(), 2u);
    EXPECT_EQ(read.keys.at("Icon"), read.smileys[0].file);
    EXPECT_EQ(ReadFile(folder + read.smileys[0].file), "GIF89a smile");
    EXPECT_EQ(read.smileys[0].shortcuts, (std::vector<std::string>{":)", ":-)"}));
    EXPECT_EQ(ReadFile(folder + read.smileys[1].file), "GIF89a grin");
    EXPECT_EQ(read.smileys[1].shortcuts, (std::vector<std::string>{":D", "big grin"}));
    for (const auto& smiley : read.smileys) EXPECT_TRUE(NeedsNoQuoting(smiley.file)) << smiley.file;
    EXPECT_EQ(Entries(temp.Folder() + "smileys/"), std::vector<std::string>{"My faces"});
}

TEST(PidginTheme, AnExistingThemeIsReplacedWholeOrNotAtAll) {
    TempFolder temp;
    const std::string folder = temp.Folder() + "smileys/faces/";
    WriteFile(folder + "theme", "Name=faces\n\n[default]\nold.gif :)\n");
    WriteFile(folder + "old.gif", "GIF89a old");
    WriteFile(temp.File("new.gif"), "GIF89a new");

    const TPidginTheme broken{"faces", "", "", {{temp.File("new.gif"), ":)"}, {temp.File("missing.gif"), ":("}}};
    EXPECT_THROW(WritePidginTheme(broken, folder), EPidginThemeError);
    EXPECT_EQ(Entries(folder), (std::vector<std::string>{"old.gif", "theme"}));
    EXPECT_EQ(ReadFile(folder + "theme"), "Name=faces\n\n[default]\nold.gif :)\n");
    EXPECT_EQ(Entries(temp.Folder() + "smileys/"), std::vector<std::string>{"faces"});

    WritePidginTheme({"faces", "", "", {{temp.File("new.gif"), ":)"}}}, folder);
    EXPECT_EQ(Entries(folder), (std::vector<std::string>{"new.gif", "theme"}));
    EXPECT_EQ(quillane::testing::ReadPidginTheme(folder).smileys.at(0).file, "new.gif");
    EXPECT_EQ(Entries(temp.Folder() + "smileys/"), std::vector<std::string>{"faces"});
}

// What Pidgin's theme list shows for a value that it takes as markup; fails
// the test on a markup character that would break the row.
std::string ShownAsMarkup(const std::string& markup) {
    std::string shown;
    for (size_t at = 0; at < markup.size(); ++at) {
        EXPECT_TRUE(markup[at] != '<' && markup[at] != '>') << markup;
        if (markup[at] != '&') {
            shown += markup[at];
            continue;
        }
        bool known = false;
        for (const auto& [entity, character] : {std::pair{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}}) {
            if (markup.compare(at, std::strlen(entity), entity) == 0) {
                shown += character;
                at += std::strlen(entity) - 1;
                known = true;
            }
        }
        EXPECT_TRUE(known) << markup.substr(at);
    }
    return shown;
}

bool EndsAtWholeCharacter(const std::string& text) {
    size_t lead = text.size();
    while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) --lead;
    if (lead == 0) return text.empty();
    const auto first = static_cast<unsigned char>(text[lead - 1]);
    const size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    return text.size() - (lead - 1) == length;
}

TEST(PidginTheme, PidginReadsBackEveryShortcutKeptAndTheListShowsTheNames) {
    TempFolder temp;
    const std::vector<std::string> pictureNames = {"smile.gif", "#hash.gif", "!bang.gif", "[x].gif", "name=q.gif",
                                                   std::string(100, 'l') + ".gif", "many.gif"};
    for (const auto& name : pictureNames) WriteFile(temp.File("pack/" + name), "GIF89a " + name);
    const std::vector<std::string> kept = {
        "\\o/", "o/\\", "\\", "\\\\", "a\\b", "\\ ", " \\", "big grin", "tab\there", "\\#",
        std::string(63, 'x'), std::string(63, '\\'), "\xC3\xA9:)", "\xF0\x9F\x98\x80",
        "\xE2\x82\xAC",
        "!", "! x", "#", "[x]", "name=q", "Name=q", "ICON=i"};
    std::string euros;
    for (int i = 0; i < 21; ++i) euros += "\xE2\x82\xAC";  // 63 bytes
    std::string acutes;
    for (int i = 0; i < 32; ++i) acutes += "\xC3\xA9";  // 64 bytes
    const std::vector<std::string> leftOut = {std::string(64, 'y'), acutes, "two\nlines", "cr\r"};

    // Each picture takes some kept shortcuts in turn; one takes 60 of its own.
    TPidginTheme theme;
    theme.name = "Tom & Jerry <3> ";
    while (theme.name.size() < 248) theme.name += "\xC3\xA9";
    theme.name += "ab";  // 250 bytes
    theme.description = "Emoticons of " + theme.name;
    theme.author = "A & B <ab>";
    std::map<std::string, std::vector<std::string>> expected;
    auto add = [&](const std::string& picture, const std::string& shortcut, bool keeps) {
        theme.smileys.push_back({temp.File("pack/" + picture), shortcut});
        if (keeps) expected["GIF89a " + picture].push_back(shortcut);
    };
    std::vector<std::string> all = kept;
    all.push_back(euros);
    for (size_t i = 0; i < all.size(); ++i) add(pictureNames[i % 6], all[i], true);
    for (size_t i = 0; i < leftOut.size(); ++i) add(pictureNames[i % 6], leftOut[i], false);
    for (int i = 0; i < 60; ++i) add("many.gif", "many-shortcut-" + std::to_string(i), true);

    const std::string folder = ThemeFolder(temp.Folder() + "smileys/", "faces");
    const TThemeWritten written = WritePidginTheme(theme, folder);
    EXPECT_EQ(written.shortcutsLeftOut, static_cast<int>(leftOut.size()));
    EXPECT_EQ(written.pictures, 7);

    const auto read = quillane::testing::ReadPidginTheme(folder);
    for (const std::string& piece : read.pieces) {
        EXPECT_LE(piece.size(), kThemePieceBytes);
        EXPECT_EQ(piece.back(), '\n') << "a line went on past one piece: " << piece;
    }
    std::map<std::string, std::vector<std::string>> shortcutsRead;
    for (const auto& smiley : read.smileys) {
        EXPECT_FALSE(smiley.hidden) << smiley.file;
        EXPECT_LE(smiley.file.size(), kThemeTokenBytes);
        EXPECT_TRUE(NeedsNoQuoting(smiley.file)) << smiley.file;
        auto& shortcuts = shortcutsRead[ReadFile(folder + smiley.file)];
        shortcuts.insert(shortcuts.end(), smiley.shortcuts.begin(), smiley.shortcuts.end());
    }
    EXPECT_EQ(shortcutsRead, expected);
    EXPECT_GT(std::count_if(read.smileys.begin(), read.smileys.end(),
                            [&](const auto& smiley) { return ReadFile(folder + smiley.file) == "GIF89a many.gif"; }),
              1);
    EXPECT_EQ(read.keys.at("Icon"), read.smileys.at(0).file);

    const std::string name = ShownAsMarkup(read.keys.at("Name"));
    EXPECT_EQ(name.substr(0, 16), "Tom & Jerry <3> ");
    EXPECT_EQ(theme.name.substr(0, name.size()), name);
    EXPECT_TRUE(EndsAtWholeCharacter(name)) << name;
    EXPECT_GT(name.size(), 200u);
    const std::string description = ShownAsMarkup(read.keys.at("Description"));
    EXPECT_EQ(theme.description.substr(0, description.size()), description);
    EXPECT_TRUE(EndsAtWholeCharacter(description)) << description;
    EXPECT_EQ(ShownAsMarkup(read.keys.at("Author")), "A & B <ab>");
}

TEST(PidginTheme, TheThemeIsNamedAfterThePackWithoutItsPackExtension) {
    TStoredPack pack;
    pack.items = {{"emoticon", "packs/1/a.gif", "A", ":a", "Pack1"}, {"usertile", "packs/1/me.gif", "Me", "", "me.gif"}};
    for (const auto& [name, title] : {std::pair{"faces.QZK", "faces"}, std::pair{"party.mco", "party"},
                                      std::pair{"Party.MCO", "Party"}, std::pair{"old.cab", "old"},
                                      std::pair{"notes.txt", "notes.txt"}, std::pair{".mco", ".mco"}}) {
        pack.name = name;
        const TPidginTheme theme = PidginThemeOf(pack, "/store/");
        EXPECT_EQ(theme.name, title);
        ASSERT_EQ(theme.smileys.size(), 1u);
        EXPECT_EQ(theme.smileys[0].picture, "/store/packs/1/a.gif");
        EXPECT_EQ(theme.smileys[0].shortcut, ":a");
    }
}

TEST(PidginThemeText, TheThemeIsReadAsPidginReadsIt) {
    const std::string cutEuro = std::string(62, 'e') + "\xE2\x82\xAC" + "z";
    std::string longLine = "long.gif";
    for (int i = 0; i < 40; ++i) longLine += " :long";
    longLine += " :abcdefgh next.gif :n\n";  // cut after ":abcde": the rest is a line of its own
    const std::string text = "# a comment\n"
                             "  Name=first\n"
                             "[default] anything\n"
                             "NAME=Second\n"
                             "smile.gif :) \\o/ a\\ b \\\\ trail\\\r\n"
                             "! hidden.gif :x\n"
                             "!bang.gif :!\n"
                             "  # spaced.gif #\n"
                             "[x.gif :[\n"
                             "cut.gif " + cutEuro + "\n" +
                             longLine +
                             "nul.gif :a" + std::string(1, '\0') + " :b\n"
                             "\tdescription=d\n"
                             "[other]\n"
                             "other.gif :o\n";
    const TThemeText parsed = ParseThemeText(text);
    const auto expected = quillane::testing::ReadPidginThemeText(text);
    EXPECT_EQ(parsed.name, expected.keys.at("Name"));
    EXPECT_EQ(parsed.name, "Second");
    EXPECT_EQ(parsed.description, "d");
    ASSERT_EQ(parsed.sections.size(), 2u);
    EXPECT_EQ(parsed.sections[0].name, "default");
    EXPECT_EQ(parsed.sections[1].name, "other");
    for (const auto& section : parsed.sections) {
        const auto& lines = expected.sections.at(section.name);
        ASSERT_EQ(section.lines.size(), lines.size()) << section.name;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(section.lines[i].picture, lines[i].file);
            EXPECT_EQ(section.lines[i].shortcuts, lines[i].shortcuts);
            EXPECT_EQ(section.lines[i].hidden, lines[i].hidden);
        }
    }
    const auto& lines = parsed.sections[0].lines;
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[0].shortcuts, (std::vector<std::string>{":)", "o/", "a b", "\\", "trail\\"}));
    EXPECT_TRUE(lines[1].hidden);
    EXPECT_EQ(lines[2].picture, "!bang.gif");
    EXPECT_EQ(lines[3].picture, "#");
    EXPECT_EQ(lines[4].picture, "[x.gif");
    EXPECT_EQ(lines[5].shortcuts, (std::vector<std::string>{std::string(62, 'e'), "\xE2\x82\xAC" "z"}));
    EXPECT_EQ(lines[6].picture, "long.gif");
    EXPECT_EQ(lines[6].shortcuts.back(), ":abcde");
    EXPECT_EQ(lines[7].picture, "fgh");
    EXPECT_EQ(lines[7].shortcuts, (std::vector<std::string>{"next.gif", ":n"}));
    EXPECT_EQ(lines.back().shortcuts, std::vector<std::string>{":a"});
}

// Themes kept in a dotfiles folder and linked in: the link is replaced, and
// what it pointed at is left whole.
TEST(PidginTheme, ALinkedThemeIsReplacedAsALinkAndItsTargetKept) {
    TempFolder temp;
    WriteFile(temp.File("pack/a.gif"), "GIF89a a");
    WriteFile(temp.File("dotfiles/faces/theme"), "Name=faces\n");
    WriteFile(temp.File("dotfiles/faces/old.gif"), "GIF89a old");
    fs::create_directories(temp.File("smileys"));
    fs::create_directory_symlink(temp.File("dotfiles/faces/"), temp.File("smileys/faces"));

    WritePidginTheme({"faces", "", "", {{temp.File("pack/a.gif"), ":a"}}}, temp.File("smileys/faces/"));
    EXPECT_FALSE(fs::is_symlink(temp.File("smileys/faces")));
    EXPECT_EQ(ReadFile(temp.File("smileys/faces/a.gif")), "GIF89a a");
    EXPECT_EQ(Entries(temp.File("dotfiles/faces/")), (std::vector<std::string>{"old.gif", "theme"}));
    EXPECT_EQ(Entries(temp.File("smileys/")), std::vector<std::string>{"faces"});
}

}  // namespace
