#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillane {

// The whole content of a file, or nothing when it cannot be read.
std::optional<std::string> ReadTextFile(const std::string& path);

// Lines ended by CR, LF or CR LF; a final line break makes no empty line.
std::vector<std::string> SplitLines(std::string_view text);

// The line break a text uses first: "\n" or "\r\n" (the default).
std::string_view LineBreakOf(std::string_view text);

// Writes the bytes to a new file beside `path` and renames it over `path`,
// so that readers see either the old content or the new one, never a part.
// On failure the old file is untouched and no temporary file remains.
// A symbolic link is written through; a read-only file is not replaced.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// The same for a file written into a folder the user chose: the entry that
// `path` names is replaced itself, whatever it is, so that a symbolic link of
// that name (dangling or not) is replaced and never written through.
bool ReplaceEntryAtomically(const std::string& path, std::string_view bytes);

// The same with content that `fill` writes to the new file's descriptor
// (false from it fails the whole write and leaves `path` untouched).
bool WriteFileAtomically(const std::string& path, const std::function<bool(int fd)>& fill);

}  // namespace quillane
