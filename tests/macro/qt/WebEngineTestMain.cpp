// main() of the tests that run the real browser engine: a QApplication on the offscreen
// platform with the program's event loop installed, then GoogleTest.

#include "macro/qt/QtWebEngineSetup.h"
#include "ui/QtEventLoop.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char **argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    PrepareWebEngine();
    QApplication app(argc, argv);
    QtEventLoop loop;
    SetEventLoop(&loop);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    SetEventLoop(nullptr);
    return result;
}
