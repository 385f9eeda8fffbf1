#include "BackgroundJob.h"

#include <QThread>
#include <algorithm>
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace quillane {
namespace {

// How far below the window's thread the work runs: when it takes every core,
// the window still answers input first.
constexpr int kNicerThanTheWindow = 5;
constexpr int kNicest = 19;

void RunBelowTheWindow() {
    // On Linux this sets the calling thread's niceness alone, and the threads it starts inherit it.
    const auto thread = static_cast<id_t>(gettid());
    errno = 0;
    const int now = getpriority(PRIO_PROCESS, thread);
    if (errno == 0) setpriority(PRIO_PROCESS, thread, std::min(kNicest, now + kNicerThanTheWindow));
}

}  // namespace

TBackgroundJob::TBackgroundJob(Work work, QObject* parent) : QObject(parent), work_(std::move(work)) {}

TBackgroundJob::~TBackgroundJob() {
    if (thread_) thread_->wait();
}

void TBackgroundJob::Start() {
    thread_.reset(QThread::create([work = work_] {
        RunBelowTheWindow();
        work();
    }));
    connect(thread_.get(), &QThread::finished, this, [this] {
        thread_->wait();
        emit Finished();
    });
    thread_->start();
}

bool TBackgroundJob::Running() const {
    return thread_ && !thread_->isFinished();
}

}  // namespace quillane
