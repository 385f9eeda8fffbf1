#pragma once

#include <cstddef>
#include <functional>

namespace quillane {

// Runs `work` once for each of `count` items, on as many threads as the
// machine has cores (at most `mostThreads`, 0 for no bound), the calling
// thread among them, and returns when every item is done. The items must
// share nothing but what `work` guards itself. The threads are Qt's own: work
// that makes Qt objects (picture readers) leaves no per-thread state behind,
// as it would on a foreign thread that Qt adopts.
void ForEachOnEveryCore(std::size_t count, const std::function<void(std::size_t item)>& work, unsigned mostThreads = 0);

}  // namespace quillane
