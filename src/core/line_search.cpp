#include "core/line_search.h"

#include "core/text_parse.h"

namespace {

// Lines after the first that may end a header with a "#" line.
constexpr int header_lines = 4;

}  // namespace

void skip_header(CaseFile &file, char *line)
{
    read_next_line(file, line);
    for (int i = 0; i < header_lines; ++i) {
        read_next_line(file, line);
        if (line[0] == '#')
            break;
    }
}

bool find_unit_line(CaseFile &file, char *line, int most_lines)
{
    for (int i = 0; most_lines < 0 || i < most_lines; ++i) {
        if (!read_line_or_end(file, line))
            return false;
        if (contains(line, "crank") || contains(line, "second"))
            return true;
    }
    return false;
}
