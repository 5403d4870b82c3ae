// Drives the host library (linked in; the host tool's golden transcripts load
// it at run time) and the case library over every golden case and compares their answers value by
// value: time line, parts and their sizes, coordinates, node numbers and
// triangles at several steps (the moving liner included), rigid-body values,
// variable values and constants. Both libraries hold their own reader.
//
//   compare_interfaces GOLDEN_FOLDER
//
// Prints one line per case and liner choice; exits 1 at the first mismatch.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "userd_api.h"
#include "vortimar_case.h"

namespace {

[[noreturn]] void stop(const std::string &text)
{
    std::fprintf(stderr, "compare_interfaces: %s\n", text.c_str());
    std::exit(1);
}

// One comparison run: the case's name and choice for messages, and a count
// of the values found equal.
struct Run {
    std::string label;
    long long compared = 0;

    void expect(bool same, const std::string &what)
    {
        if (!same)
            stop(label + ": " + what);
        ++compared;
    }
    // Floats must be the same bits: both sides run the same code.
    void expect_float(float a, float b, const std::string &what)
    {
        expect(std::memcmp(&a, &b, sizeof a) == 0,
               what + ": host " + std::to_string(a) + ", case library " + std::to_string(b));
    }
    void expect_ok(int code, const std::string &what)
    {
        if (code < 0)
            stop(label + ": " + what + " failed (" + std::to_string(code) + ")");
    }
};

// What the host was told about one part when the parts were built.
struct HostPart {
    std::string name;
    int nodes = 0;
    int triangles = 0;
    int points = 0;
};

struct HostVariable {
    std::string name;
    bool constant = false;
};

std::vector<HostPart> host_parts()
{
    const int parts = USERD_get_number_of_model_parts();
    std::vector<int> ids(parts), types(parts), nodes(parts);
    std::vector<std::vector<char>> names(parts, std::vector<char>(Z_BUFL + 1, 0));
    std::vector<std::vector<int>> elements(parts, std::vector<int>(Z_MAXTYPE, 0));
    std::vector<char *> name_rows;
    std::vector<int *> element_rows;
    for (int p = 0; p < parts; ++p) {
        name_rows.push_back(names[p].data());
        element_rows.push_back(elements[p].data());
    }
    USERD_get_gold_part_build_info(ids.data(), types.data(), name_rows.data(), nodes.data(), element_rows.data(), nullptr,
                               nullptr);
    std::vector<HostPart> result(parts);
    for (int p = 0; p < parts; ++p) {
        result[p].name.assign(names[p].data(), strnlen(names[p].data(), Z_BUFL));
        result[p].nodes = nodes[p];
        result[p].triangles = elements[p][Z_TRI03];
        result[p].points = elements[p][Z_POINT];
    }
    return result;
}

std::vector<HostVariable> host_variables()
{
    const int count = USERD_get_number_of_variables();
    const int n = count > 0 ? count : 1;
    std::vector<std::vector<char>> names(n, std::vector<char>(Z_BUFL + 1, 0)), files(n, std::vector<char>(Z_BUFL + 1, 0)),
        ifiles(n, std::vector<char>(Z_BUFL + 1, 0));
    std::vector<char *> name_rows, file_rows, ifile_rows;
    for (int i = 0; i < n; ++i) {
        name_rows.push_back(names[i].data());
        file_rows.push_back(files[i].data());
        ifile_rows.push_back(ifiles[i].data());
    }
    std::vector<int> type(n), classify(n), complex(n), contran(n), timeset(n);
    std::vector<float> freq(n);
    USERD_get_gold_variable_info(name_rows.data(), file_rows.data(), type.data(), classify.data(), complex.data(),
                             ifile_rows.data(), freq.data(), contran.data(), timeset.data());
    std::vector<HostVariable> result(count > 0 ? count : 0);
    for (std::size_t i = 0; i < result.size(); ++i) {
        result[i].name.assign(names[i].data(), strnlen(names[i].data(), Z_BUFL));
        result[i].constant = type[i] == Z_CONSTANT;
    }
    return result;
}

// Compares one part at the current step (already set on both sides).
void compare_part(Run &r, vc_case *c, int part, int step, const HostPart &hp,
                  const std::vector<HostVariable> &variables)
{
    const std::string at = "part " + std::to_string(part) + " step " + std::to_string(step);
    vc_part_info info{};
    r.expect_ok(vc_part(c, part, &info), at + " vc_part");
    const bool surface = info.kind == VC_KIND_SURFACE;
    const int n = info.vertex_count;

    // Host node arrays: slot 0 unused.
    const std::size_t slots = static_cast<std::size_t>(hp.nodes) + 1;
    std::vector<float> hx(slots), hy(slots), hz(slots);
    float *coords[3] = {hx.data(), hy.data(), hz.data()};
    std::vector<int> hids(slots);
    r.expect(USERD_get_part_coords(part, coords) == Z_OK, at + " host coordinates");
    r.expect(USERD_get_part_node_ids(part, hids.data()) == Z_OK, at + " host node ids");

    std::vector<float> xyz(3 * static_cast<std::size_t>(n) + 1);
    std::vector<int> numbers(static_cast<std::size_t>(n) + 1);
    r.expect_ok(vc_part_points(c, part, step, xyz.data(), 3 * n), at + " vc_part_points");
    r.expect_ok(vc_part_node_numbers(c, part, numbers.data(), n), at + " vc_part_node_numbers");

    // Compact point i is host node `position[i]`: its vertex number on a
    // surface part, its place in the list on a point part.
    std::vector<int> position(static_cast<std::size_t>(n));
    std::set<int> used;
    for (int i = 0; i < n; ++i) {
        position[i] = surface ? numbers[i] : i + 1;
        r.expect(position[i] >= 1 && position[i] <= hp.nodes, at + " node number in range");
        r.expect(i == 0 || !surface || numbers[i] > numbers[i - 1], at + " vertices in increasing order");
        r.expect(hids[position[i]] == numbers[i], at + " node number of point " + std::to_string(i));
        r.expect_float(hx[position[i]], xyz[3 * i], at + " x of point " + std::to_string(i));
        r.expect_float(hy[position[i]], xyz[3 * i + 1], at + " y of point " + std::to_string(i));
        r.expect_float(hz[position[i]], xyz[3 * i + 2], at + " z of point " + std::to_string(i));
        used.insert(position[i]);
    }

    if (surface) {
        r.expect(info.triangle_count == hp.triangles, at + " triangle count");
        const int m = info.triangle_count;
        std::vector<int> conn(3 * static_cast<std::size_t>(m) + 1);
        std::vector<int *> rows;
        for (int e = 0; e < m; ++e)
            rows.push_back(conn.data() + 3 * e);
        std::vector<int> tri(3 * static_cast<std::size_t>(m) + 1);
        if (m > 0) {
            r.expect(USERD_get_part_elements_by_type(part, Z_TRI03, rows.data()) == Z_OK, at + " host triangles");
            r.expect_ok(vc_part_triangles(c, part, tri.data(), 3 * m), at + " vc_part_triangles");
        }
        for (int k = 0; k < 3 * m; ++k) {
            r.expect(tri[k] >= 0 && tri[k] < n, at + " corner in range");
            r.expect(position[tri[k]] == conn[k], at + " corner " + std::to_string(k));
        }
        // Every vertex a triangle uses is in the compact mesh, and only those.
        std::set<int> corners(conn.begin(), conn.begin() + 3 * m);
        r.expect(corners == used, at + " compact points are the vertices the triangles use");
    } else {
        r.expect(info.triangle_count == 0 && n == hp.points && n == hp.nodes, at + " point count");
    }

    float hv[14], cv[14];
    const int hcode = USERD_rigidbody_values(part, hv);
    const int ccode = vc_rigid_body(c, part, step, cv);
    r.expect_ok(ccode, at + " vc_rigid_body");
    r.expect((hcode == Z_OK && ccode == VC_OK) || (hcode == Z_UNDEF && ccode == VC_NO_VALUES),
             at + " rigid-body result " + std::to_string(hcode) + " / " + std::to_string(ccode));
    if (hcode == Z_OK)
        for (int i = 0; i < 14; ++i)
            r.expect_float(hv[i], cv[i], at + " rigid-body value " + std::to_string(i));

    for (std::size_t v = 0; v < variables.size(); ++v) {
        if (variables[v].constant)
            continue;
        const int var = static_cast<int>(v) + 1;
        std::vector<float> hval(slots, 0.0f), cval(static_cast<std::size_t>(n) + 1, 0.0f);
        const int hres = USERD_get_var_by_component(var, part, Z_SCALAR, Z_PER_NODE, 0, 0, hval.data());
        const int cres = vc_part_values(c, part, step, var, cval.data(), n);
        r.expect_ok(cres, at + " vc_part_values");
        r.expect((hres == Z_OK && cres == VC_OK) || (hres == Z_UNDEF && cres == VC_NO_VALUES),
                 at + " " + variables[v].name + " result " + std::to_string(hres) + " / " + std::to_string(cres));
        if (hres == Z_OK)
            for (int i = 0; i < n; ++i)
                r.expect_float(hval[position[i]], cval[i], at + " " + variables[v].name + " at point " + std::to_string(i));
        // A variable the part has no source for gets no values.
        int source = -1;
        r.expect_ok(vc_part_source(c, part, var, &source), at + " vc_part_source");
        r.expect(hres != Z_OK || source != VC_SOURCE_NONE, at + " " + variables[v].name + " has values, so a source");
        r.expect(source != VC_SOURCE_SPATIAL_FILE || !surface, at + " spatial file only on a point part");
        // A surface part's one value, asked without an array.
        float one = -7.0f;
        const int ores = vc_part_value(c, part, step, var, &one);
        if (!surface) {
            r.expect(ores == VC_ERR_ARGUMENT, at + " vc_part_value refuses a point part");
        } else {
            r.expect(ores == cres, at + " vc_part_value result");
            for (int i = 0; hres == Z_OK && i < n; ++i)
                r.expect_float(hval[position[i]], one, at + " " + variables[v].name + " one value");
        }
    }
}

// The steps compared: first, last and two between.
std::vector<int> steps_to_compare(int steps)
{
    std::set<int> chosen{0, steps / 3, (2 * steps) / 3, steps - 1};
    return std::vector<int>(chosen.begin(), chosen.end());
}

void compare_case(const std::filesystem::path &folder, bool liner)
{
    Run r;
    r.label = folder.filename().string() + (liner ? " (moving liner)" : "");
    const bool has_inputs = std::filesystem::exists(folder / "inputs.in");

    vc_case *c = nullptr;
    const int opened = vc_open(folder.string().c_str(), liner ? VC_MOVING_LINER : 0u, &c);
    if (!has_inputs) {
        // The host loads an empty case; the case library refuses the folder.
        r.expect(opened == VC_ERR_NOT_FOUND && c == nullptr, "a folder without inputs.in is refused");
        r.expect(std::strstr(vc_open_error(), "inputs.in") != nullptr, "the refusal names inputs.in");
        std::printf("%-40s refused, as it has no inputs.in\n", r.label.c_str());
        std::fflush(stdout);
        return;
    }
    r.expect_ok(opened, "vc_open: " + std::string(vc_open_error()));

    int toggle[1] = {liner ? 1 : 0};
    int pulldown[1] = {0};
    char field[Z_LEN_GUI_FIELD_STR] = {0};
    char *fields[1] = {field};
    USERD_set_extra_gui_data(toggle, pulldown, fields);
    std::string name = "inputs.in", empty, path = folder.string();
    r.expect(USERD_set_filenames(&name[0], &empty[0], &path[0], 0) == Z_OK, "host load");

    const int steps = USERD_get_num_of_time_steps(1);
    int csteps = 0;
    r.expect_ok(vc_step_count(c, &csteps), "vc_step_count");
    r.expect(steps == csteps, "step count");
    std::vector<float> htimes(steps), ctimes(steps);
    USERD_get_sol_times(1, htimes.data());
    r.expect_ok(vc_times(c, ctimes.data(), steps), "vc_times");
    for (int s = 0; s < steps; ++s)
        r.expect_float(htimes[s], ctimes[s], "time of step " + std::to_string(s));

    USERD_set_time_set_and_step(1, 0);
    const std::vector<HostPart> parts = host_parts();
    int cparts = 0;
    r.expect_ok(vc_part_count(c, &cparts), "vc_part_count");
    r.expect(static_cast<int>(parts.size()) == cparts, "part count");
    for (int p = 1; p <= cparts; ++p) {
        vc_part_info info{};
        r.expect_ok(vc_part(c, p, &info), "vc_part");
        r.expect(parts[p - 1].name == info.name, "name of part " + std::to_string(p));
        r.expect(parts[p - 1].nodes == info.host_node_count, "node count of part " + std::to_string(p));
    }
    const std::vector<HostVariable> variables = host_variables();
    int cvars = 0;
    r.expect_ok(vc_variable_count(c, &cvars), "vc_variable_count");
    r.expect(static_cast<int>(variables.size()) == cvars, "variable count");
    for (int v = 1; v <= cvars; ++v) {
        const char *vname = nullptr;
        int constant = -1;
        r.expect_ok(vc_variable(c, v, &vname, &constant), "vc_variable");
        r.expect(variables[v - 1].name == vname && variables[v - 1].constant == (constant == 1),
                 "variable " + std::to_string(v));
    }
    int exists = -1;
    r.expect_ok(vc_rigid_body_exists(c, &exists), "vc_rigid_body_exists");
    r.expect((USERD_rigidbody_existence() == Z_OK) == (exists == 1), "rigid-body existence");

    std::vector<float> angles(steps);
    const int has_angles = vc_crank_angles(c, angles.data(), steps);
    r.expect_ok(has_angles, "vc_crank_angles");

    for (int step : steps_to_compare(steps)) {
        USERD_set_time_set_and_step(1, step);
        for (int p = 1; p <= cparts; ++p)
            compare_part(r, c, p, step, parts[p - 1], variables);
        for (int v = 1; v <= cvars; ++v) {
            if (!variables[v - 1].constant)
                continue;
            float value = 0;
            r.expect_ok(vc_constant(c, v, step, &value), "vc_constant");
            const float host_value = USERD_get_constant_val(v, 0);
            r.expect_float(host_value, value, variables[v - 1].name + " at step " + std::to_string(step));
            if (variables[v - 1].name == "Crank_Angle")
                r.expect(has_angles == VC_OK && std::memcmp(&angles[step], &host_value, sizeof value) == 0,
                         "crank angle of step " + std::to_string(step));
        }
    }
    r.expect(vc_close(c) == VC_OK, "vc_close");
    std::printf("%-40s %d steps, %d parts: %lld values equal\n", r.label.c_str(), steps, cparts, r.compared);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: compare_interfaces GOLDEN_FOLDER\n");
        return 2;
    }
    std::set<std::filesystem::path> cases;
    for (const auto &entry : std::filesystem::directory_iterator(argv[1]))
        if (entry.is_directory())
            cases.insert(entry.path());
    if (cases.empty())
        stop(std::string("no cases in ") + argv[1]);
    for (const std::filesystem::path &folder : cases)
        for (bool liner : {false, true})
            compare_case(folder, liner);
    std::printf("%zu cases compared\n", cases.size());
    return 0;
}
