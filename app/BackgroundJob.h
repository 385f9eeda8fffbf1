#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QThread;

namespace quillane {

// One piece of long work run off the window's thread: the work runs on a
// thread of its own, and Finished comes exactly once, on the thread that made
// the job, when it has ended. The work keeps its results in what it captured;
// they are the window's to read from Finished on. Cancel tells the window to
// take nothing from the work, which runs to its end unseen. Destroying the job
// waits for the work, and a job destroyed before it ended never reports.
class TBackgroundJob : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void()>;

    explicit TBackgroundJob(Work work, QObject* parent = nullptr);
    ~TBackgroundJob() override;
    TBackgroundJob(const TBackgroundJob&) = delete;
    TBackgroundJob& operator=(const TBackgroundJob&) = delete;

    void Start();
    void Cancel() { cancelled_ = true; }
    bool Cancelled() const { return cancelled_; }
    bool Running() const;

signals:
    void Finished();

private:
    Work work_;
    // Set and read on the window's thread only.
    bool cancelled_ = false;
    std::unique_ptr<QThread> thread_;
};

}  // namespace quillane
