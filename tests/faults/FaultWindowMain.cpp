// The main() of the fault tests of the windows: mounts of the process's own
// first, the web engine prepared before the application object, then each
// group of tests in turn.
#include "FaultSupport.h"
#include "FaultWindowTests.h"
#include "FlashView.h"

#include <QApplication>
#include <QtTest>
#include <cstdio>

int main(int argc, char** argv) {
    if (!quillane::testing::UsePrivateMounts()) {
        std::fprintf(stderr, "fault tests: no mount namespace of their own; mounts are shared with the machine\n");
    }
    quillane::PrepareFlashPlayer();
    QApplication application(argc, argv);
    int failed = 0;
    {
        DiskFullWindowTest test;
        failed += QTest::qExec(&test, argc, argv);
    }
    {
        ReadOnlyWindowTest test;
        failed += QTest::qExec(&test, argc, argv);
    }
    {
        NetworkDropTest test;
        failed += QTest::qExec(&test, argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
