#include "case_folder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool valid_name(const std::string &name)
{
    if (name.empty() || name.size() > 64 || name == "." || name == "..")
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
               c == '_' || c == '-';
    });
}

bool starts_section(const std::string &text, std::size_t at)
{
    return text.compare(at, 3, "@@ ") == 0 && (at == 0 || text[at - 1] == '\n');
}

struct Folder {
    fs::path dir;
    std::map<std::string, std::uintmax_t> laid;  // name and size

    Folder()
    {
        std::random_device seed;
        std::mt19937_64 pick(seed() ^ static_cast<std::uint64_t>(
                                          std::chrono::steady_clock::now().time_since_epoch().count()));
        const fs::path base = fs::temp_directory_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            fs::path candidate = base / ("vortimar_fuzz_" + std::to_string(pick() % 1000000000ULL));
            std::error_code error;
            if (fs::create_directory(candidate, error)) {
                dir = candidate;
                return;
            }
        }
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

std::vector<CaseFileText> unpack_case(const std::uint8_t *data, std::size_t size, const std::string &first_name)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::vector<CaseFileText> files;
    std::string name = first_name;
    std::size_t start = 0;
    bool keep = true;
    auto close_section = [&](std::size_t end) {
        if (!keep)
            return;
        std::string body = text.substr(start, end - start);
        auto same = std::find_if(files.begin(), files.end(), [&](const CaseFileText &f) { return f.name == name; });
        if (same != files.end())
            same->text = std::move(body);
        else
            files.push_back({name, std::move(body)});
    };
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (!starts_section(text, at))
            continue;
        close_section(at);
        std::size_t eol = text.find('\n', at);
        if (eol == std::string::npos)
            eol = text.size();
        std::string header = text.substr(at + 3, eol - at - 3);
        while (!header.empty() && (header.back() == '\r' || header.back() == ' '))
            header.pop_back();
        name = header;
        keep = valid_name(name);
        start = eol < text.size() ? eol + 1 : eol;
        at = eol;
    }
    close_section(text.size());
    return files;
}

const std::string *find_section(const std::vector<CaseFileText> &files, const std::string &name)
{
    for (const CaseFileText &f : files)
        if (f.name == name)
            return &f.text;
    return nullptr;
}

const std::string &FuzzFolder::path()
{
    static const std::string text = folder().dir.string();
    return text;
}

std::string FuzzFolder::file(const std::string &name)
{
    return (folder().dir / name).string();
}

void FuzzFolder::lay(const std::vector<CaseFileText> &files)
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

void FuzzFolder::lay_one(const std::string &name, const std::uint8_t *data, std::size_t size)
{
    lay({{name, std::string(reinterpret_cast<const char *>(data), size)}});
}

void FuzzFolder::expect_unchanged()
{
    Folder &f = folder();
    std::map<std::string, std::uintmax_t> present;
    std::error_code error;
    for (const fs::directory_entry &entry : fs::directory_iterator(f.dir, error))
        present[entry.path().filename().string()] = entry.is_regular_file() ? entry.file_size() : 0;
    if (present != f.laid)
        fuzz_finding("the case folder's files changed while the reader read them");
}
