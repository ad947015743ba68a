// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point for the tests of window code: one QApplication for the whole
// binary, on the offscreen platform unless the caller chose another.
#include <QApplication>

#include <gtest/gtest.h>

// A suite may ask for its own platform, such as an offscreen one with
// several screens.
#ifndef HARROWDECK_TEST_PLATFORM
#define HARROWDECK_TEST_PLATFORM "offscreen"
#endif

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", HARROWDECK_TEST_PLATFORM);
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
