// A replace run clicked in the Qt window (offscreen) against the same run through engine::run,
// by user time, in interleaved rounds (BENCH_ROUNDS, 5 by default); see window_run.h.
//
//   window_bench [file|files]   one generated file (BENCH_CORPUS_MB, 200 by default), and
//                               BENCH_SMALL_FILES (20000) files of 1 kB; without one, both
//
// Two benchmarks, window/file and window/files; see ratio_benchmark.h.
#include <QApplication>
#include <QPushButton>
#include <cstdio>
#include <optional>
#include <string>

#include "ratio_benchmark.h"
#include "ui/qt/frmMain.h"
#include "window_run.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qtview::frmMain window(
        selection::DialogServices{{}, [](const std::string&, const std::string& text) {
                                      std::fprintf(stderr, "window_bench: %s\n", text.c_str());
                                      std::exit(1);
                                  }});
    window.show();
    auto* replace = window.findChild<QPushButton*>(QStringLiteral("cmdReplace"));
    if (replace == nullptr) return 1;
    for (const bool smallFiles : {false, true}) {
        bench::registerRatio(smallFiles ? "window/files" : "window/file",
                             "<=", bench::kWindowTarget, [&window, replace, smallFiles] {
                                 return bench::windowAgainstEngine(
                                     "Qt", window.logic(), [replace] { replace->click(); },
                                     bench::windowCase(smallFiles));
                             });
    }
    return bench::runBenchmarks(argc, argv, "file|files",
                                [](const std::string& which) -> std::optional<std::string> {
                                    if (which == "file" || which == "files") {
                                        return "^window/" + which + "/";
                                    }
                                    return std::nullopt;
                                });
}
