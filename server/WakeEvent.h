#pragma once

#include <cerrno>
#include <semaphore.h>

namespace quillane {

// A worker's wake event: Set lets one Wait through, and sets made before the wait
// are counted, so a hand-over and a request to end that both come first are kept.
// A POSIX semaphore, because its wait sleeps at once and its set calls the system
// only when a thread waits; the standard library's semaphore yields the processor
// over and over before it sleeps and wakes with a system call every time.
class TWakeEvent {
public:
    TWakeEvent() { ::sem_init(&semaphore_, 0, 0); }
    ~TWakeEvent() { ::sem_destroy(&semaphore_); }
    TWakeEvent(const TWakeEvent&) = delete;
    TWakeEvent& operator=(const TWakeEvent&) = delete;

    void Set() { ::sem_post(&semaphore_); }
    void Wait() {
        while (::sem_wait(&semaphore_) != 0 && errno == EINTR) {
        }
    }

private:
    sem_t semaphore_;
};

}  // namespace quillane
