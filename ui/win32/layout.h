// The window's controls in twips, in tab order, with the window class and styles each is made
// with. The text boxes are placed by their frames' corners plus their own offsets.
#pragma once

#include <windows.h>

#include <array>

namespace win32view {

enum ControlId : int {
    lstFile = 100,
    cmdAdd,
    lblDirectory,
    frmStart,
    frmStop,
    txtStart,
    txtStop,
    frmReplace,
    txtSearch,
    frmString,
    txtReplace,
    cmdReplace,
    cmdStop,
    ProgresBar
};

struct ControlLayout {
    ControlId id;
    const wchar_t* name;
    const wchar_t* windowClass;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height;  // twips, in the client area
};

inline constexpr int kClientWidth = 9015;
inline constexpr int kClientHeight = 6150;
inline constexpr int kTwipsPerInch = 1440;

// The frames' inner offset of their text boxes.
inline constexpr int kBoxLeft = 120;
inline constexpr int kBoxTop = 240;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kFrame = kChild | BS_GROUPBOX;
constexpr DWORD kTextBox = kChild | WS_TABSTOP | ES_AUTOHSCROLL;

// Created in this order, so that the z-order is the tab order and each frame lies below its box.
inline constexpr std::array<ControlLayout, 14> kControls{{
    {lstFile, L"lstFile", L"ListBox", L"",
     kChild | WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, WS_EX_CLIENTEDGE, 120,
     960, 8775, 2205},
    {cmdAdd, L"cmdAdd", L"Button", L"Add File", kButton, 0, 120, 120, 1095, 375},
    {lblDirectory, L"lblDirectory", L"Static", L"", kChild | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0,
     120, 600, 8775, 255},
    {frmStart, L"frmStart", L"Button", L"Start String with", kFrame, 0, 120, 3840, 4335, 735},
    {frmStop, L"frmStop", L"Button", L"Stop String with", kFrame, 0, 4560, 3840, 4335, 735},
    {txtStart, L"txtStart", L"Edit", L"", kTextBox, WS_EX_CLIENTEDGE, 120 + kBoxLeft,
     3840 + kBoxTop, 4095, 315},
    {txtStop, L"txtStop", L"Edit", L"", kTextBox, WS_EX_CLIENTEDGE, 4560 + kBoxLeft, 3840 + kBoxTop,
     4095, 315},
    {frmReplace, L"frmReplace", L"Button", L"Replace this String ", kFrame, 0, 120, 4680, 4335,
     735},
    {txtSearch, L"txtSearch", L"Edit", L"", kTextBox, WS_EX_CLIENTEDGE, 120 + kBoxLeft,
     4680 + kBoxTop, 4095, 315},
    {frmString, L"frmString", L"Button", L"with this String", kFrame, 0, 4560, 4680, 4335, 735},
    {txtReplace, L"txtReplace", L"Edit", L"", kTextBox, WS_EX_CLIENTEDGE, 4560 + kBoxLeft,
     4680 + kBoxTop, 4095, 315},
    {cmdReplace, L"cmdReplace", L"Button", L"Replace", kButton, 0, 960, 5520, 2655, 495},
    {cmdStop, L"cmdStop", L"Button", L"Stop", kButton, 0, 5400, 5520, 2655, 495},
    {ProgresBar, L"ProgresBar", L"msctls_progress32", L"", kChild, 0, 120, 3360, 8775, 375},
}};

// Twips to pixels at `dpi` dots per inch (15 twips per pixel at 96).
inline int pixels(int twips, int dpi) {
    return MulDiv(twips, dpi, kTwipsPerInch);
}

}  // namespace win32view
