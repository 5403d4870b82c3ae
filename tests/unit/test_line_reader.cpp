#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/line_reader.h"
#include "test_support.h"

namespace {

std::string next(CaseFile &file, char *line, int *result)
{
    *result = read_next_line(file, line);
    return line;
}

}  // namespace

TEST(LineReader, TrimsOnlySpacesAndKeepsTabsAndCarriageReturns)
{
    TempCase c("line_reader_trim");
    c.write("f.txt", "  12.5   bore  \n\tstart\nvalue  \r\n\n    \nlast");
    CaseFile file;
    ASSERT_TRUE(open_case_file(file, (c.dir / "f.txt").string()));
    char line[line_buffer_size] = "before";
    int rc = 0;
    EXPECT_EQ(next(file, line, &rc), "12.5   bore");
    EXPECT_EQ(next(file, line, &rc), "\tstart");
    EXPECT_EQ(next(file, line, &rc), "value  \r");
    EXPECT_EQ(next(file, line, &rc), "");
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(next(file, line, &rc), "");
    EXPECT_EQ(rc, 1);
    // A last line without a line end is not delivered, now or later.
    EXPECT_EQ(next(file, line, &rc), "");
    EXPECT_EQ(rc, -1);
    std::strcpy(line, "kept");
    EXPECT_EQ(next(file, line, &rc), "kept");
    EXPECT_EQ(rc, -1);
    EXPECT_TRUE(case_file_at_end(file));
}

TEST(LineReader, OverlongLinesAreSkippedInPiecesOf252)
{
    TempCase c("line_reader_long");
    std::string l300(300, 'a');
    std::string l600 = std::string(504, 'b') + std::string(96, 'c');
    c.write("f.txt", "first\n" + l300 + "\nafter300\n" + l600 + "\nafter600\n");
    CaseFile file;
    ASSERT_TRUE(open_case_file(file, (c.dir / "f.txt").string()));
    char line[line_buffer_size] = "";
    int rc = 0;
    EXPECT_EQ(next(file, line, &rc), "first");
    EXPECT_EQ(next(file, line, &rc), "first");  // 300 characters: not delivered
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(next(file, line, &rc), "after300");
    EXPECT_EQ(next(file, line, &rc), "after300");  // first 504 characters thrown away
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(next(file, line, &rc), std::string(96, 'c'));
    EXPECT_EQ(next(file, line, &rc), "after600");
    // A long line counts as read for searches; the end of the file does not.
    EXPECT_FALSE(read_line_or_end(file, line));
}

TEST(LineReader, TellAndSeekReadALineAgainAcrossBufferRefills)
{
    TempCase c("line_reader_seek");
    std::string content;
    for (int i = 0; i < 200000; ++i)
        content += "line " + std::to_string(i) + "\n";
    c.write("f.txt", content);
    CaseFile file;
    ASSERT_TRUE(open_case_file(file, (c.dir / "f.txt").string()));
    char line[line_buffer_size] = "";
    long long mark = 0;
    for (int i = 0; i < 150000; ++i) {
        if (i == 10)
            mark = case_file_tell(file);
        read_next_line(file, line);
    }
    EXPECT_STREQ(line, "line 149999");
    case_file_seek(file, mark);
    read_next_line(file, line);
    EXPECT_STREQ(line, "line 10");
}
