#include "ui/win32/win32_open_dialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <filesystem>
#include <memory>

#include "selection/dialog_settings.h"
#include "selection/selection_string.h"
#include "ui/win32/text.h"

namespace win32view {

namespace {

constexpr int kInvalidPropertyNumber = 380;

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

void Win32OpenDialog::setMaxFileSize(int size) {
    if (size < 1 || size > selection::kMaxFileSize) {
        throw selection::DialogFailure(kInvalidPropertyNumber, "Invalid property value");
    }
    maxFileSize_ = size;
}

void Win32OpenDialog::showOpen() {
    const std::wstring filter = nulSeparatedFilter(filter_);
    const std::wstring title = widen(title_);
    // Wine's dialog copies a selection of several names whole, past nMaxFile. The buffer is
    // far larger than it announces, zeroed and committed page by page as the system touches
    // it, so such a copy lands in it and is refused below as one that does not fit.
    const std::unique_ptr<wchar_t[], Release> buffer(static_cast<wchar_t*>(VirtualAlloc(
        nullptr, kBufferSize * sizeof(wchar_t), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE)));
    if (buffer == nullptr) throw dialogFailure(CDERR_MEMALLOCFAILURE, maxFileSize_);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(filterIndex_);
    dialog.lpstrFile = buffer.get();
    dialog.nMaxFile = static_cast<DWORD>(maxFileSize_);
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = static_cast<DWORD>(flags_);
    if (GetOpenFileNameW(&dialog)) {
        // One path, or the folder and each name, every one ended by a NUL and the list by another.
        // The list and its first NUL must fit in nMaxFile; the second NUL may follow it.
        std::size_t end = 0;
        while (end + 1 < kBufferSize && (buffer[end] != L'\0' || buffer[end + 1] != L'\0')) ++end;
        if (end >= static_cast<std::size_t>(maxFileSize_)) {
            throw dialogFailure(FNERR_BUFFERTOOSMALL, maxFileSize_);
        }
        fileName_ =
            selection::selectionFromNulList(narrow(std::wstring_view(buffer.get(), end + 1)));
        // Later runs open bare names against the chosen folder. Windows' dialog moves there
        // itself; not every dialog does when a full path is typed.
        const std::wstring first(buffer.get());
        const bool several = first.size() < end;
        SetCurrentDirectoryW(several ? first.c_str()
                                     : std::filesystem::path(first).parent_path().c_str());
        return;
    }
    const DWORD code = CommDlgExtendedError();
    if (code != 0) throw dialogFailure(code, maxFileSize_);
    if (cancelError_)
        throw selection::DialogFailure(selection::kCancelNumber, "Cancel was selected.");
}

}  // namespace win32view
