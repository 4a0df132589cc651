// The form written out once, in tab order: a place, caption or tab index changed in the table
// shows here, while each view's test checks the view against the table.
#include "ui/form.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(Form, HoldsTheWindowAsDesignedInTabOrder) {
    using namespace ui::form;
    const char* const kinds[] = {"button", "label", "list", "bar", "frame", "text"};
    std::ostringstream form;
    form << kCaption << ' ' << kClientWidth << 'x' << kClientHeight << " bar 0.." << kProgressMax;
    for (const Id id : kTabOrder) {
        const Control& c = kControls.at(id);
        form << '\n'
             << c.tabIndex << ' ' << c.name << ' ' << kinds[static_cast<int>(c.kind)] << " \""
             << c.caption << "\" " << (c.frame == kClientArea ? "" : kControls.at(c.frame).name)
             << (c.frame == kClientArea ? "" : " ") << c.place.left << ',' << c.place.top << ' '
             << c.place.width << 'x' << c.place.height << (takesFocus(c.kind) ? " focus" : "");
    }
    form << '\n';
    for (const Id id : kTextBoxControls) form << ' ' << kControls.at(id).name;
    EXPECT_EQ(form.str(), R"(Replace by Marbeck 9015x6150 bar 0..100
0 lstFile list "" 120,960 8775x2205 focus
1 cmdAdd button "Add File" 120,120 1095x375 focus
2 lblDirectory label "" 120,600 8775x255
3 frmStart frame "Start String with" 120,3840 4335x735
4 frmStop frame "Stop String with" 4560,3840 4335x735
5 txtStart text "" frmStart 120,240 4095x315 focus
6 txtStop text "" frmStop 120,240 4095x315 focus
7 frmReplace frame "Replace this String " 120,4680 4335x735
8 txtSearch text "" frmReplace 120,240 4095x315 focus
9 frmString frame "with this String" 4560,4680 4335x735
10 txtReplace text "" frmString 120,240 4095x315 focus
11 cmdReplace button "Replace" 960,5520 2655x495 focus
12 cmdStop button "Stop" 5400,5520 2655x495 focus
13 ProgresBar bar "" 120,3360 8775x375
 txtStart txtStop txtSearch txtReplace)");
}
