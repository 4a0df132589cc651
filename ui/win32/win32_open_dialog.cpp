#include "ui/win32/win32_open_dialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <memory>

#include "selection/selection_string.h"
#include "ui/win32/text.h"

namespace win32view {

namespace {

// The file name buffer in characters: 16 MiB, room for some 80 000 names of 100 characters.
constexpr std::size_t kBufferSize = std::size_t{8} << 20;

struct Release {
    void operator()(wchar_t* buffer) const { VirtualFree(buffer, 0, MEM_RELEASE); }
};

const char* describe(DWORD code) {
    switch (code) {
        case CDERR_DIALOGFAILURE:
            return "The Open dialog could not be created.";
        case CDERR_INITIALIZATION:
            return "The Open dialog could not be initialised.";
        case CDERR_MEMALLOCFAILURE:
        case CDERR_MEMLOCKFAILURE:
            return "Out of memory.";
        case FNERR_INVALIDFILENAME:
            return "The file name is not valid.";
        case FNERR_SUBCLASSFAILURE:
            return "The Open dialog failed.";
        default:
            return "The Open dialog failed.";
    }
}

}  // namespace

std::wstring nulSeparatedFilter(const std::string& filter) {
    std::wstring wide = widen(filter);
    for (wchar_t& c : wide) {
        if (c == L'|') c = L'\0';
    }
    wide += L'\0';
    wide += L'\0';
    return wide;
}

selection::DialogFailure dialogFailure(DWORD code, int maxFileSize) {
    if (code == FNERR_BUFFERTOOSMALL) return selection::selectionTooLong(maxFileSize);
    return selection::DialogFailure(static_cast<int>(code), describe(code));
}

std::optional<selection::Choice> Win32OpenDialog::show(const selection::DialogSettings& settings) {
    const std::wstring filter = nulSeparatedFilter(settings.filter);
    const std::wstring title = widen(settings.dialogTitle);
    // Wine's dialog copies a selection of several names whole, past nMaxFile. The buffer is
    // far larger than it announces, zeroed and committed page by page as the system touches
    // it, so such a copy lands in it and is refused as one that does not fit.
    const std::unique_ptr<wchar_t[], Release> buffer(static_cast<wchar_t*>(VirtualAlloc(
        nullptr, kBufferSize * sizeof(wchar_t), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE)));
    if (buffer == nullptr) throw dialogFailure(CDERR_MEMALLOCFAILURE, settings.maxFileSize);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(settings.filterIndex);
    dialog.lpstrFile = buffer.get();
    dialog.nMaxFile = static_cast<DWORD>(settings.maxFileSize);
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = static_cast<DWORD>(settings.flags);
    if (GetOpenFileNameW(&dialog)) {
        // One path, or the folder and each name, every one ended by a NUL and the list by another.
        // The list and its first NUL must fit in nMaxFile; the second NUL may follow it.
        std::size_t end = 0;
        while (end + 1 < kBufferSize && (buffer[end] != L'\0' || buffer[end + 1] != L'\0')) ++end;
        return selection::Choice{
            selection::selectionFromNulList(narrow(std::wstring_view(buffer.get(), end + 1))),
            end + 1};
    }
    const DWORD code = CommDlgExtendedError();
    if (code != 0) throw dialogFailure(code, settings.maxFileSize);
    return std::nullopt;
}

}  // namespace win32view
