// What only Windows can get wrong: text-mode I/O, its separator and drive roots, names outside
// the ANSI code page, and a file system that ignores letter case.
#ifdef _WIN32
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using namespace engine_test;

TEST(WindowsTest, BinaryBytesNamesAndLetterCaseOnTheRealFileSystem) {
    const TempFolder folder;
    const fs::path german = u8"Grüße.htm", russian = u8"файл.txt";
    writeFile(folder / "bin.htm", "one\r\nLF\n\x1a mid\r\n<a b>\x1a");  // byte 26 ends nothing
    writeFile(folder / german, "<a b>");
    writeFile(folder / russian, "<a b>");
    writeFile(folder / "a.htm", "<a b>");
    writeFile(folder / "A_NEW.HTM", "chosen");  // the output of a.htm, in other letter case
    Host host;
    host.entries = {"bin.htm", german, russian, "a.htm", "A_NEW.HTM"};
    host.directory = folder.path;
    engine::run(host);
    EXPECT_EQ(readFile(folder / "bin_new.htm"), "one\r\nLF\n\x1a mid\r\n<a i>\x1a\r\n");
    EXPECT_EQ(readFile(folder / fs::path(u8"Grüße_new.htm")), "<a i>\r\n");
    EXPECT_EQ(readFile(folder / fs::path(u8"файл_new.txt")), "<a i>\r\n");
    EXPECT_EQ(readFile(folder / "A_NEW.HTM"), "chosen");
    EXPECT_EQ(readFile(folder / "A_NEW_new.HTM"), "chosen\r\n");
    EXPECT_THAT(host.failures, testing::ElementsAre(testing::StartsWith("a.htm: ")));
}

// The folder text, a backslash and the name, used as they are: a drive root keeps its own
// separator and gets a second one.
TEST(WindowsTest, SourcesAreTheFolderTextABackslashAndTheName) {
    for (const auto& [folder, source] :
         {std::pair{L"C:\\", L"C:\\\\a.htm"}, std::pair{L"C:\\my.site", L"C:\\my.site\\a.htm"}}) {
        TestFiles files;
        files.files[source] = "<a b>";
        Host host;
        host.entries = {"a.htm", "b.htm"};
        host.directory = folder;
        engine::run(host, files);
        ASSERT_EQ(files.opened.size(), 3u) << "b.htm is missing";
        EXPECT_EQ(files.opened[0].native(), source);
        EXPECT_EQ(files.opened[1], fs::path(source).replace_filename("a_new.htm"));
        EXPECT_EQ(files.files[files.opened[1]], "<a i>\r\n");
    }
}

}  // namespace
#endif
