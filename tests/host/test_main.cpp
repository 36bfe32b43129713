// The host tests need a QApplication and the event-loop timers.

#include "host/QtTimer.h"

#include <QApplication>

#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Offscreen unless told otherwise: the tests never need a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    tolvane::InstallQtTimerFactory();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
