// Starting a program and waiting for it, for the cabinet tool and the desktop databases.
#include "WinksGlobal.h"

#include "CommandLine.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace quillane {
namespace {

// Owns the spawn attributes that posix_spawn reads.
class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_{};
};

}  // namespace

int32_t TGlobal::RunAndWait(const std::string& commandLine, uint16_t /*showWindow: no windows to hide here*/) const {
    return RunAndWait(SplitCommandLine(commandLine));
}

int32_t TGlobal::RunAndWait(const std::vector<std::string>& given) const {
    if (given.empty()) return -1;
    std::vector<std::string> arguments = given;
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The child inherits no descriptor but the standard three, and reads nothing.
    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(actions.get(), 3);

    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], actions.get(), nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

}  // namespace quillane
