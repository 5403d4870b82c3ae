// The command line of vortimar-inspect, checked in one place.
#include "inspect_options.h"

#include <sys/stat.h>

#include <cctype>

namespace {

const char steps_allowed[] = "allowed: all, or step numbers 0 .. steps - 1 separated by commas, such as 0,90,180";
const char options_allowed[] =
    "options: --liner, --console MODE, --steps LIST, --no-nodes, --preload CASE, --unchecked, --help, --version";

bool is_separator(char c)
{
    return c == '/' || c == '\\';
}

// Reads one item of a step list: an optional minus sign and 1 to 9 digits.
// Returns "" and fills `value`, or says what is wrong with the item.
std::string read_step(const std::string &item, long &value)
{
    if (item.empty())
        return "an empty step number";
    std::size_t digits = item[0] == '-' ? 1 : 0;
    if (digits == item.size())
        return "\"" + item + "\" is not a whole number";
    for (std::size_t k = digits; k < item.size(); ++k)
        if (!std::isdigit(static_cast<unsigned char>(item[k])))
            return "\"" + item + "\" is not a whole number";
    if (item.size() - digits > 9)
        return "step " + item + " is out of range";
    value = std::stol(item);
    return "";
}

// Reads the value of --steps into `o`; returns "" or the complaint.
std::string read_step_list(const std::string &text, Options &o)
{
    if (text == "all") {
        o.all_steps = true;
        o.steps.clear();
        return "";
    }
    o.all_steps = false;
    o.steps.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        long value = 0;
        const std::string wrong = read_step(item, value);
        if (!wrong.empty())
            return "--steps " + text + ": " + wrong + "; " + steps_allowed;
        o.steps.push_back(value);
        if (comma == std::string::npos)
            return "";
        start = comma + 1;
    }
}

// Reads the value of --console into `o`; returns "" or the complaint.
std::string read_console(const std::string &text, Options &o)
{
    const char *const choices[] = {"normal", "verbose", "debug"};
    for (int k = 0; k < 3; ++k)
        if (text == choices[k]) {
            o.console = k;
            return "";
        }
    return "--console " + text + ": unknown choice; allowed: normal, verbose, debug";
}

// True when `path` exists; `folder` tells whether it is a folder.
bool path_exists(const std::string &path, bool &folder)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return false;
    folder = (info.st_mode & S_IFMT) == S_IFDIR;
    return true;
}

// `path` without trailing separators, keeping a root such as "/" or "C:/".
std::string without_trailing_separators(std::string path)
{
    while (path.size() > 1 && is_separator(path.back()) && path[path.size() - 2] != ':')
        path.pop_back();
    return path;
}

}  // namespace

std::string parse_options(int argc, char **argv, Options &o)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            o.request = Request::help;
            return "";
        }
        if (a == "--version") {
            o.request = Request::version;
            continue;
        }
        if (a == "--liner") {
            o.liner = 1;
            continue;
        }
        if (a == "--no-nodes") {
            o.nodes = false;
            continue;
        }
        if (a == "--unchecked") {
            o.unchecked = true;
            continue;
        }
        if (a == "--console" || a == "--steps" || a == "--preload") {
            // A value never starts with "--": that is the next option.
            if (i + 1 >= argc || std::string(argv[i + 1]).compare(0, 2, "--") == 0) {
                const char *what = a == "--console" ? "normal, verbose or debug"
                                   : a == "--steps" ? "all, or step numbers separated by commas"
                                                    : "another case folder or its inputs.in";
                return a + " needs a value: " + what;
            }
            const std::string value = argv[++i];
            std::string wrong;
            if (a == "--console")
                wrong = read_console(value, o);
            else if (a == "--steps")
                wrong = read_step_list(value, o);
            else
                o.preload = value;
            if (!wrong.empty())
                return wrong;
            continue;
        }
        if (a.size() > 1 && a[0] == '-')
            return "unknown option " + a + "; " + options_allowed;
        positional.push_back(a);
    }
    if (o.request == Request::version) {
        // The library is optional here: the tool looks next to itself.
        if (positional.size() > 1)
            return "--version takes at most one argument, the LIBRARY";
        o.library = positional.empty() ? "" : positional[0];
        return "";
    }
    if (positional.size() != 2)
        return "expected two arguments, LIBRARY and CASE (a case folder or its inputs.in), got " +
               std::to_string(positional.size()) + "; see --help";
    o.library = positional[0];
    o.case_path = positional[1];
    return "";
}

std::string check_steps_in_range(const Options &o, int count)
{
    const long last = count > 1 ? count - 1 : 0;
    for (long step : o.steps)
        if (step < 0 || step > last)
            return "--steps: step " + std::to_string(step) + " is outside this case's steps 0 .. " +
                   std::to_string(last) + "; " + steps_allowed;
    return "";
}

std::vector<int> chosen_steps(const Options &o, int count)
{
    std::vector<int> steps;
    if (count < 1)
        count = 1;
    if (!o.steps.empty()) {
        for (long s : o.steps)
            steps.push_back(static_cast<int>(s));
    } else if (o.all_steps || count <= 12) {
        for (int i = 0; i < count; ++i)
            steps.push_back(i);
    } else {
        for (int k = 0; k <= 8; ++k) {
            int s = static_cast<int>((static_cast<long long>(count - 1) * k) / 8);
            if (steps.empty() || steps.back() != s)
                steps.push_back(s);
        }
    }
    return steps;
}

const char *help_text()
{
    return "usage: vortimar-inspect [options] LIBRARY CASE\n"
           "       vortimar-inspect --version [LIBRARY]\n"
           "\n"
           "Loads the reader LIBRARY as the host application does, hands it the case CASE and prints\n"
           "every answer as a transcript.\n"
           "\n"
           "  LIBRARY            the reader library (.so or .dll); give a path with a slash, such as\n"
           "                     ./libuserd-vortimar_input.so: a bare name is looked up on the system\n"
           "  CASE               the case folder, or the path of its inputs.in\n"
           "\n"
           "options:\n"
           "  --liner            hand the \"Moving Liner\" toggle over as on\n"
           "  --console MODE     the \"Console Output\" choice: normal (default), verbose or debug;\n"
           "                     debug makes the reader print its diagnostic lines to standard error\n"
           "  --steps LIST       the time steps to show: all, or step numbers from 0 separated by\n"
           "                     commas, such as 0,90,180 (default: every step of a short time line,\n"
           "                     else nine steps spread over the run)\n"
           "  --no-nodes         leave out coordinates, node ids and connectivity\n"
           "  --preload CASE     first load another case and build its parts and variables without\n"
           "                     printing them; the transcript must be that of a fresh load\n"
           "  --unchecked        hand the case paths to the reader as given, even when there is no\n"
           "                     inputs.in there, to see what the reader does with them\n"
           "  --help             print this text\n"
           "  --version          print the tool's version and the release of LIBRARY (default: the\n"
           "                     library next to the tool)\n"
           "\n"
           "exit status: 0 after a full run, 1 when the case or the library cannot be used,\n"
           "2 on a wrong command line (a CASE that is not a case folder or its inputs.in among them)\n";
}

std::string locate_case(const std::string &given, CaseLocation &where)
{
    // The same words as the Python commands' refusal.
    const char hint[] = "; give a case folder or its inputs.in";
    const std::string path = without_trailing_separators(given);
    bool folder = false;
    if (path.empty() || !path_exists(path, folder))
        return given + ": no such file or folder" + hint;
    if (folder) {
        bool inputs_folder = false;
        if (!path_exists(path + "/inputs.in", inputs_folder) || inputs_folder)
            return given + ": no inputs.in in this folder" + hint;
        where.folder = path;
        where.file = "inputs.in";
        return "";
    }
    where = split_case_path(path);
    if (where.file != "inputs.in")
        return given + ": not an inputs.in file" + hint;
    return "";
}

CaseLocation split_case_path(const std::string &given)
{
    CaseLocation where{".", given};
    const std::size_t cut = given.find_last_of("/\\");
    if (cut != std::string::npos) {
        where.folder = cut == 0 ? given.substr(0, 1) : given.substr(0, cut);
        where.file = given.substr(cut + 1);
    }
    return where;
}
