#include "CabinetTools.h"

#include <mspack.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace quillane::testing {

ToolResult RunTool(const std::vector<std::string>& command) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        dup2(pipeEnds[1], 1);
        dup2(pipeEnds[1], 2);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        std::vector<char*> argv;
        for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    ToolResult result;
    std::array<char, 4096> buffer;
    for (ssize_t n; (n = read(pipeEnds[0], buffer.data(), buffer.size())) > 0;) result.output.append(buffer.data(), n);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::vector<GcabEntry> GcabListing(const std::string& cabinet) {
    const ToolResult listing = RunTool({"gcab", "-l", cabinet});
    if (listing.exitCode != 0) throw std::runtime_error("gcab -l failed: " + listing.output);
    std::vector<GcabEntry> entries;
    std::istringstream lines(listing.output);
    for (std::string line; std::getline(lines, line);) {
        // Names may hold blanks: the four fields after the name are the last four words.
        std::array<size_t, 4> cuts{};
        size_t end = line.size();
        for (size_t i = 0; i < cuts.size(); ++i) {
            cuts[i] = line.rfind(' ', end - 1);
            if (cuts[i] == std::string::npos || cuts[i] == 0) throw std::runtime_error("odd gcab line: " + line);
            end = cuts[i];
        }
        entries.push_back({line.substr(0, cuts[3]), line.substr(cuts[3] + 1, cuts[2] - cuts[3] - 1),
                           line.substr(cuts[2] + 1, cuts[1] - cuts[2] - 1),
                           line.substr(cuts[1] + 1, cuts[0] - cuts[1] - 1), line.substr(cuts[0] + 1)});
    }
    return entries;
}

std::vector<std::string> CabextractNames(const std::string& cabinet) {
    const ToolResult listing = RunTool({"cabextract", "-q", "-l", cabinet});
    if (listing.exitCode != 0) throw std::runtime_error("cabextract -l failed: " + listing.output);
    std::vector<std::string> names;
    std::istringstream lines(listing.output);
    for (std::string line; std::getline(lines, line);) {
        const size_t bar = line.rfind(" | ");
        if (bar == std::string::npos || line.find("Name") != std::string::npos) continue;
        names.push_back(line.substr(bar + 3));
    }
    return names;
}

bool CabextractVerifies(const std::string& cabinet) {
    const ToolResult test = RunTool({"cabextract", "-t", cabinet});
    return test.exitCode == 0 && test.output.find("All done, no errors.") != std::string::npos;
}

void CabextractInto(const std::string& cabinet, const std::string& folder) {
    const ToolResult extraction = RunTool({"cabextract", "-q", "-d", folder, cabinet});
    if (extraction.exitCode != 0) throw std::runtime_error("cabextract failed: " + extraction.output);
}

bool WellFormedXml(const std::string& path) {
    return RunTool({"python3", "-c", "import sys, xml.parsers.expat as e; e.ParserCreate().Parse(open(sys.argv[1], 'rb').read(), True)",
                    path}).exitCode == 0;
}

CabinetShape ReadCabinetShape(const std::string& cabinet) {
    mscab_decompressor* decompressor = mspack_create_cab_decompressor(nullptr);
    if (!decompressor) throw std::runtime_error("no libmspack decompressor");
    CabinetShape shape;
    if (mscabd_cabinet* open = decompressor->open(decompressor, cabinet.c_str())) {
        shape.setId = open->set_id;
        shape.setIndex = open->set_index;
        shape.flags = open->flags;
        shape.length = static_cast<long>(open->length);
        for (mscabd_folder* folder = open->folders; folder; folder = folder->next) {
            ++shape.folders;
            shape.compression = folder->comp_type;
            shape.blocks += static_cast<int>(folder->num_blocks);
        }
        for (mscabd_file* file = open->files; file; file = file->next) shape.attributes.push_back(file->attribs);
        decompressor->close(decompressor, open);
    }
    mspack_destroy_cab_decompressor(decompressor);
    return shape;
}

}  // namespace quillane::testing
