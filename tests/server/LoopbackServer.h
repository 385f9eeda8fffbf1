#pragma once

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "ServerTestSupport.h"
#include "TempFolder.h"
#include "WebServer.h"

namespace quillane::testing {

// A server on a free loopback port serving a temporary folder, in a fixed time zone
// (Central European, so that summer time differs from standard time). Log entries
// are collected on the test's thread.
class LoopbackServer : public ::testing::Test {
protected:
    void SetUp() override {
        const char* zone = std::getenv("TZ");
        savedZone_ = zone ? std::make_unique<std::string>(zone) : nullptr;
        ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        ::tzset();
        // Sanitizers start a helper thread with the first thread of the process; make
        // sure it is part of the baseline.
        std::thread([] {}).join();
        baselineThreads = ThreadCount();
        baselineDescriptors = OpenDescriptorCount();
        server = std::make_unique<TCustomWebServer>();
        server->SetSearchPath(folder.Folder());
        server->LogHandler = [this](TServerLog&, std::unique_ptr<TTransactionLogEntry>& entry) {
            entries.push_back(std::move(entry));
        };
        server->SetActive(true);
        port = server->Port();
    }
    void TearDown() override {
        server.reset();
        if (savedZone_) ::setenv("TZ", savedZone_->c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }

    std::string Exchange(const std::string& request) {
        TTestClient client(port);
        return client.Exchange(request);
    }
    // A file in the served folder with a fixed modification time (seconds since 1970).
    void AddFile(const std::string& name, const std::string& bytes, std::time_t modified = 1120219201) {
        WriteFile(folder.File(name), bytes);
        const timespec times[2] = {{modified, 0}, {modified, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, folder.File(name).c_str(), times, 0), 0);
    }
    // Delivers what the workers logged; returns the entries so far.
    std::vector<std::unique_ptr<TTransactionLogEntry>>& Entries() {
        server->Log().DeliverPending();
        return entries;
    }

    TempFolder folder;
    std::unique_ptr<TCustomWebServer> server;
    std::vector<std::unique_ptr<TTransactionLogEntry>> entries;
    int port = 0;
    std::size_t baselineThreads = 0;
    std::size_t baselineDescriptors = 0;

private:
    std::unique_ptr<std::string> savedZone_;
};

}  // namespace quillane::testing
