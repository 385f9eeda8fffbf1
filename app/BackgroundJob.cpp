#include "BackgroundJob.h"

#include <QThread>

namespace quillane {

TBackgroundJob::TBackgroundJob(Work work, QObject* parent) : QObject(parent), work_(std::move(work)) {}

TBackgroundJob::~TBackgroundJob() {
    if (thread_) thread_->wait();
}

void TBackgroundJob::Start() {
    thread_.reset(QThread::create(work_));
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
