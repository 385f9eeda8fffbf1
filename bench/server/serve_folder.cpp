// Serves FOLDER with TCustomWebServer on 127.0.0.1:PORT until SIGINT or SIGTERM.
// The log is delivered (and dropped) on the main thread, as the program does.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <string>

#include "WebServer.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: serve_folder FOLDER PORT\n");
        return 2;
    }
    std::string folder = argv[1];
    if (folder.empty() || folder.back() != '/') folder += '/';

    // Blocked before any server thread starts, so only the main thread takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        quillane::TCustomWebServer server;
        server.SetSearchPath(folder);
        server.SetPort(std::atoi(argv[2]));
        server.SetActive(true);
        std::printf("serving %s on 127.0.0.1:%d\n", folder.c_str(), server.Port());
        std::fflush(stdout);
        const timespec tick{0, 100'000'000};
        while (sigtimedwait(&stopSignals, nullptr, &tick) < 0) server.Log().DeliverPending();
        server.SetActive(false);
        server.Log().DeliverPending();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "serve_folder: %s\n", error.what());
        return 1;
    }
    return 0;
}
