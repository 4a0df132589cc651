// The main window as one table: its caption and client size, and each control's name, kind,
// fixed caption, place in twips and tab index. The Qt and the Win32 view both build the window
// from it, each with its own widgets, and their tests check what they built against it.
#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace ui {

// The four text boxes, in the order of the texts the engine takes.
enum class TextBox { start, stop, search, replace };
inline constexpr int kTextBoxCount = 4;

namespace form {

inline constexpr std::string_view kCaption = "Replace by Marbeck";
// Twips: 1440 to the inch, so 15 to a pixel at 96 DPI.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kClientWidth = 9015;
inline constexpr int kClientHeight = 6150;
// The progress bar's range as the window opens: 0 to this, at 0.
inline constexpr int kProgressMax = 100;

enum class Kind { button, label, list, progressBar, frame, textBox };

// The controls, in the order of kControls.
enum Id : int {
    cmdAdd,
    lblDirectory,
    lstFile,
    ProgresBar,
    frmStart,
    txtStart,
    frmStop,
    txtStop,
    frmReplace,
    txtSearch,
    frmString,
    txtReplace,
    cmdReplace,
    cmdStop,
    kControlCount
};

struct Twips {
    int left, top, width, height;
};

struct Control {
    Id id;
    std::string_view name;
    Kind kind;
    std::string_view caption;  // empty where the window logic sets the text
    Twips place;               // in the client area, or in `frame` for a text box
    Id frame;                  // kControlCount: the client area
    int tabIndex;
};

inline constexpr Id kClientArea = kControlCount;

inline constexpr std::array<Control, kControlCount> kControls{{
    {cmdAdd, "cmdAdd", Kind::button, "Add File", {120, 120, 1095, 375}, kClientArea, 1},
    {lblDirectory, "lblDirectory", Kind::label, "", {120, 600, 8775, 255}, kClientArea, 2},
    {lstFile, "lstFile", Kind::list, "", {120, 960, 8775, 2205}, kClientArea, 0},
    {ProgresBar, "ProgresBar", Kind::progressBar, "", {120, 3360, 8775, 375}, kClientArea, 13},
    {frmStart,
     "frmStart",
     Kind::frame,
     "Start String with",
     {120, 3840, 4335, 735},
     kClientArea,
     3},
    {txtStart, "txtStart", Kind::textBox, "", {120, 240, 4095, 315}, frmStart, 5},
    {frmStop, "frmStop", Kind::frame, "Stop String with", {4560, 3840, 4335, 735}, kClientArea, 4},
    {txtStop, "txtStop", Kind::textBox, "", {120, 240, 4095, 315}, frmStop, 6},
    {frmReplace,
     "frmReplace",
     Kind::frame,
     "Replace this String ",
     {120, 4680, 4335, 735},
     kClientArea,
     7},
    {txtSearch, "txtSearch", Kind::textBox, "", {120, 240, 4095, 315}, frmReplace, 8},
    {frmString,
     "frmString",
     Kind::frame,
     "with this String",
     {4560, 4680, 4335, 735},
     kClientArea,
     9},
    {txtReplace, "txtReplace", Kind::textBox, "", {120, 240, 4095, 315}, frmString, 10},
    {cmdReplace, "cmdReplace", Kind::button, "Replace", {960, 5520, 2655, 495}, kClientArea, 11},
    {cmdStop, "cmdStop", Kind::button, "Stop", {5400, 5520, 2655, 495}, kClientArea, 12},
}};

// The text box of each TextBox.
inline constexpr std::array<Id, kTextBoxCount> kTextBoxControls{txtStart, txtStop, txtSearch,
                                                                txtReplace};

// The controls by tab index: kTabOrder[0] has the focus when the window opens.
inline constexpr std::array<Id, kControlCount> kTabOrder = [] {
    std::array<Id, kControlCount> order{};
    for (const Control& control : kControls) order.at(control.tabIndex) = control.id;
    return order;
}();

// Buttons, the list and the text boxes take the focus; labels, frames and the bar do not.
constexpr bool takesFocus(Kind kind) {
    return kind == Kind::button || kind == Kind::list || kind == Kind::textBox;
}

static_assert(std::ranges::all_of(kControls,
                                  [](const Control& c) { return kControls.at(c.id).id == c.id; }),
              "each control is found by its id");
static_assert(std::ranges::all_of(kControls,
                                  [](const Control& c) {
                                      return c.id == kControls.at(kTabOrder.at(c.tabIndex)).id;
                                  }),
              "each tab index belongs to one control");
static_assert(std::ranges::all_of(kControls,
                                  [](const Control& c) {
                                      return (c.kind == Kind::textBox) == (c.frame != kClientArea);
                                  }),
              "the text boxes, and only they, sit in frames");

}  // namespace form
}  // namespace ui
