#include "ServerLog.h"

#include "WebServer.h"

namespace quillane {

void TCustomServerLog::AddEntry(std::unique_ptr<TTransactionLogEntry> entry) {
    {
        const std::lock_guard lock(lock_);
        if (dynamic_cast<TRequestTransaction*>(entry.get())) {
            requestTimes_[entry->ThreadId] = entry->Time;
        } else if (const auto found = requestTimes_.find(entry->ThreadId); found != requestTimes_.end()) {
            entry->Elapsed = entry->Time - found->second;
        }
        pendingEntries_.push_back(std::move(entry));
    }
    if (notifier_) notifier_();
}

void TCustomServerLog::DeliverPending() {
    for (;;) {
        std::unique_ptr<TTransactionLogEntry> entry;
        {
            const std::lock_guard lock(lock_);
            if (pendingEntries_.empty()) return;
            entry = std::move(pendingEntries_.front());
            pendingEntries_.pop_front();
        }
        HandleEntry(entry);
    }
}

std::size_t TCustomServerLog::PendingCount() const {
    const std::lock_guard lock(lock_);
    return pendingEntries_.size();
}

void TServerLog::LogRequest(TWebServerRequest& request) { AddEntry(std::make_unique<TRequestTransaction>(request)); }

void TServerLog::LogResponse(std::string text) { AddEntry(std::make_unique<TResponseTransaction>(std::move(text))); }

void TServerLog::LogError(int kind, int code, std::string message) {
    AddEntry(std::make_unique<TErrorTransaction>(kind, code, std::move(message)));
}

void TServerLog::HandleEntry(std::unique_ptr<TTransactionLogEntry>& entry) {
    if (server_.LogHandler) server_.LogHandler(*this, entry);
}

}  // namespace quillane
