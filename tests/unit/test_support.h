// Helpers for unit tests: a case folder made in the temporary directory.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "geometry/part_table.h"

#include "core/reader_state.h"
#include "interface/default_reader.h"
#include "userd_api.h"


namespace {

// The host's entry points work on the default reader; tests that drive them
// set up and inspect that reader under the name the reader's code uses.
ReaderState &state = default_reader();

// One coordinate (0 x, 1 y, 2 z) of every node of part n as the host gets it
// at the current step, without the unused slot 0.
[[maybe_unused]] std::vector<float> part_coords(int n, int component)
{
    const PartRecord &p = state.part_table[static_cast<std::size_t>(n)];
    std::vector<float> xyz[3];
    float *arrays[3];
    for (int c = 0; c < 3; ++c) {
        xyz[c].assign(static_cast<std::size_t>(p.number_of_nodes) + 1, -1.0f);
        arrays[c] = xyz[c].data();
    }
    copy_part_coords(state, p, arrays);
    return std::vector<float>(xyz[component].begin() + 1, xyz[component].end());
}

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
