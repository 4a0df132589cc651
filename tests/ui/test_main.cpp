// The widget tests need one QApplication for the whole process.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char* argv[]) {
    // Tests run without a display unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
