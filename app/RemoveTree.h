#pragma once

#include <string>
#include <system_error>

namespace quillane {

// Removes what is at the path: a file, a link or a folder with all it holds.
// A link is removed itself and never followed, also when the path ends in "/"
// (which would make the system look through it). True when nothing is left.
bool RemoveTree(const std::string& path, std::error_code& error);

// Whether anything at all is at the path, a dangling link included; a path
// ending in "/" is asked about the name itself, not what it may point at.
bool SomethingAt(const std::string& path);

}  // namespace quillane
