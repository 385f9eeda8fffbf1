#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "LogEntries.h"

namespace quillane {

class TCustomWebServer;
class TWebServerRequest;

// Entries are made on any thread and delivered, in order, on the owner's thread:
// a worker calls the notifier after adding an entry, and the owner then calls
// DeliverPending on its own thread (the GUI posts that to its event loop).
class TCustomServerLog {
public:
    TCustomServerLog() = default;
    virtual ~TCustomServerLog() = default;
    TCustomServerLog(const TCustomServerLog&) = delete;
    TCustomServerLog& operator=(const TCustomServerLog&) = delete;

    // Set before the server is switched on.
    void SetNotifier(std::function<void()> notifier) { notifier_ = std::move(notifier); }

    void AddEntry(std::unique_ptr<TTransactionLogEntry> entry);
    // Hands every pending entry to HandleEntry, oldest first; entries it leaves in
    // place are freed (also when it raises, and then the exception goes on).
    void DeliverPending();
    std::size_t PendingCount() const;

protected:
    // Takes the entry over by moving it out of the pointer.
    virtual void HandleEntry(std::unique_ptr<TTransactionLogEntry>& entry) = 0;

private:
    mutable std::mutex lock_;
    std::deque<std::unique_ptr<TTransactionLogEntry>> pendingEntries_;
    // Time of the last request entry per thread, for the elapsed time of what follows.
    std::unordered_map<long, TDateTime> requestTimes_;
    std::function<void()> notifier_;
};

class TServerLog : public TCustomServerLog {
public:
    explicit TServerLog(TCustomWebServer& server) : server_(server) {}

    void LogRequest(TWebServerRequest& request);
    void LogResponse(std::string text);
    void LogError(int kind, int code, std::string message);

protected:
    void HandleEntry(std::unique_ptr<TTransactionLogEntry>& entry) override;

private:
    TCustomWebServer& server_;
};

}  // namespace quillane
