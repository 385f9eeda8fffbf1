#include "EveryCore.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace quillane {

void ForEachOnEveryCore(std::size_t count, const std::function<void(std::size_t item)>& work, unsigned mostThreads) {
    std::atomic<std::size_t> next{0};
    const auto takeItems = [&] {
        for (std::size_t item = next++; item < count; item = next++) work(item);
    };
    std::size_t threads = std::max(1u, std::thread::hardware_concurrency());
    if (mostThreads > 0) threads = std::min<std::size_t>(threads, mostThreads);
    threads = std::min(threads, std::max<std::size_t>(count, 1));
    std::vector<std::unique_ptr<QThread>> helpers;
    for (std::size_t i = 1; i < threads; ++i) {
        helpers.emplace_back(QThread::create(takeItems));
        helpers.back()->start();
    }
    takeItems();
    for (const auto& helper : helpers) helper->wait();
}

}  // namespace quillane
