#pragma once

#include "UniqueFd.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillane {

class ECabinetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file services of the cabinet writer.

// A source opened for reading, with what the cabinet records of it.
struct TSourceFile {
    UniqueFd File;
    uint16_t Date = 0;
    uint16_t Time = 0;
    uint16_t Attributes = 0;
};

// Opens a picture or the manifest; nothing when it cannot be opened as a
// regular file. Its date and time are its last-write time in local time.
std::optional<TSourceFile> OpenSource(const std::string& path);

// Reads up to `size` bytes; fewer only at the end of the file. Throws
// ECabinetError when reading fails, as the pack would lack the file's tail.
size_t ReadSource(const TSourceFile& source, const std::string& path, char* into, size_t size);

// The cabinet attributes: read-only 0x01, hidden 0x02 (a name that begins
// with "."), archive 0x20, which every file that was written carries.
uint16_t CabAttributes(const std::string& fileName, unsigned mode);

// MS-DOS date and time of a local time, held to the years they can show.
uint16_t DosDate(const std::tm& local);
uint16_t DosTime(const std::tm& local);

// Writes a new file beside `path` and renames it into place: an old file
// there is replaced whole, or stays untouched when writing fails (thrown).
void WriteWholeFile(const std::string& path, std::string_view bytes);

// The content of a file; throws ECabinetError when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace quillane
