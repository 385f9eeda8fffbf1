#pragma once

#include "UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillane {

// Reads single members of a cabinet into memory and writes no file: for
// looking into a pack (its manifest, one picture) without laying it out.
// The cabinet is a file, which may lack its first byte as a .QZK pack does,
// or bytes held in memory (a cabinet inside a cabinet).
class TCabinetReader {
public:
    // Opens a cabinet file; `restoreFirstByte` reads it with the "M" that a
    // .QZK pack lacks put back in front. Nothing when it cannot be read as a
    // cabinet, or is no regular file (a named pipe is never waited on).
    static std::unique_ptr<TCabinetReader> OpenFile(const std::string& path, bool restoreFirstByte);
    // The same for a file already open, which the reader then owns.
    static std::unique_ptr<TCabinetReader> OpenFile(UniqueFd file, bool restoreFirstByte);
    // Opens a cabinet held in memory. Nothing when it is no cabinet.
    static std::unique_ptr<TCabinetReader> OpenBytes(std::string bytes);

    ~TCabinetReader();
    TCabinetReader(const TCabinetReader&) = delete;
    TCabinetReader& operator=(const TCabinetReader&) = delete;

    // The members in the cabinet's order, in UTF-8 (Utf8MemberName), "\" between folders.
    std::vector<std::string> Names() const;
    // What the cabinet says it holds once unpacked: its members and their bytes
    // in all. Unpacking writes no more than that, so it bounds an extraction
    // before anything is written.
    struct TDeclared {
        std::size_t members = 0;
        std::uint64_t bytes = 0;
    };
    TDeclared Declared() const;

    // The bytes of the first member of that name (without regard to letter
    // case, "/" and "\" alike). Nothing when there is no such member, when it
    // is longer than `limit`, lies further than `limit` into its folder's
    // data, or cannot be decompressed.
    std::optional<std::string> Read(const std::string& name, std::size_t limit) const;
    // The bytes of the member at that place in Names(), bounded as Read is.
    // Members read in the cabinet's order are decompressed once, in one pass.
    std::optional<std::string> ReadAt(std::size_t index, std::size_t limit) const;

    struct State;

private:
    explicit TCabinetReader(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace quillane
