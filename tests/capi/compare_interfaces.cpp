// Drives the host library (linked in; the host tool's golden transcripts load
// it at run time) and the case library over every golden case, with and
// without the moving liner, and compares their answers. Each side writes the
// case as the C interface shapes it, one line per fact, floats in hexadecimal
// (so equal means the same bits): the time line, parts, variables, and at four
// steps every part's points, triangles, rigid-body values and variable values,
// and the constants. The host side builds the compact mesh itself from the
// host's arrays: a surface part's points are the vertices its triangles use,
// in increasing order; a point part's are its nodes in order.
//
//   compare_interfaces GOLDEN_FOLDER
//
// Prints one line per case and liner choice; exits 1 at the first difference.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "userd_api.h"
#include "vortimar_case.h"

namespace {

void add(std::string &out, const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    out += text;
}

void add_floats(std::string &out, const float *values, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        add(out, " %a", static_cast<double>(values[i]));
    out += "\n";
}

// `count` rows of `width` elements, as the arrays of row pointers the host hands over.
template <typename T>
struct Rows {
    std::vector<T> data;
    std::vector<T *> rows;
    Rows(int count, int width) : data(static_cast<std::size_t>(count > 0 ? count : 1) * width)
    {
        for (std::size_t i = 0; i < data.size(); i += static_cast<std::size_t>(width))
            rows.push_back(data.data() + i);
    }
};

struct Variable {
    std::string name;
    bool constant = false;
};

// ---- The host's side ----------------------------------------------------------

struct HostPart {
    std::string name;
    int nodes = 0, triangles = 0;
};

std::vector<HostPart> host_parts(std::string &out)
{
    const int n = USERD_get_number_of_model_parts();
    std::vector<int> ids(n + 1), kinds(n + 1), nodes(n + 1);
    Rows<char> names(n, Z_BUFL + 1);
    Rows<int> elements(n, Z_MAXTYPE);
    USERD_get_gold_part_build_info(ids.data(), kinds.data(), names.rows.data(), nodes.data(), elements.rows.data(),
                                   nullptr, nullptr);
    std::vector<HostPart> parts;
    for (int p = 0; p < n; ++p) {
        parts.push_back({names.rows[p], nodes[p], elements.rows[p][Z_TRI03]});
        add(out, "part %d \"%s\" host nodes %d\n", p + 1, names.rows[p], nodes[p]);
    }
    return parts;
}

std::vector<Variable> host_variables(std::string &out)
{
    const int n = USERD_get_number_of_variables();
    Rows<char> names(n, Z_BUFL + 1), files(n, Z_BUFL + 1), ifiles(n, Z_BUFL + 1);
    std::vector<int> type(n + 1), classify(n + 1), complex(n + 1), contran(n + 1), timeset(n + 1);
    std::vector<float> freq(n + 1);
    USERD_get_gold_variable_info(names.rows.data(), files.rows.data(), type.data(), classify.data(), complex.data(),
                                 ifiles.rows.data(), freq.data(), contran.data(), timeset.data());
    std::vector<Variable> variables;
    for (int v = 0; v < n; ++v) {
        variables.push_back({names.rows[v], type[v] == Z_CONSTANT});
        add(out, "variable %d \"%s\" constant %d\n", v + 1, names.rows[v], variables.back().constant ? 1 : 0);
    }
    return variables;
}

void host_part_at_step(std::string &out, int part, const HostPart &hp, bool surface,
                       const std::vector<Variable> &variables)
{
    const std::size_t slots = static_cast<std::size_t>(hp.nodes) + 1;
    std::vector<float> x(slots), y(slots), z(slots);
    float *coords[3] = {x.data(), y.data(), z.data()};
    std::vector<int> ids(slots);
    add(out, "coordinates %d node ids %d\n", USERD_get_part_coords(part, coords),
        USERD_get_part_node_ids(part, ids.data()));
    Rows<int> conn(hp.triangles, 3);
    if (surface && hp.triangles > 0)
        add(out, "triangles %d\n", USERD_get_part_elements_by_type(part, Z_TRI03, conn.rows.data()));
    std::vector<int> points;  // host node numbers of the compact points
    if (surface) {
        const std::set<int> used(conn.data.begin(), conn.data.begin() + 3 * hp.triangles);
        points.assign(used.begin(), used.end());
    } else {
        for (int k = 1; k <= hp.nodes; ++k)
            points.push_back(k);
    }
    std::map<int, int> index;
    for (int node : points) {
        index[node] = static_cast<int>(index.size());
        add(out, "point %d %a %a %a\n", ids[node], static_cast<double>(x[node]), static_cast<double>(y[node]),
            static_cast<double>(z[node]));
    }
    for (int k = 0; surface && k < 3 * hp.triangles; k += 3)
        add(out, "triangle %d %d %d\n", index[conn.data[k]], index[conn.data[k + 1]], index[conn.data[k + 2]]);
    float rb[14];
    if (USERD_rigidbody_values(part, rb) == Z_OK) {
        out += "rigid body";
        add_floats(out, rb, 14);
    }
    std::vector<float> values(slots), compact;
    for (std::size_t v = 0; v < variables.size(); ++v) {
        if (variables[v].constant)
            continue;
        const int result =
            USERD_get_var_by_component(static_cast<int>(v) + 1, part, Z_SCALAR, Z_PER_NODE, 0, 0, values.data());
        add(out, "%s:", variables[v].name.c_str());
        compact.clear();
        for (int node : points)
            compact.push_back(values[node]);
        if (result == Z_OK)
            add_floats(out, compact.data(), compact.size());
        else
            add(out, " none %d\n", result == Z_UNDEF ? VC_NO_VALUES : result);
    }
}

// ---- The case library's side --------------------------------------------------

void library_part_at_step(std::string &out, vc_case *c, int part, const vc_part_info &info,
                          const std::vector<Variable> &variables, int step)
{
    const int n = info.vertex_count, m = info.triangle_count;
    std::vector<float> xyz(3 * static_cast<std::size_t>(n) + 1), values(static_cast<std::size_t>(n) + 1);
    std::vector<int> numbers(static_cast<std::size_t>(n) + 1), triangles(3 * static_cast<std::size_t>(m) + 1);
    const int points = vc_part_points(c, part, step, xyz.data(), 3 * n);
    add(out, "coordinates %d node ids %d\n", points == VC_OK ? Z_OK : points,
        vc_part_node_numbers(c, part, numbers.data(), n) == VC_OK ? Z_OK : Z_ERR);
    if (info.kind == VC_KIND_SURFACE && m > 0)
        add(out, "triangles %d\n", vc_part_triangles(c, part, triangles.data(), 3 * m) == VC_OK ? Z_OK : Z_ERR);
    for (int i = 0; i < n; ++i)
        add(out, "point %d %a %a %a\n", numbers[i], static_cast<double>(xyz[3 * i]),
            static_cast<double>(xyz[3 * i + 1]), static_cast<double>(xyz[3 * i + 2]));
    for (int k = 0; k < 3 * m; k += 3)
        add(out, "triangle %d %d %d\n", triangles[k], triangles[k + 1], triangles[k + 2]);
    float rb[14];
    if (vc_rigid_body(c, part, step, rb) == VC_OK) {
        out += "rigid body";
        add_floats(out, rb, 14);
    }
    for (std::size_t v = 0; v < variables.size(); ++v) {
        if (variables[v].constant)
            continue;
        const int var = static_cast<int>(v) + 1;
        const int result = vc_part_values(c, part, step, var, values.data(), n);
        add(out, "%s:", variables[v].name.c_str());
        if (result == VC_OK)
            add_floats(out, values.data(), static_cast<std::size_t>(n));
        else
            add(out, " none %d\n", result);
        // Values come from a source; a spatial file gives only point parts theirs.
        int source = VC_SOURCE_NONE;
        vc_part_source(c, part, var, &source);
        if ((result == VC_OK && source == VC_SOURCE_NONE) ||
            (source == VC_SOURCE_SPATIAL_FILE && info.kind == VC_KIND_SURFACE))
            add(out, "source %d does not fit\n", source);
    }
}

// ---- Both sides over one case ---------------------------------------------------

// Stops at the first line where the two texts differ.
void expect_same(const std::string &label, const std::string &host, const std::string &library)
{
    if (host == library)
        return;
    std::istringstream h(host), l(library);
    std::string hl, ll;
    int line = 1;
    while (std::getline(h, hl) && std::getline(l, ll) && hl == ll)
        ++line;
    std::fprintf(stderr, "compare_interfaces: %s, line %d:\n  host:         %s\n  case library: %s\n", label.c_str(),
                 line, hl.c_str(), ll.c_str());
    std::exit(1);
}

void compare_case(const std::filesystem::path &folder, bool liner)
{
    const std::string label = folder.filename().string() + (liner ? " (moving liner)" : "");
    vc_case *c = nullptr;
    const int opened = vc_open(folder.string().c_str(), liner ? VC_MOVING_LINER : 0u, &c);
    if (!std::filesystem::exists(folder / "inputs.in")) {
        // The host loads an empty case; the case library refuses the folder.
        expect_same(label, "refused, naming inputs.in",
                    opened == VC_ERR_NOT_FOUND && !c && std::strstr(vc_open_error(), "inputs.in")
                        ? "refused, naming inputs.in"
                        : vc_open_error());
        std::printf("%-40s refused, as it has no inputs.in\n", label.c_str());
        return;
    }
    expect_same(label, "opened", opened == VC_OK ? "opened" : vc_open_error());
    int toggle[1] = {liner ? 1 : 0}, pulldown[1] = {0};
    char field[Z_LEN_GUI_FIELD_STR] = {0};
    char *fields[1] = {field};
    USERD_set_extra_gui_data(toggle, pulldown, fields);
    std::string name = "inputs.in", empty, path = folder.string();
    expect_same(label, "loaded", USERD_set_filenames(&name[0], &empty[0], &path[0], 0) == Z_OK ? "loaded" : "");

    // The case: time line, parts, variables, rigid-body existence.
    std::string host, library;
    const int steps = USERD_get_num_of_time_steps(1);
    std::vector<float> times(static_cast<std::size_t>(steps) + 1), angles(times);
    USERD_get_sol_times(1, times.data());
    add(host, "steps %d:", steps);
    add_floats(host, times.data(), static_cast<std::size_t>(steps));
    USERD_set_time_set_and_step(1, 0);
    const std::vector<HostPart> parts = host_parts(host);
    const std::vector<Variable> variables = host_variables(host);
    add(host, "rigid bodies %d\n", USERD_rigidbody_existence() == Z_OK ? 1 : 0);

    int count = 0, flag = 0;
    vc_step_count(c, &count);
    vc_times(c, times.data(), count);
    add(library, "steps %d:", count);
    add_floats(library, times.data(), static_cast<std::size_t>(count));
    const bool has_angles = vc_crank_angles(c, angles.data(), steps) == VC_OK;
    vc_part_count(c, &count);
    std::vector<vc_part_info> infos(static_cast<std::size_t>(count));
    for (int p = 1; p <= count; ++p) {
        vc_part(c, p, &infos[p - 1]);
        add(library, "part %d \"%s\" host nodes %d\n", p, infos[p - 1].name, infos[p - 1].host_node_count);
    }
    vc_variable_count(c, &count);
    for (int v = 1; v <= count; ++v) {
        const char *vname = "";
        vc_variable(c, v, &vname, &flag);
        add(library, "variable %d \"%s\" constant %d\n", v, vname, flag);
    }
    vc_rigid_body_exists(c, &flag);
    add(library, "rigid bodies %d\n", flag);
    expect_same(label, host, library);

    // The first and last steps and two between.
    for (int step : std::set<int>{0, steps / 3, (2 * steps) / 3, steps - 1}) {
        host = library = "step " + std::to_string(step) + "\n";
        USERD_set_time_set_and_step(1, step);
        for (std::size_t p = 0; p < parts.size(); ++p) {
            const int part = static_cast<int>(p) + 1;
            add(host, "part %d\n", part);
            add(library, "part %d\n", part);
            host_part_at_step(host, part, parts[p], infos[p].kind == VC_KIND_SURFACE, variables);
            library_part_at_step(library, c, part, infos[p], variables, step);
        }
        for (std::size_t v = 0; v < variables.size(); ++v) {
            if (!variables[v].constant)
                continue;
            const int var = static_cast<int>(v) + 1;
            const float value = USERD_get_constant_val(var, 0);
            float given = 0.0f;
            vc_constant(c, var, step, &given);
            add(host, "%s %a\n", variables[v].name.c_str(), static_cast<double>(value));
            add(library, "%s %a\n", variables[v].name.c_str(), static_cast<double>(given));
            // The crank angles are the Crank_Angle constant's values.
            if (variables[v].name == "Crank_Angle") {
                add(host, "angle %a\n", static_cast<double>(value));
                add(library, "angle %a\n", has_angles ? static_cast<double>(angles[step]) : -1.0);
            }
        }
        expect_same(label + ", step " + std::to_string(step), host, library);
    }
    expect_same(label, "closed", vc_close(c) == VC_OK ? "closed" : "not closed");
    std::printf("%-40s %d steps, %zu parts: the same\n", label.c_str(), steps, parts.size());
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
    for (const std::filesystem::path &folder : cases)
        for (bool liner : {false, true})
            compare_case(folder, liner);
    std::printf("%zu cases compared\n", cases.size());
    return cases.empty() ? 1 : 0;
}
