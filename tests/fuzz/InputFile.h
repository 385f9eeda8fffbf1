#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

// The fuzzed bytes as a file, for readers that take a file name, as the
// program's own readers do. One file per process, rewritten for each input.
inline std::string WriteInputFile(const std::uint8_t* data, std::size_t size) {
    static const std::string path = [] {
        static const std::string name = "/tmp/quillane-fuzz-input-" + std::to_string(getpid());
        std::atexit([] { std::remove(name.c_str()); });  // no file left behind by a run that ends normally
        return name;
    }();
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    return path;
}
