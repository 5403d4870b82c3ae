#include "core/text_parse.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

bool is_c_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// Past leading white space and one sign, as the C library's number readers go.
const char *skip_space_and_sign(const char *first, const char *last, bool &negative)
{
    const char *p = first;
    while (p < last && is_c_space(*p))
        ++p;
    negative = false;
    if (p < last && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    return p;
}

}  // namespace

double parse_leading_double(const char *first, const char *last, const char **stop)
{
    bool negative = false;
    const char *p = skip_space_and_sign(first, last, negative);
    // Only decimal notation is a number: it starts with a digit, or with a
    // point followed by a digit. Words such as "inf" or "nan" are not
    // numbers, and "0x10" is read as its leading "0".
    bool starts_number = p < last && (is_digit(*p) || (*p == '.' && last - p > 1 && is_digit(p[1])));
    double value = 0;
    std::from_chars_result result{p, std::errc::invalid_argument};
    if (starts_number)
        result = std::from_chars(p, last, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) {
        if (stop)
            *stop = first;
        return 0.0;
    }
    // Out of the double's range: from_chars leaves value untouched. A value
    // too large reads as infinity, one too small as 0.
    if (result.ec == std::errc::result_out_of_range) {
        const char *q = p;
        bool mantissa_nonzero = false;
        while (q < result.ptr && *q != 'e' && *q != 'E') {
            if (*q >= '1' && *q <= '9')
                mantissa_nonzero = true;
            ++q;
        }
        const char *e = q < result.ptr ? q + 1 : q;
        bool negative_exponent = e < result.ptr && *e == '-';
        value = (mantissa_nonzero && !negative_exponent) ? HUGE_VAL : 0.0;
    }
    if (stop)
        *stop = result.ptr;
    return negative ? -value : value;
}

double parse_leading_double(std::string_view text)
{
    return parse_leading_double(text.data(), text.data() + text.size());
}

float parse_float(std::string_view text)
{
    return static_cast<float>(parse_leading_double(text));
}

long long parse_leading_integer(const char *first, const char *last, const char **stop)
{
    bool negative = false;
    const char *p = skip_space_and_sign(first, last, negative);
    if (p >= last || *p < '0' || *p > '9') {
        if (stop)
            *stop = first;
        return 0;
    }
    long long value = 0;
    while (p < last && *p >= '0' && *p <= '9') {
        if (value < (LLONG_MAX - 9) / 10)
            value = value * 10 + (*p - '0');
        else
            value = LLONG_MAX / 2;  // far beyond any count; stays saturated below
        ++p;
    }
    if (stop)
        *stop = p;
    return negative ? -value : value;
}

int parse_int(std::string_view text)
{
    long long v = parse_leading_integer(text.data(), text.data() + text.size());
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

std::vector<std::string_view> split_words(std::string_view line, bool tabs_separate)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    auto separator = [tabs_separate](char c) { return c == ' ' || (tabs_separate && c == '\t'); };
    while (i < line.size()) {
        while (i < line.size() && separator(line[i]))
            ++i;
        std::size_t start = i;
        while (i < line.size() && !separator(line[i]))
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::string_view word_at(std::string_view line, int n, bool tabs_separate)
{
    std::vector<std::string_view> words = split_words(line, tabs_separate);
    if (n < 0 || static_cast<std::size_t>(n) >= words.size())
        return {};
    return words[static_cast<std::size_t>(n)];
}

bool starts_with_number(std::string_view word)
{
    const char *stop = nullptr;
    parse_leading_double(word.data(), word.data() + word.size(), &stop);
    return !word.empty() && stop != word.data();
}

bool contains(std::string_view line, std::string_view text)
{
    return line.find(text) != std::string_view::npos;
}

std::string quoted_name(std::string_view line)
{
    std::size_t open = line.find('"');
    if (open == std::string_view::npos)
        return {};
    std::size_t end = line.find_first_of(" ]", open);
    std::string_view name = line.substr(open, end == std::string_view::npos ? std::string_view::npos : end - open);
    while (!name.empty() && name.front() == '"')
        name.remove_prefix(1);
    while (!name.empty() && name.back() == '"')
        name.remove_suffix(1);
    if (name.size() >= 2 && name[name.size() - 2] == '"')
        name = name.substr(0, name.size() - 2);
    return std::string(name);
}

std::string bounded(std::string_view text, std::size_t limit)
{
    return std::string(text.substr(0, limit));
}

void copy_text(char *dest, std::string_view text, std::size_t limit)
{
    std::size_t n = text.size() < limit ? text.size() : limit;
    std::size_t stop = text.find('\0');
    if (stop != std::string_view::npos && stop < n)
        n = stop;
    std::memcpy(dest, text.data(), n);
    if (n < limit)
        std::memset(dest + n, 0, limit - n);
}

bool is_whole_number(std::string_view word)
{
    const char *stop = nullptr;
    parse_leading_double(word.data(), word.data() + word.size(), &stop);
    return !word.empty() && stop == word.data() + word.size();
}
