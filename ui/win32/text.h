// UTF-8, as the window logic keeps its texts, to and from the UTF-16 of the W functions.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace win32view {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
// A window's text, or a control's, in UTF-8.
std::string windowText(HWND window);

}  // namespace win32view
