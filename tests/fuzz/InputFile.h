#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

// The fuzzed bytes as a file, for readers that take a file name, as the
// program's own readers do. One file per process, rewritten for each input.
inline std::string WriteInputFile(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/quillane-fuzz-input-" + std::to_string(getpid());
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    return path;
}
