// Lists of chosen files that could make an output replace a chosen file: duplicates, a file and
// its own output name, names without a dot, links. No chosen file may change.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "recording_host.h"
#include "run_checks.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using engine_test::RecordingHost;
using engine_test::TempFolder;
using Files = std::map<std::string, std::string>;

struct ChoiceCase {
    const char* name;
    Files files;
    std::vector<std::pair<std::string, std::string>> links;  // link -> target, both in the folder
    std::vector<std::pair<std::string, std::string>> hardLinks;
    std::vector<std::string> entries;  // one entry is single mode, taken as a full path
    Files after;                       // the folder afterwards (a link reads as its target)
    std::vector<std::string> refused;  // entries reported as failures, in order
};

void PrintTo(const ChoiceCase& c, std::ostream* out) {
    *out << c.name;
}

class BadChoiceTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(BadChoiceTest, NoChosenFileIsWritten) {
    const ChoiceCase& c = GetParam();
    TempFolder folder;
    for (const auto& [name, content] : c.files) engine_test::writeFile(folder / name, content);
    for (const auto& [link, target] : c.links) {
        std::error_code error;
        fs::create_symlink(target, folder / link, error);
        if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
    }
    for (const auto& [link, target] : c.hardLinks) {
        std::error_code error;
        fs::create_hard_link(folder / target, folder / link, error);
        if (error) GTEST_SKIP() << "no hard links here: " << error.message();
    }
    RecordingHost host;
    if (c.entries.size() == 1) {
        host.entries = {folder / c.entries[0]};
    } else {
        host.entries.assign(c.entries.begin(), c.entries.end());
        host.directory = folder.path();
    }

    engine::run(host);

    EXPECT_EQ(engine_test::folderContents(folder.path()), c.after);
    for (const auto& [link, target] : c.links) EXPECT_TRUE(fs::is_symlink(folder / link)) << link;
    std::vector<std::string> refused;
    for (const auto& [file, reason] : host.failures) {
        const std::u8string name = file.filename().u8string();
        refused.emplace_back(name.begin(), name.end());
        EXPECT_NE(reason.find("would overwrite a chosen file"), std::string::npos) << reason;
    }
    EXPECT_EQ(refused, c.refused);
    engine_test::expectIdleAfterRun(host);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, BadChoiceTest,
    testing::Values(
        ChoiceCase{"SameFileListedTwice",
                   {{"a.htm", "<a b>"}},
                   {},
                   {},
                   {"a.htm", "a.htm"},
                   {{"a.htm", "<a b>"}, {"a_new.htm", "<a i>\r\n"}},
                   {}},
        ChoiceCase{
            "OutputNameChosenBeforeItsSource",
            {{"a.htm", "<a b>"}, {"a_new.htm", "<a b> mine"}},
            {},
            {},
            {"a_new.htm", "a.htm"},
            {{"a.htm", "<a b>"}, {"a_new.htm", "<a b> mine"}, {"a_new_new.htm", "<a i> mine\r\n"}},
            {"a.htm"}},
        ChoiceCase{"NameWithoutADotInSingleMode",
                   {{"README", "<a b>"}},
                   {},
                   {},
                   {"README"},
                   {{"README", "<a b>"}, {"README_new", "<a i>\r\n"}},
                   {}},
        ChoiceCase{
            "NamesWithoutADotInMultiMode",
            {{"README", "<a b>"}, {"README_new", "<a b>!"}},
            {},
            {},
            {"README", "README_new"},
            {{"README", "<a b>"}, {"README_new", "<a b>!"}, {"README_new_new", "<a i>!\r\n"}},
            {"README"}},
        ChoiceCase{"OutputNameIsALinkToAnotherChosenFile",
                   {{"a.htm", "<a b>"}, {"b.htm", "<a b>b"}},
                   {{"b_new.htm", "a.htm"}},
                   {},
                   {"a.htm", "b.htm"},
                   {{"a.htm", "<a b>"},
                    {"a_new.htm", "<a i>\r\n"},
                    {"b.htm", "<a b>b"},
                    {"b_new.htm", "<a b>"}},
                   {"b.htm"}},
        ChoiceCase{"SingleSourceIsALinkToItsOwnOutputName",
                   {{"page_new.htm", "<a b>"}},
                   {{"page.htm", "page_new.htm"}},
                   {},
                   {"page.htm"},
                   {{"page.htm", "<a b>"}, {"page_new.htm", "<a b>"}},
                   {"page.htm"}},
        ChoiceCase{"OutputNameIsAHardLinkToAnotherChosenFile",
                   {{"a.htm", "<a b>"}, {"b.htm", "<a b>b"}},
                   {},
                   {{"b_new.htm", "a.htm"}},
                   {"a.htm", "b.htm"},
                   {{"a.htm", "<a b>"},
                    {"a_new.htm", "<a i>\r\n"},
                    {"b.htm", "<a b>b"},
                    {"b_new.htm", "<a b>"}},
                   {"b.htm"}},
        ChoiceCase{"ChosenLinkAndItsTarget",
                   {{"a.htm", "<a b>"}},
                   {{"l.htm", "a.htm"}},
                   {},
                   {"a.htm", "l.htm"},
                   {{"a.htm", "<a b>"},
                    {"a_new.htm", "<a i>\r\n"},
                    {"l.htm", "<a b>"},
                    {"l_new.htm", "<a i>\r\n"}},
                   {}}),
    [](const testing::TestParamInfo<ChoiceCase>& param) { return param.param.name; });

}  // namespace
