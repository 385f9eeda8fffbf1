#pragma once

#include "FlashView.h"

#include <QApplication>
#include <QtTest>

// The main() of a window test: the web engine of the Flash view must be
// prepared before the application object exists, as the program does.
#define QUILLANE_WINDOW_TEST_MAIN(TestClass)            \
    int main(int argc, char** argv) {                   \
        quillane::PrepareFlashPlayer();                 \
        QApplication application(argc, argv);           \
        TestClass test;                                 \
        return QTest::qExec(&test, argc, argv);         \
    }
