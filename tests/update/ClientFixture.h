#pragma once

#include "HttpClient.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <string>

namespace quillane::testing {

// A download client set up as the program's windows set theirs up, writing
// into a temporary folder. The time-out only keeps a broken test from hanging.
class ClientTest : public ::testing::Test {
protected:
    ClientTest() {
        client.SetInputFileMode(true);
        client.SetBody(BodyFile());
        client.SetTimeOut(10000);
    }
    std::string BodyFile() const { return folder.File("DownPack.Temp"); }
    std::string Downloaded() const { return ReadFile(BodyFile()); }
    // A file from an earlier download, which a failed one must leave as it was.
    void PutEarlierDownload() { WriteFile(BodyFile(), kEarlier); }
    // What Get raised; "no exception" when it returned.
    std::string FailureOf(const std::string& url) {
        try {
            client.Get(url);
        } catch (const std::exception& error) {
            return error.what();
        }
        return "no exception";
    }

    static constexpr const char* kEarlier = "the pack downloaded before";

    TempFolder folder;
    THttpClient client;
};

// The request header this client sends for path to host, without proxy or cookie.
inline std::string RequestFor(const std::string& path, const std::string& host, const std::string& cookie = "") {
    return "GET " + path + " HTTP/1.0\r\n"
           "Host: " + host + "\r\n"
           "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
           "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n" +
           (cookie.empty() ? "" : "Cookie: " + cookie + "\r\n") +
           "Content-type: application/x-www-form-urlencoded\r\n"
           "\r\n";
}

// An answer with status line, extra header lines (each ending in CR LF) and body.
inline std::string Answer(const std::string& status, const std::string& headers, const std::string& body) {
    return "HTTP/1.0 " + status + "\r\n" + headers + "\r\n" + body;
}

}  // namespace quillane::testing
