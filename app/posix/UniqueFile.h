#pragma once

#include "UniqueFd.h"

#include <cstddef>
#include <string>

namespace quillane {

// Creates a new file from a name ending in "XXXXXX", as mkstemp does, and
// writes the name it chose back into `path`. Unlike mkstemp, the file gets
// the permissions that the umask gives every new file, without the umask
// being changed (other threads may be creating files at the same time).
// An invalid descriptor, with errno set, when no file could be made.
UniqueFd CreateUniqueFile(std::string& path);

// Opens a file from outside for reading: only a regular file (a link to one
// included), never waiting, as opening a named pipe or a device would. An
// invalid descriptor, with errno set, otherwise.
UniqueFd OpenRegularFile(const std::string& path);

// Writes every byte, going on after interruptions; false when the file takes no more.
bool WriteAll(int fd, const char* data, std::size_t count);

}  // namespace quillane
