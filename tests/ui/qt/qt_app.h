// One QApplication per test process, never on a real display.
#pragma once

#include <QApplication>

inline bool ensureQtApp() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tests", *argv[] = {name, nullptr};
    return QCoreApplication::instance() != nullptr || new QApplication(argc, argv) != nullptr;
}
