#pragma once

#include <string>

namespace quillane {

// Expands "$(VAR)" references of a search path by environment values, repeating
// while the text still holds "$" and the previous pass changed its length.
std::string ExpandSearchPath(const std::string& searchPath);

// %VAR% replaced by the variable's value; unknown names are left as they stand.
// The result is cut to 4096 characters.
std::string ExpandEnvironmentReferences(const std::string& text);

// The last segment of a request path: a trailing "/" dropped, then everything up to
// the last "/".
std::string LastPathSegment(const std::string& path);

// The first existing path made of a search path entry and the name, made absolute;
// empty when none exists. Entries are ";"-separated; empty ones mean the current folder.
std::string FindInSearchPath(const std::string& searchPath, const std::string& name);

}  // namespace quillane
