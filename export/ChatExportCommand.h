#pragma once

#include <string>
#include <vector>

namespace quillane {

// Whether the arguments ask for an export from the command line: the first is --export=TARGET.
bool IsChatExportCommand(const std::vector<std::string>& arguments);

// `quillane --export=TARGET --output=FOLDER [--force] [--speed-up] [--emoji=E] FILE...`: exports each
// pack file without a window, printing one line per file written and per
// change made or item left out. 0 when every pack was exported; 1 when one
// could not be; 2 when the command itself is wrong. The global settings
// object must be installed.
int RunChatExportCommand(const std::vector<std::string>& arguments);

}  // namespace quillane
