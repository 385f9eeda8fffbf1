// Writes a cabinet with our own writer, for the seed corpora of the cabinet
// fuzz targets:  fuzz_write_cabinet <cabinet> <source>=<name in cabinet>...
#include "CabOpt.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: fuzz_write_cabinet <cabinet> <source>=<name>...\n", stderr);
        return 2;
    }
    const std::filesystem::path target = std::filesystem::absolute(argv[1]);
    quillane::TCabinet cabinet({target.filename().string(), target.parent_path().string() + "/"});
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::size_t equals = argument.find('=');
        if (equals == std::string::npos || !cabinet.AddFile(argument.substr(0, equals), argument.substr(equals + 1))) {
            std::fprintf(stderr, "cannot add %s\n", argv[i]);
            return 1;
        }
    }
    cabinet.FlushCabinet();
    return 0;
}
