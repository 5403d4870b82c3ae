// The findings of the case folders under tests/doctor: each folder is a small
// case with one pitfall (or none) and an expected.json listing, by hand, the
// findings as [severity, code, file, line] (line null for a whole file), a
// finding that occurs several times once for each time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/reader_state.h"
#include "deck/deck_readers.h"
#include "geometry/part_table.h"

namespace {

// Loads the case in folder into r and builds its parts for step 0, with the
// "Moving Liner" choice on (a failed build is tried again, as the host's next
// call does); returns the findings as "severity code file line", a finding
// once for every time it occurred.
std::vector<std::string> findings_of(ReaderState &r, const std::string &folder)
{
    r.message_sink = [](void *, const char *) {};
    r.moving_liner = 1;
    load_case(r, "inputs.in", folder);
    reload_all_parts(r);
    reload_all_parts(r);
    std::vector<std::string> found;
    for (const Finding &f : r.findings)
        found.insert(found.end(), static_cast<std::size_t>(f.count),
                     std::string(severity_name(f.severity)) + " " + f.code + " " + f.file + " " +
                         std::to_string(f.line));
    std::sort(found.begin(), found.end());
    return found;
}

// The entries of expected.json, an array of [severity, code, file, line]
// arrays whose strings hold no escapes, in the same form.
std::vector<std::string> expected_of(const std::filesystem::path &file)
{
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"') {
            std::size_t close = s.find('"', i + 1);
            fields.push_back(s.substr(i + 1, close - i - 1));
            i = close;
        } else if (std::isdigit(static_cast<unsigned char>(s[i]))) {
            std::size_t end = s.find_first_not_of("0123456789", i);
            fields.push_back(s.substr(i, end - i));
            i = end - 1;
        } else if (s.compare(i, 4, "null") == 0) {
            fields.push_back("0");
            i += 3;
        }
    }
    std::vector<std::string> entries;
    for (std::size_t i = 0; i + 3 < fields.size(); i += 4)
        entries.push_back(fields[i] + " " + fields[i + 1] + " " + fields[i + 2] + " " + fields[i + 3]);
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace

TEST(Findings, EachDoctorCaseGivesItsFindingsOnTheirLines)
{
    int cases = 0;
    for (const auto &entry : std::filesystem::directory_iterator(DOCTOR_DIR)) {
        if (!entry.is_directory())
            continue;
        ReaderState r;
        EXPECT_EQ(findings_of(r, entry.path().string()), expected_of(entry.path() / "expected.json"))
            << "case " << entry.path().filename().string();
        ++cases;
    }
    EXPECT_GE(cases, 20);
}

TEST(Findings, TheBundledExampleHasNoErrorOrWarning)
{
    ReaderState r;
    for (const std::string &f : findings_of(r, EXAMPLES_DIR "/engine_case"))
        EXPECT_EQ(f.rfind("note ", 0), 0u) << f;
}

TEST(Findings, ANewLoadStartsWithoutTheFindingsOfTheLast)
{
    ReaderState r;
    ASSERT_FALSE(findings_of(r, DOCTOR_DIR "/deck-repeated-line").empty());
    EXPECT_TRUE(findings_of(r, DOCTOR_DIR "/clean-seconds").empty());
}
