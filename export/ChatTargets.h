#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillane {

// The kinds of file a chat program takes.
enum class TChatFormat { Png, Gif, Apng, WebP, Webm };

// How a chat program wants its files named.
enum class TChatNaming {
    // As the item is called, made safe for any file system.
    Plain,
    // As Plain, short enough for a line of a Pidgin theme.
    Theme,
    // 2 to 32 of A-Z a-z 0-9 _, unique: the emoji's name in a Discord server.
    Discord,
    // Lower case, every character but - _ letters and digits made _: FluffyChat's shortcode.
    Matrix,
};

// Where a sticker's emoji is written: nowhere, a list for the sticker bot, or
// the manifest that signal-cli reads.
enum class TChatEmojiList { None, TelegramList, SignalManifest };

// How the files reach the chat program: a folder, or one archive of it.
enum class TChatBundle { Folder, Zip, TarGz };

// What one chat program takes, as its own documentation gives it. Every
// figure an export must meet lives here, so one edit follows a change.
struct TChatTarget {
    std::string_view id;     // the name on the command line
    std::string_view title;  // the name in the window
    TChatFormat still;
    TChatFormat animated;
    // The square canvas each picture is placed on; 0 keeps a picture's own size.
    int side = 0;
    // The art stays this far inside the canvas's edge.
    int margin = 0;
    // Bytes each file may take; 0 for no limit.
    std::size_t stillBytes = 0;
    std::size_t animatedBytes = 0;
    // An animation's longest running time and highest frame rate; 0 for no limit.
    double longestSeconds = 0;
    double highestFrameRate = 0;
    // Stickers of one pack; a larger pack is split into folders of this many. 0 for no limit.
    int perFolder = 0;
    // A pack of fewer stickers is not taken as it stands.
    int fewest = 0;
    // A square tray icon of this many pixels, PNG of at most trayBytes; 0 for none.
    int traySide = 0;
    std::size_t trayBytes = 0;
    TChatNaming naming = TChatNaming::Plain;
    TChatBundle bundle = TChatBundle::Folder;
    // Each sticker goes with an emoji, listed beside the files.
    TChatEmojiList emoji = TChatEmojiList::None;
};

// Every target, in the order the window lists them.
const std::vector<TChatTarget>& ChatTargets();

// The target of that command-line name; nothing when there is none.
const TChatTarget* FindChatTarget(std::string_view id);

// The file name extension of a format, without the dot.
std::string ExtensionOf(TChatFormat format);

}  // namespace quillane
