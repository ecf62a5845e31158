// The GUI tests' entry: one application object for all tests, offscreen unless told otherwise.
#include <QApplication>
#include <gtest/gtest.h>

#include "app/ui/Application.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    PrepareApplication(application);
    return RUN_ALL_TESTS();
}
