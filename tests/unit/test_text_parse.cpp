#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>

#include "core/text_parse.h"

TEST(TextParse, NumbersAreDecimalAndReadByTheirLongestLeadingPart)
{
    EXPECT_EQ(parse_leading_double("  -180xyz"), -180.0);
    EXPECT_EQ(parse_leading_double("1.5e3,"), 1500.0);
    EXPECT_EQ(parse_leading_double("1e"), 1.0);
    EXPECT_EQ(parse_leading_double("-.5"), -0.5);
    EXPECT_EQ(parse_leading_double("+2."), 2.0);
    EXPECT_EQ(parse_leading_double("bore"), 0.0);
    EXPECT_EQ(parse_leading_double("+-5"), 0.0);
    EXPECT_EQ(parse_leading_double("."), 0.0);
    EXPECT_EQ(parse_leading_double(""), 0.0);
    // Words and hexadecimal forms are not numbers: they read 0, and a hex
    // form stops after its leading "0".
    for (const char *word : {"inf", "-inf", "INF", "nan", "NaN", "infinity", "-Infinity"})
        EXPECT_EQ(parse_leading_double(word), 0.0) << word;
    const char hex[] = "0x10";
    const char *stop = nullptr;
    EXPECT_EQ(parse_leading_double(hex, hex + 4, &stop), 0.0);
    EXPECT_EQ(stop, hex + 1);
    EXPECT_EQ(parse_float("0x1p4"), 0.0f);
    // Beyond the float's range: infinity with its sign; below it: 0.
    EXPECT_EQ(parse_float("1e39"), HUGE_VALF);
    EXPECT_EQ(parse_float("-1e999"), -HUGE_VALF);
    EXPECT_EQ(parse_float("1e-50"), 0.0f);
    EXPECT_EQ(parse_float("1e-999"), 0.0f);
    // Stored values are the parsed double rounded once to float.
    EXPECT_EQ(parse_float("0.0825"), static_cast<float>(0.0825));
    const char text[] = "12 34.5 x";
    EXPECT_EQ(parse_leading_double(text, text + 9, &stop), 12.0);
    EXPECT_EQ(parse_leading_double(stop, text + 9, &stop), 34.5);
    EXPECT_EQ(parse_leading_double(stop, text + 9, &stop), 0.0);
    EXPECT_EQ(*stop, ' ');
}

TEST(TextParse, IntegersSaturateAndStopAtTheFirstNonDigit)
{
    EXPECT_EQ(parse_int(" 42abc"), 42);
    EXPECT_EQ(parse_int("-7"), -7);
    EXPECT_EQ(parse_int("1.9"), 1);
    EXPECT_EQ(parse_int("x1"), 0);
    EXPECT_EQ(parse_int("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(parse_int("-99999999999999999999999"), INT_MIN);
}

TEST(TextParse, WordsAndQuotedNames)
{
    auto blanks = split_words("  a\tb  c ", false);
    ASSERT_EQ(blanks.size(), 2u);
    EXPECT_EQ(blanks[0], "a\tb");
    auto both = split_words("  a\tb  c ", true);
    ASSERT_EQ(both.size(), 3u);
    EXPECT_EQ(word_at("x y z w", 3, false), "w");
    EXPECT_EQ(word_at("x y", 2, false), "");

    EXPECT_EQ(quoted_name("p \"press.dat\", 1"), "press.dat");
    EXPECT_EQ(quoted_name("p \"press.dat\" 1"), "press.dat");
    EXPECT_EQ(quoted_name("p [\"tot.dat\"] 1"), "tot.dat");
    EXPECT_EQ(quoted_name("p \"my file.dat\""), "my");
    EXPECT_EQ(quoted_name("no quote"), "");
    EXPECT_EQ(quoted_name("\"\""), "");
}

TEST(TextParse, HostCopiesAreBounded)
{
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    copy_text(buffer, "abc", 6);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(buffer[5], '\0');
    EXPECT_EQ(buffer[6], 'x');  // nothing written past the limit
    copy_text(buffer, "abcdefghij", 6);
    EXPECT_EQ(std::string(buffer, 6), "abcdef");
    EXPECT_EQ(buffer[6], 'x');
    EXPECT_EQ(bounded(std::string(300, 'p'), 254).size(), 254u);
}
