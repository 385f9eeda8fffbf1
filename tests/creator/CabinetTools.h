#pragma once

#include <string>
#include <vector>

namespace quillane::testing {

// What a tool printed (standard output and error together) and its exit code.
struct ToolResult {
    int exitCode = -1;
    std::string output;
};

// Runs a program with its arguments, without a shell.
ToolResult RunTool(const std::vector<std::string>& command);

// One line of `gcab -l`: name, size, date, time and attributes as gcab shows them.
struct GcabEntry {
    std::string name;
    std::string size;
    std::string date;
    std::string time;
    std::string attributes;
};
std::vector<GcabEntry> GcabListing(const std::string& cabinet);

// The names that `cabextract -l` lists, in the cabinet's order.
std::vector<std::string> CabextractNames(const std::string& cabinet);

// True when `cabextract -t` verifies every file of the cabinet.
bool CabextractVerifies(const std::string& cabinet);

// Extracts the cabinet with cabextract into the folder (ending in "/").
void CabextractInto(const std::string& cabinet, const std::string& folder);

// True when Python's expat, a strict parser, reads the file as well-formed XML.
bool WellFormedXml(const std::string& path);

// The header fields libmspack reads from a cabinet.
struct CabinetShape {
    int setId = -1;
    int setIndex = -1;
    int flags = -1;
    int folders = 0;
    int compression = -1;
    int blocks = 0;
    long length = 0;
    std::vector<int> attributes;
};
CabinetShape ReadCabinetShape(const std::string& cabinet);

}  // namespace quillane::testing
