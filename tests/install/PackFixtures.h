#pragma once

#include "IsolatedEnvironment.h"
#include "TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace quillane::testing {

inline constexpr const char* kEmoticonManifestHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<package xmlns=\"http://messenger.msn.com/messengercontent/1.0\" version=\"1.0\" type=\"theme\">\r\n";

// An emoticon item of the samples' form.
inline std::string EmoticonItem(const std::string& file, const std::string& name, const std::string& key) {
    return "<item xmlns:emoticon=\"http://messenger.msn.com/emoticon/1.0\" contentid=\"Pack1\" contenttype=\"P\" "
           "type=\"emoticon\" mimetype=\"image/gif\" file=\"" + file + "\" emoticon:displayname=\"" + name +
           "\" emoticon:keysequence=\"" + key + "\" />\r\n";
}

inline std::string EmoticonManifest(const std::string& items) {
    return kEmoticonManifestHead + items + "</package>\r\n";
}

// A wink pack's manifest: one wink whose file is its own cabinet.
inline std::string WinkManifest(const std::string& cabinet, const std::string& name) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
           "<package xmlns=\"http://messenger.msn.com/messengercontent/1.0\" version=\"1.0\" type=\"wink\">\r\n"
           "<item contentid=\"wink1\" contenttype=\"D\" type=\"wink\" mimetype=\"application/x-ms-cab\" file=\"" +
           cabinet + "\" displayname=\"" + name + "\" />\r\n</package>\r\n";
}

// The manifest inside a wink's cabinet: its movie, and the still picture that stands for it.
inline std::string WinkCabinetManifest(const std::string& movie, const std::string& still) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
           "<package xmlns=\"http://messenger.msn.com/messengercontent/1.0\" version=\"1.0\" type=\"wink\">\r\n"
           "<item type=\"animation\" mimetype=\"application/x-shockwave-flash\" file=\"" + movie + "\" />\r\n"
           "<item type=\"thumbnail\" mimetype=\"image/png\" file=\"" + still + "\" />\r\n</package>\r\n";
}

// Packs the files of the folder under their names with gcab, a cabinet tool
// that is not ours: compressed with MSZIP, or stored as they are.
inline void MakeCabinet(const std::string& cabinet, const std::string& folder, const std::vector<std::string>& names,
                        bool compress = true) {
    std::vector<std::string> arguments = {"gcab", "-c"};
    if (compress) arguments.push_back("-z");
    arguments.push_back(std::filesystem::absolute(cabinet).string());
    arguments.insert(arguments.end(), names.begin(), names.end());
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, "gcab", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (started != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("gcab failed for " + cabinet);
    }
}

// A cabinet of the given files (name, bytes), made in a folder of its own.
inline void MakeCabinetOf(const std::string& cabinet, const std::vector<std::pair<std::string, std::string>>& files,
                          bool compress = true) {
    TempFolder work;
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files) {
        WriteFile(work.File(name), bytes);
        names.push_back(name);
    }
    MakeCabinet(cabinet, work.Folder(), names, compress);
}

// An emoticon pack of two pictures: "Smile" :) and "Grin" :D.
inline void MakeEmoticonCabinet(const std::string& cabinet) {
    MakeCabinetOf(cabinet, {{"content.xml", EmoticonManifest(EmoticonItem("smile.gif", "Smile", ":)") +
                                                             EmoticonItem("grin.gif", "Grin", ":D"))},
                            {"smile.gif", "GIF89a smile"},
                            {"grin.gif", "GIF89a grin"}});
}

// A sample pack of the application folder, as a plain cabinet at `cabinet`.
inline void SampleCabinet(const std::string& sample, const std::string& cabinet) {
    const std::string bytes = ReadFile(AppFolder() + "msnpack/" + sample);
    if (bytes.empty()) throw std::runtime_error("no sample pack " + sample);
    const bool qzk = sample.size() > 4 && sample.substr(sample.size() - 4) == ".QZK";
    WriteFile(cabinet, qzk ? "M" + bytes : bytes);
}

}  // namespace quillane::testing
