// Test entry for widget tests: a QApplication on the platform CTest selects (offscreen).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The build lists the tests by running this binary, where CTest's environment does not apply.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
