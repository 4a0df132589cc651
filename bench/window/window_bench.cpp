// A replace run clicked in the Qt window (offscreen) against the same run through engine::run,
// by user time, in interleaved rounds (BENCH_ROUNDS, 5 by default); see window_run.h.
//
//   window_bench [file|files]   one generated file (BENCH_CORPUS_MB, 200 by default), and
//                               BENCH_SMALL_FILES (20000) files of 1 kB; without one, both
#include <QApplication>
#include <QPushButton>
#include <cstdio>
#include <string>

#include "ui/qt/frmMain.h"
#include "window_run.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string which = argc > 1 ? argv[1] : "";
    if (argc > 2 || (!which.empty() && which != "file" && which != "files")) {
        std::fprintf(stderr, "usage: window_bench [file|files]\n");
        return 2;
    }
    qtview::frmMain window(
        selection::DialogServices{{}, [](const std::string&, const std::string& text) {
                                      std::fprintf(stderr, "window_bench: %s\n", text.c_str());
                                      std::exit(1);
                                  }});
    window.show();
    auto* replace = window.findChild<QPushButton*>(QStringLiteral("cmdReplace"));
    if (replace == nullptr) return 1;
    bench::windowCases(which, [&](const auto& chosen, const auto& folder, const auto& name) {
        bench::windowAgainstEngine(
            "Qt", window.logic(), [&] { replace->click(); }, chosen, folder, name);
    });
    return 0;
}
