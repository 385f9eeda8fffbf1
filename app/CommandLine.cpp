#include "CommandLine.h"

namespace quillane {

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument) arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            size_t backslashes = 0;
            while (i < commandLine.size() && commandLine[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < commandLine.size() && commandLine[i] == '"') {
                current.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    current += '"';
                } else {
                    --i;  // the quotation mark is read again as a delimiter
                }
            } else {
                current.append(backslashes, '\\');
                --i;
            }
            continue;
        }
        if (c == '"') {
            if (quoted && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
                current += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
            continue;
        }
        current += c;
    }
    if (inArgument) arguments.push_back(std::move(current));
    return arguments;
}

std::optional<std::string> CommandLineInformation(const std::string& firstArgument, const std::string& version) {
    if (firstArgument == "--version") return "Quillane " + version + "\n";
    if (firstArgument != "--help") return std::nullopt;
    return "Usage: quillane [PACK | FOLDER]\n"
           "       quillane --list FOLDER\n"
           "       quillane --export=TARGET --output=FOLDER [--force] [--speed-up] [--emoji=E] PACK...\n"
           "Keeps a catalogue of MSN Messenger content packs (winks, display pictures and\n"
           "emoticon packs), previews them, installs them, and builds new ones.\n"
           "\n"
           "  PACK       a pack file (.QZK, .QZC, .CAB, .mco) or the URL of a pack: only the\n"
           "             install window opens, installs it, and Quillane ends when it closes\n"
           "  FOLDER     a folder of packs: the main window opens on it as a collection,\n"
           "             every pack below it in one list\n"
           "  --list FOLDER  print every pack below FOLDER without a window, one a line,\n"
           "             tab-separated: path, kind, title, items, bytes, and \"duplicate of\n"
           "             PATH\" or why the file is no readable pack; names that are not\n"
           "             UTF-8 and control characters show as U+FFFD; status 1 only when\n"
           "             FOLDER cannot be read\n"
           "  --export=TARGET  export each PACK's pictures for a chat program into FOLDER,\n"
           "             without a window: discord, telegram-stickers, telegram-emoji,\n"
           "             signal, whatsapp, slack, matrix (a zip) or pidgin (a smiley theme\n"
           "             as .tar.gz); --force replaces an earlier export, --speed-up runs an\n"
           "             animation faster instead of cutting it, --emoji=E is a sticker's\n"
           "             emoji where its shortcut gives none\n"
           "  --help     show this help and end\n"
           "  --version  show the version and end\n"
           "\n"
           "Without PACK the main window opens on the catalogue.\n"
           "\n"
           "Files: when the program's folder is writable (a build or portable copy), it\n"
           "holds Config.ini and everything Quillane writes. Otherwise (an installed\n"
           "package) the settings are $XDG_CONFIG_HOME/Quillane/Config.ini and the user's\n"
           "files are in $XDG_DATA_HOME/Quillane/ (~/.config and ~/.local/share when the\n"
           "variables are not set). Installed packs are in $XDG_DATA_HOME/Quillane/Messenger/.\n"
           "What was read of a folder of packs is kept in $XDG_CACHE_HOME/Quillane/collections/.\n";
}

}  // namespace quillane
