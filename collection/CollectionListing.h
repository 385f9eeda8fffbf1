#pragma once

#include "CollectedFile.h"

#include <string>
#include <vector>

namespace quillane {

// A name or text from the folder as the program shows it: bytes that are not
// UTF-8, and control characters (which would break a line or a column), as
// the replacement character.
std::string ShownText(const std::string& bytes);

// The name a pack is shown by: its title, else its file name.
std::string ShownTitle(const TCollectedFile& file);

// Whether the arguments ask for a listing: the first is --list.
bool IsListCommand(const std::vector<std::string>& arguments);

// The collection as lines of tab-separated columns, in the order of the
// paths: path, kind, title, items, bytes, and "duplicate of PATH" for the
// second and later copies of a pack or the problem of a file listed apart.
std::string ListingText(std::vector<TCollectedFile> files);

// `quillane --list FOLDER`: prints the listing without a window. 0 when the
// folder was read, whatever it holds; 1 when it cannot be read; 2 when the
// command is wrong.
int RunListCommand(const std::vector<std::string>& arguments);

}  // namespace quillane
