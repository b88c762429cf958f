// The usage text in its two forms and the exit statuses of usage().
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver/tvt_output.h"
#include "scan/tvt_lang.h"
#include "scan/tvt_tag.h"

namespace {

std::string usage_text(int long_form)
{
    std::string path = ::testing::TempDir() + "tvt_usage_" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    FILE *f = fopen(path.c_str(), "w+b");
    if (!f)
        return "";
    usage_print(f, long_form);
    fflush(f);
    rewind(f);
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    fclose(f);
    remove(path.c_str());
    return s;
}

std::vector<std::string> lines_of(const std::string &s)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t nl; (nl = s.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(s.substr(start, nl - start));
    out.push_back(s.substr(start));
    return out;
}

TEST(Usage, ShortFormListsTheSwitchesInOrder)
{
    std::string text = usage_text(0);
    const std::string head = "tvtags -- Tolva tags compiler, version 3.026\n\nUsage: tvtags [switches] files ..\n"
                             "\t-a\t\tAppend to tags file.\n\t-[no]assign\tGenerate assignment xrefs.\n";
    EXPECT_EQ(text.compare(0, head.size(), head), 0) << text;
    const std::string tail = "\t-xd <dir>\tSpecify a directory name wildcard to exclude\n"
                             "\t-xf <file>\tSpecify a file name wildcard to exclude\n"
                             "\t-xref     \tCreate cross-reference entries\n\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);

    // The remote prefix example sits on its own line under -path_prefix.
    std::vector<std::string> lines = lines_of(text);
    auto it = std::find(lines.begin(), lines.end(), "\t-path_prefix PREFIX");
    ASSERT_NE(it, lines.end());
    ASSERT_LT(it + 3, lines.end());
    EXPECT_EQ(it[1], "\t\t\tAdd PREFIX to all filenames stored in a database.");
    EXPECT_EQ(it[2].compare(0, 3, "\t\t\t"), 0);
    EXPECT_NE(it[2].find("://"), std::string::npos);
    EXPECT_EQ(it[3], "\t-prune\t\tPrune deleted files from database. (default)");
    EXPECT_EQ(lines.size(), 48u);   // two heading lines and a blank, 43 switch lines, a blank
}

TEST(Usage, LongFormAddsFormatsExtensionsAndTypes)
{
    std::string short_text = usage_text(0);
    std::string text = usage_text(1);
    ASSERT_EQ(text.compare(0, short_text.size(), short_text), 0);
    std::string rest = text.substr(short_text.size());

    std::string expected = "Formats:\n\t-tvtags\t\tTolva format.\n\t-ctags\t\tUnix ctags format.\n\n"
                           "List of file extensions and languages which they map to.\n"
                           "(Use -l to override the default):\n\n";
    int rows = 0;
    for (const ext_map_t *row = ext_map; row->em_ext; row++, rows++)
        expected += "\t" + std::string(row->em_ext) + "\t" + row->em_desc + "\n";
    EXPECT_GT(rows, 10);
    expected += "\nList of language data types which can be disabled:\n";
    ASSERT_EQ(rest.compare(0, expected.size(), expected), 0) << rest;

    // Three names a line, each "\t-" and padded to 20, sorted by byte order.
    std::string types = rest.substr(expected.size());
    std::vector<std::string> lines = lines_of(types);
    ASSERT_EQ(lines.front(), "");
    ASSERT_EQ(lines.back(), "");
    EXPECT_EQ(lines[1], "\t-ANY" + std::string(17, ' ') + "\t-APPLET" + std::string(14, ' ') + "\t-ARCHITECTURE" +
                            std::string(8, ' '));
    std::vector<std::string> names;
    for (size_t i = 1; i + 1 < lines.size(); i++) {
        EXPECT_LE(lines[i].size(), 3u * 22u);
        for (size_t at = 0; at < lines[i].size(); at += 22) {
            std::string cell = lines[i].substr(at, 22);
            ASSERT_EQ(cell.compare(0, 2, "\t-"), 0) << lines[i];
            names.push_back(cell.substr(2, cell.find_last_not_of(' ') - 1));
        }
    }
    ASSERT_EQ(names.size(), (size_t)TT_COUNT);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_NE(std::find(names.begin(), names.end(), "Close"), names.end());
    EXPECT_EQ(lines.size(), 2u + (TT_COUNT + 2) / 3);
}

TEST(Usage, ExitStatusFollowsTheForm)
{
    EXPECT_EXIT(usage(0), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(usage(-2), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(usage(1), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(usage(7), ::testing::ExitedWithCode(1), "");
}

} // namespace
