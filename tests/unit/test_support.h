// Helpers for unit tests: a case folder made in the temporary directory.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/reader_state.h"
#include "interface/default_reader.h"
#include "userd_api.h"

#if defined(_WIN32)
constexpr char path_separator_text[] = "\\";
#else
constexpr char path_separator_text[] = "/";
#endif

namespace {

// The host's entry points work on the default reader; tests that drive them
// set up and inspect that reader under the name the reader's code uses.
ReaderState &state = default_reader();

}  // namespace

struct TempCase {
    std::filesystem::path dir;

    explicit TempCase(const std::string &name)
    {
        // A name of its own per run, so that test runs of several builds at
        // once do not share folders.
        static const std::string run =
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
        dir = std::filesystem::temp_directory_path() / ("vortimar_test_" + name + "_" + run);
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    ~TempCase()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    void write(const std::string &file, const std::string &content) const
    {
        std::ofstream out(dir / file, std::ios::binary);
        out << content;
    }

    // Loads the case as the host does; returns USERD_set_filenames' result.
    int load() const
    {
        std::string folder = dir.string();
        std::string file = "inputs.in";
        std::string none;
        return USERD_set_filenames(file.data(), none.data(), folder.data(), 0);
    }
};
