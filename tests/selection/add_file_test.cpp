#include "selection/add_file.h"

#include <gtest/gtest.h>

#include "scripted_dialog.h"

namespace selection::testing {
namespace {

// The window after an earlier successful selection.
struct FakeHost : AddFileHost {
    QStringList list{"old.htm"};
    QString label = "/earlier";
    bool replaceEnabled = true;
    void clearList() override { list.clear(); }
    void appendEntry(const QString& entry) override { list.append(entry); }
    void setDirectoryText(const QString& text) override { label = text; }
    void setReplaceEnabled(bool enabled) override { replaceEnabled = enabled; }
};

TEST(AddFileClick, FillsListAndLabelForEachKindOfSelection) {
    const QChar nul(0);
    const struct {
        QString selection;
        QStringList list;
        QString label;
        bool replace;
    } cases[] = {
        {"/data/page.htm", {"/data/page.htm"}, "Single Files selected:", true},
        {QString("/data") + nul + "c.htm" + nul + "a.htm" + nul + "b.htm",
         {"c.htm", "a.htm", "b.htm"},
         "/data",
         true},
        {"", {"(No files selected)"}, "/earlier", false},  // cancel or failure
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selection.toStdString());
        Script script;
        script.selection = c.selection;
        FakeHost host;
        addFileClick(host, scriptedServices(script));
        EXPECT_EQ(host.list, c.list);
        EXPECT_EQ(host.label, c.label);
        EXPECT_EQ(host.replaceEnabled, c.replace);
        EXPECT_TRUE(script.calls.contains("DialogTitle=Open files..."));
    }
}

}  // namespace
}  // namespace selection::testing
