// A replace run clicked in the Win32 window against the same run through engine::run, by user
// time, in interleaved rounds (BENCH_ROUNDS, 5 by default); see window_run.h. Built in the
// windows preset and run under Wine on a display: scripts/windows-tests.sh --bench.
//
//   window_win32_bench [file|files]   one generated file (BENCH_CORPUS_MB, 200 by default), and
//                                     BENCH_SMALL_FILES (20000) files of 1 kB; without one, both
#include <windows.h>

#include <cstdio>
#include <string>

#include "ui/win32/frmMain.h"
#include "window_run.h"

int main(int argc, char* argv[]) {
    const std::string which = argc > 1 ? argv[1] : "";
    if (argc > 2 || (!which.empty() && which != "file" && which != "files")) {
        std::fprintf(stderr, "usage: window_win32_bench [file|files]\n");
        return 2;
    }
    win32view::frmMain window(selection::DialogServices{
        {}, [](const std::string&, const std::string& text) {
            std::fprintf(stderr, "window_win32_bench: %s\n", text.c_str());
            std::exit(1);
        }});
    window.show();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) win32view::frmMain::dispatch(msg);
    const HWND replace = window.control(win32view::cmdReplace);
    for (const bool smallFiles : {false, true}) {
        if (which == (smallFiles ? "file" : "files")) continue;
        bench::measureRatio(
            bench::windowAgainstEngine(
                "Win32", window.logic(), [&] { SendMessageW(replace, BM_CLICK, 0, 0); },
                bench::windowCase(smallFiles)),
            "<=", bench::kWindowTarget);
    }
    return 0;
}
