#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace quillane::testing {

// A free TCP port on the loopback interface.
inline int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

inline bool Accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

// A web site served from a folder by Python's http.server, an HTTP peer that
// is not ours. Its log tells which paths were asked for, in order.
class LocalSite {
public:
    explicit LocalSite(std::string folder) : folder_(std::move(folder)), port_(FreePort()) {
        log_ = folder_ + "/../site-" + std::to_string(port_) + ".log";
        const std::string port = std::to_string(port_);
        std::vector<std::string> arguments = {"python3", "-m", "http.server", port, "--bind", "127.0.0.1",
                                              "--directory", folder_};
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        const int started = posix_spawnp(&pid_, "python3", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (started != 0) throw std::runtime_error("cannot start python3 -m http.server");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!Accepts(port_)) {
            if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("http.server did not start");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~LocalSite() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    LocalSite(const LocalSite&) = delete;
    LocalSite& operator=(const LocalSite&) = delete;

    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

    // The paths asked for so far ("/contentcount.txt", ...), in order.
    std::vector<std::string> Requests() const {
        std::vector<std::string> paths;
        std::ifstream in(log_);
        for (std::string line; std::getline(in, line);) {
            const auto get = line.find("\"GET ");
            if (get == std::string::npos) continue;
            const auto end = line.find(' ', get + 5);
            paths.push_back(line.substr(get + 5, end - get - 5));
        }
        return paths;
    }

private:
    std::string folder_;
    int port_;
    std::string log_;
    pid_t pid_ = 0;
};

}  // namespace quillane::testing
