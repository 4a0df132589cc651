// The form written out once, in tab order: a place, caption or tab index changed in the table
// shows here, while each view's test checks the view against the table.
#include "ui/form.h"

#include <gtest/gtest.h>

#include <string>

TEST(Form, HoldsTheWindowAsDesignedInTabOrder) {
    using namespace ui::form;
    const char* const kinds[] = {"button", "label", "list", "bar", "frame", "text"};
    std::string form = std::string(kCaption) + ' ' + std::to_string(kClientWidth) + 'x' +
                       std::to_string(kClientHeight) + " bar 0.." + std::to_string(kProgressMax);
    for (const Id id : kTabOrder) {
        const Control& c = kControls.at(id);
        form += '\n' + std::to_string(c.tabIndex) + ' ' + std::string(c.name) + ' ' +
                kinds[static_cast<int>(c.kind)] + " \"" + std::string(c.caption) + "\" " +
                (c.frame == kClientArea ? "" : std::string(kControls.at(c.frame).name) + ' ') +
                std::to_string(c.place.left) + ',' + std::to_string(c.place.top) + ' ' +
                std::to_string(c.place.width) + 'x' + std::to_string(c.place.height) +
                (takesFocus(c.kind) ? " focus" : "");
    }
    std::string texts;
    for (const Id id : kTextBoxControls) texts += ' ' + std::string(kControls.at(id).name);
    EXPECT_EQ(form + '\n' + texts, R"(Replace by Marbeck 9015x6150 bar 0..100
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
