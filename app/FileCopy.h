#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quillane {

// Runs between two pieces of a long copy; false stops the copy.
using CopyProgress = std::function<bool()>;

// Writes `head` and then the whole of `source` over `target` as WriteFileAtomically
// does, in pieces of bounded size, however large the file is. On failure or when
// stopped, `target` is untouched and no temporary file remains.
bool CopyFileAtomically(const std::string& source, const std::string& target, std::string_view head = {},
                        const CopyProgress& progress = {});

// Whether the file begins with the bytes of `prefix`.
bool FileStartsWith(const std::string& path, std::string_view prefix);

}  // namespace quillane
