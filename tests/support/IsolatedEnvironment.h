#pragma once

#include "TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillane::testing {

// Points HOME, XDG_DATA_HOME, XDG_CACHE_HOME and TMPDIR into a temporary folder of its own
// while it lives, and gives them back afterwards.
class IsolatedEnvironment {
public:
    IsolatedEnvironment() {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            const std::string folder = root_.Folder() + name;
            std::filesystem::create_directories(folder);
            setenv(name, folder.c_str(), 1);
        }
    }
    ~IsolatedEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }
    IsolatedEnvironment(const IsolatedEnvironment&) = delete;
    IsolatedEnvironment& operator=(const IsolatedEnvironment&) = delete;

private:
    static constexpr const char* kNames[] = {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"};
    TempFolder root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace quillane::testing
