// Reading numbers, words and names out of case-file lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The longest leading part of [first, last) that forms a decimal number:
// leading white space, an optional sign, digits with an optional point, and
// an optional exponent ("e" or "E", optional sign, digits); the point is
// always '.', whatever the locale. Nothing else is a number: "inf", "nan",
// "infinity" read 0 and "0x10" reads as its leading "0". A number beyond the
// double range reads as plus or minus infinity, one below it as 0; rounded to
// float, a value beyond the float range becomes infinity.
// Returns 0 when no number starts there; *stop (if given) points past the
// characters used, or at first when none were.
double parse_leading_double(const char *first, const char *last, const char **stop = nullptr);
double parse_leading_double(std::string_view text);
// A value stored as a 32-bit float: the parsed double rounded to float.
float parse_float(std::string_view text);

// The longest leading base-10 integer (leading white space, optional sign), as
// strtol reads it, saturated to the int range. 0 when none.
long long parse_leading_integer(const char *first, const char *last, const char **stop = nullptr);
int parse_int(std::string_view text);

// Words of a line. Blank-separated words split at the space character only;
// with tabs_separate, tabs separate words as well.
std::vector<std::string_view> split_words(std::string_view line, bool tabs_separate);

// The n-th word (0-based), or an empty view when the line has fewer words.
std::string_view word_at(std::string_view line, int n, bool tabs_separate);

// True when the word is one number from its first to its last character, as
// parse_leading_double reads it ("O.086" and "0,009" are not).
bool is_whole_number(std::string_view word);

// True when a number (as parse_leading_double reads it) starts the word.
bool starts_with_number(std::string_view word);

// Substring test.
bool contains(std::string_view line, std::string_view text);

// The file name written in double quotes on a line: from the first double
// quote up to the next blank or ']', quotes removed at both ends, and a
// closing quote followed by one more character (a comma) cut away.
std::string quoted_name(std::string_view line);

// text cut to at most limit characters.
std::string bounded(std::string_view text, std::size_t limit);

// Copies at most limit characters of text into a host buffer, zero-filling the
// rest up to limit, the way strncpy does (no terminator when text fills it).
void copy_text(char *dest, std::string_view text, std::size_t limit);
