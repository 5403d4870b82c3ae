// The one driver of every fuzz target: the target is chosen by the name of
// the program (fuzz_<target> or replay_<target>), the case files of an input
// are laid into a private folder, and replay_<target> runs saved inputs:
//
//   replay_<target> FILE_OR_FOLDER...
//
// A folder stands for the files directly inside it, in name order. Replay
// fails when no input was found; a finding or a sanitizer report ends the
// program as it ends the fuzzer.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

#include "fuzz.h"

namespace fs = std::filesystem;

namespace {

const std::map<std::string, FuzzTarget *> targets = {
    {"line_reader", line_reader},   {"inputs_file", inputs_file},   {"engine_file", engine_file},
    {"boundary_deck", boundary_deck}, {"motion_files", motion_files}, {"lift_files", lift_files},
    {"surface_file", surface_file}, {"value_files", value_files},   {"whole_case", whole_case},
    {"case_library", case_library}};

FuzzTarget *chosen = nullptr;

// Picks the target that the program's name ends with.
void choose_target(const char *program)
{
    const std::string name = fs::path(program).stem().string();
    for (const auto &[target, run] : targets)
        if (name.size() > target.size() && name.compare(name.size() - target.size(), target.size(), target) == 0 &&
            name[name.size() - target.size() - 1] == '_')
            chosen = run;
    if (!chosen) {
        std::fprintf(stderr, "%s: the program's name names no fuzz target\n", program);
        std::exit(2);
    }
}

bool valid_name(const std::string &name)
{
    return !name.empty() && name.size() <= 64 && name != "." && name != ".." &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-';
           });
}

struct Folder {
    fs::path dir;
    std::map<std::string, std::uintmax_t> laid;  // name and size

    Folder()
    {
        const std::string stamp = std::to_string(fs::file_time_type::clock::now().time_since_epoch().count());
        for (int attempt = 0; attempt < 100 && dir.empty(); ++attempt) {
            const fs::path candidate = fs::temp_directory_path() / ("vortimar_fuzz_" + stamp + "_" +
                                                                    std::to_string(attempt));
            std::error_code error;
            if (fs::create_directory(candidate, error))
                dir = candidate;
        }
        if (dir.empty())
            fuzz_finding("cannot make a private case folder");
    }
    ~Folder()
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
};

Folder &folder()
{
    static Folder instance;
    return instance;
}

}  // namespace

void fuzz_finding(const char *what)
{
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

void fuzz_finding(const std::string &what)
{
    fuzz_finding(what.c_str());
}

void session_failure(const std::string &what)
{
    fuzz_finding(what.c_str());
}

std::vector<CaseFileText> unpack_case(const std::uint8_t *data, std::size_t size, const std::string &first_name)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::vector<CaseFileText> files;
    std::string name = first_name;
    std::size_t start = 0;
    auto close_section = [&](std::size_t end) {
        if (!valid_name(name))
            return;
        auto same = std::find_if(files.begin(), files.end(), [&](const CaseFileText &f) { return f.name == name; });
        if (same == files.end())
            same = files.insert(files.end(), {name, ""});
        same->text = text.substr(start, end - start);
    };
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text.compare(at, 3, "@@ ") != 0 || (at > 0 && text[at - 1] != '\n'))
            continue;
        close_section(at);
        const std::size_t eol = std::min(text.find('\n', at), text.size());
        name = text.substr(at + 3, eol - at - 3);
        while (!name.empty() && (name.back() == '\r' || name.back() == ' '))
            name.pop_back();
        start = std::min(eol + 1, text.size());
        at = eol;
    }
    close_section(text.size());
    return files;
}

DialogChoices dialog_choices(const std::vector<CaseFileText> &files)
{
    DialogChoices choices;
    for (const CaseFileText &f : files) {
        if (f.name != "dialog")
            continue;
        choices.liner = f.text.find("liner") != std::string::npos ? 1 : 0;
        choices.console = f.text.find("debug") != std::string::npos ? 2
                          : f.text.find("verbose") != std::string::npos ? 1 : 0;
    }
    return choices;
}

const std::string &fuzz_folder::path()
{
    static const std::string text = folder().dir.string();
    return text;
}

std::string fuzz_folder::file(const std::string &name)
{
    return (folder().dir / name).string();
}

void fuzz_folder::lay(const std::vector<CaseFileText> &files)
{
    Folder &f = folder();
    std::error_code error;
    for (const fs::directory_entry &entry : fs::directory_iterator(f.dir, error))
        fs::remove_all(entry.path(), error);
    f.laid.clear();
    for (const CaseFileText &file : files) {
        std::ofstream out(f.dir / file.name, std::ios::binary | std::ios::trunc);
        out.write(file.text.data(), static_cast<std::streamsize>(file.text.size()));
        if (!out)
            fuzz_finding("cannot write a case file into the private folder");
        f.laid[file.name] = file.text.size();
    }
}

void fuzz_folder::lay_one(const std::string &name, const std::uint8_t *data, std::size_t size)
{
    lay({{name, std::string(reinterpret_cast<const char *>(data), size)}});
}

void fuzz_folder::expect_unchanged()
{
    std::map<std::string, std::uintmax_t> present;
    std::error_code error;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder().dir, error))
        present[entry.path().filename().string()] = entry.is_regular_file() ? entry.file_size() : 0;
    if (present != folder().laid)
        fuzz_finding("the case folder's files changed while the reader read them");
}

extern "C" int LLVMFuzzerInitialize(int *, char ***argv)
{
    choose_target((*argv)[0]);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    chosen(data, size);
    return 0;
}

#if !defined(FUZZ_WITH_LIBFUZZER)
int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> inside;
        if (fs::is_directory(argv[i])) {
            for (const fs::directory_entry &entry : fs::directory_iterator(argv[i]))
                if (entry.is_regular_file())
                    inside.push_back(entry.path());
        } else {
            inside.push_back(argv[i]);
        }
        std::sort(inside.begin(), inside.end());
        inputs.insert(inputs.end(), inside.begin(), inside.end());
    }
    for (const fs::path &input : inputs) {
        std::ifstream in(input, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", input.string().c_str());
            return 1;
        }
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::printf("%s\n", input.filename().string().c_str());
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
#endif
