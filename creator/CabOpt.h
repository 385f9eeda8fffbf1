#pragma once

#include "CabFormat.h"
#include "CabServices.h"
#include "MsZip.h"
#include "PackContents.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillane {

// The cabinet record: where the one cabinet of a pack goes and how it is numbered.
struct TCabinetRecord {
    std::string CabinetName;  // the chosen path's last component
    std::string CabinetPath;  // its folder, with "/"
    uint16_t CabinetNumber = 1;
    uint16_t SetId = 0;
};

// One cabinet being built: created from its record, given its files one by
// one into a single MSZIP folder, flushed to disk, and destroyed.
class TCabinet {
public:
    explicit TCabinet(TCabinetRecord record);
    ~TCabinet();
    TCabinet(const TCabinet&) = delete;
    TCabinet& operator=(const TCabinet&) = delete;

    // Adds a file under its name in the cabinet. False when the source
    // cannot be opened: it is left out and the cabinet goes on without it.
    bool AddFile(const std::string& source, const std::string& nameInCabinet);

    // Writes the cabinet, replacing whatever stood at its path before.
    void FlushCabinet();
    // The finished cabinet, byte for byte as FlushCabinet writes it.
    std::string Bytes();

private:
    void CompressPending();

    TCabinetRecord record_;
    TMsZip zip_;
    std::vector<TCabFileEntry> files_;
    std::string pending_;  // input of the next data block
    std::string blocks_;   // the data blocks written so far
    uint16_t blockCount_ = 0;
    uint64_t folderBytes_ = 0;
};

// The path the pack is written to: ".QZK" is added to a path without any ".".
std::string PackPathFor(std::string chosenPath);

// Builds the pack at the chosen path: the emoticons, the display pictures
// and the manifest in one cabinet, rewritten as a .QZK file when the path
// names one. Pictures are stored under their CabinetNames. The pump runs
// after each picture. Returns the sources that
// could not be opened and so are not in the pack.
std::vector<std::string> BuildCabinet(const std::string& chosenPath, const TPackContents& contents,
                                      const std::string& manifestPath, const TPump& pump);

// Rewrites a finished cabinet as a .QZK file: the cabinet without its first
// byte. The shortened file replaces the cabinet only once it is written.
void MakeQzkFile(const std::string& path);

}  // namespace quillane
