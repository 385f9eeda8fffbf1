// Long work off the window's thread: it runs below the window's priority, so
// that input is answered first while it takes every core.
#include "BackgroundJob.h"

#include <QSignalSpy>
#include <QtTest>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace quillane;

class BackgroundJobTest : public QObject {
    Q_OBJECT

private slots:
    void theWorkAndTheThreadsItStartsRunBelowTheWindow() {
        const int window = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        int work = window, helper = window;
        TBackgroundJob job([&] {
            work = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
            std::thread([&] { helper = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())); }).join();
        });
        QSignalSpy finished(&job, &TBackgroundJob::Finished);
        job.Start();
        QVERIFY(finished.wait(10000));
        QVERIFY2(work > window && helper == work, qPrintable(QString("%1 %2 %3").arg(window).arg(work).arg(helper)));
        QCOMPARE(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())), window);
    }
};

QTEST_GUILESS_MAIN(BackgroundJobTest)

#include "BackgroundJobTest.moc"
