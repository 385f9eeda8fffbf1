// cabarc: extracts files from a cabinet.
//   cabarc [-o] X <cabinet> [<pattern>] [<folder>/]
#include "CabinetExtractor.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::fputs("Usage: cabarc [-o] X <cabinet> [<pattern>] [<folder>/]\n"
               "  X   extract the files that match the pattern (default *.*) into the folder\n"
               "  -o  overwrite existing files (always done)\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    size_t next = 0;
    while (next < arguments.size() && arguments[next].size() > 1 && arguments[next][0] == '-') {
        if (arguments[next] != "-o") return Usage();
        ++next;
    }
    if (next >= arguments.size() || (arguments[next] != "X" && arguments[next] != "x")) return Usage();
    ++next;
    const size_t rest = arguments.size() - next;
    if (rest < 1 || rest > 3) return Usage();

    const std::string cabinet = arguments[next];
    // The folder is known by its closing separator, so it may follow the cabinet directly.
    const auto isFolder = [](const std::string& word) { return word.back() == '/' || word.back() == '\\'; };
    const bool folderOnly = rest == 2 && isFolder(arguments[next + 1]);
    const std::string pattern = rest >= 2 && !folderOnly ? arguments[next + 1] : "*.*";
    const std::string folder = rest == 3 ? arguments[next + 2] : folderOnly ? arguments[next + 1] : "./";
    try {
        const auto report = quillane::ExtractCabinet(cabinet, pattern, folder, [](const std::string& problem) {
            std::fprintf(stderr, "cabarc: %s\n", problem.c_str());
        });
        return report.failed > 0 ? 3 : 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cabarc: %s\n", error.what());
        return 1;
    }
}
