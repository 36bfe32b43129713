// The link's timers run on the event loop, as in the program.

#include "host/QtTimer.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tolvane::InstallQtTimerFactory();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
