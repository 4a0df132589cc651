// The Open dialog settings that GetFiles applies, and the meaning of the Flags bits.
#pragma once

#include <string_view>

namespace selection {

inline constexpr std::string_view kOpenFilter =
    "All Files (*.*)|*.*|Text Files (*.txt)|*.*.txt|INI Files (*.ini)|*.ini|"
    "Images (*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.gif";
inline constexpr int kOpenFilterIndex = 1;
// Also the largest MaxFileSize a dialog takes.
inline constexpr int kMaxFileSize = 32767;

inline constexpr long kFlagHideReadOnly = 0x4;
inline constexpr long kFlagAllowMultiSelect = 0x200;
inline constexpr long kFlagPathMustExist = 0x800;
inline constexpr long kFlagNoLongNames = 0x40000;
inline constexpr long kFlagExplorer = 0x80000;
inline constexpr long kOpenFlags = kFlagExplorer | kFlagNoLongNames | kFlagPathMustExist |
                                   kFlagAllowMultiSelect | kFlagHideReadOnly;
static_assert(kOpenFlags == 788996);

}  // namespace selection
