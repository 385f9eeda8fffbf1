#include "PythonHttpServer.h"

#include "ScriptedServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace quillane::testing {

namespace {

bool Accepts(int port) {
    UniqueFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    return ::connect(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

}  // namespace

PythonProcess::PythonProcess(std::vector<std::string> arguments, const std::vector<int>& ports) {
    arguments.insert(arguments.begin(), "python3");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Its request log would only clutter the test output.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int failed = posix_spawnp(&pid_, "python3", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("cannot start python3");

    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (const int port : ports) {
        while (!Accepts(port)) {
            if (std::chrono::steady_clock::now() > limit) {
                Stop();
                throw std::runtime_error("python3 " + arguments.at(1) + " did not start");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}

PythonProcess::~PythonProcess() { Stop(); }

void PythonProcess::Stop() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
}

PythonHttpServer::PythonHttpServer(const std::string& folder)
    : port_(UnusedPort()),
      process_({"-m", "http.server", "--bind", "127.0.0.1", "--directory", folder, std::to_string(port_)}, {port_}) {}

std::string PythonHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

}  // namespace quillane::testing
