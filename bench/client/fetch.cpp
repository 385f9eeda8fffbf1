// quillane_fetch URL FILE: downloads URL into FILE as the program's windows
// do, and exits with 0 only when the body of a 2xx answer arrived whole; FILE
// is replaced only then. A server silent for the client's time-out fails it.
#include "HttpClient.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: quillane_fetch URL FILE\n");
        return 2;
    }
    try {
        quillane::THttpClient client;
        client.SetInputFileMode(true);
        client.SetBody(argv[2]);
        client.Get(argv[1]);
        if (client.StatusCode() < 200 || client.StatusCode() > 299) {
            std::fprintf(stderr, "status %d\n", client.StatusCode());
            return 1;
        }
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
