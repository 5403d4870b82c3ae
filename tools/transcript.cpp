// The transcript of vortimar-inspect (see transcript.h).
#include "transcript.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

std::string shown(const char *text, std::size_t size)
{
    std::string s;
    for (std::size_t i = 0; i < size && text[i]; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n')
            s += "\\n";
        else if (c == '\t')
            s += "\\t";
        else if (c == '\r')
            s += "\\r";
        else if (c < 32 || c == 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            s += hex;
        } else if (c == '\\')
            s += '/';  // path separator of the platform
        else
            s += static_cast<char>(c);
    }
    return s;
}

void (*transcript_sink)(void *user, const char *text) = nullptr;
void *transcript_user = nullptr;

namespace {

void out(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    if (!transcript_sink) {
        std::vfprintf(stdout, format, args);
    } else {
        va_list again;
        va_copy(again, args);
        std::vector<char> text(static_cast<std::size_t>(std::vsnprintf(nullptr, 0, format, args)) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        va_end(again);
        transcript_sink(transcript_user, text.data());
    }
    va_end(args);
}

// A float exactly as stored: nine significant digits round-trip any float.
std::string num(float v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
    return text;
}

// ---- The host's order --------------------------------------------------------

struct PartInfo {
    int id = 0, kind = 0, nodes = 0;
    std::string name;
    int elements[Z_MAXTYPE] = {0};
};

void show_reader(Reader &r)
{
    char name[Z_MAX_USERD_NAME + 1] = {0};
    int two_fields = -1;
    int rc = r.get_name_of_reader(name, &two_fields);
    out("reader name: \"%s\" two_fields %d result %d\n", shown(name, Z_MAX_USERD_NAME).c_str(), two_fields, rc);
    char descrip[Z_MAXFILENP + 1] = {0};
    rc = r.get_reader_descrip(descrip);
    out("description: \"%s\" result %d\n", shown(descrip, Z_MAXFILENP).c_str(), rc);

    int toggles = -1, pulldowns = -1, fields = -1;
    r.get_extra_gui_numbers(&toggles, &pulldowns, &fields);
    out("dialog: toggles %d pulldowns %d fields %d\n", toggles, pulldowns, fields);
    char toggle_title[Z_LEN_GUI_TITLE_STR + 1] = {0};
    char pulldown_title[Z_LEN_GUI_TITLE_STR + 1] = {0};
    char field_title[Z_LEN_GUI_TITLE_STR + 1] = {0};
    char field_text[Z_LEN_GUI_FIELD_STR + 1] = {0};
    static char items[Z_MAX_NUM_GUI_PULL_ITEMS][Z_LEN_GUI_PULL_STR];
    std::memset(items, 0, sizeof items);
    char *item_ptrs[Z_MAX_NUM_GUI_PULL_ITEMS];
    for (int i = 0; i < Z_MAX_NUM_GUI_PULL_ITEMS; ++i)
        item_ptrs[i] = items[i];
    char **item_lists[1] = {item_ptrs};
    char *toggle_titles[1] = {toggle_title};
    char *pulldown_titles[1] = {pulldown_title};
    char *field_titles[1] = {field_title};
    char *field_texts[1] = {field_text};
    int toggle_default = -1, in_list = -1, default_selection = -1;
    rc = r.get_extra_gui_defaults(toggle_titles, &toggle_default, pulldown_titles, &in_list, &default_selection,
                                  item_lists, field_titles, field_texts);
    out("dialog defaults: result %d\n", rc);
    out("  toggle 0: \"%s\" default %d\n", shown(toggle_title, Z_LEN_GUI_TITLE_STR).c_str(), toggle_default);
    out("  pulldown 0: \"%s\" entries %d default %d:", shown(pulldown_title, Z_LEN_GUI_TITLE_STR).c_str(),
        in_list, default_selection);
    for (int i = 0; i < Z_MAX_NUM_GUI_PULL_ITEMS && items[i][0]; ++i)
        out(" \"%s\"", shown(items[i], Z_LEN_GUI_PULL_STR).c_str());
    out("\n");

    char version[Z_MAX_USERD_NAME + 1] = {0};
    char release[Z_MAX_USERD_NAME + 1] = {0};
    rc = r.get_reader_version(version);
    out("interface version: \"%s\" result %d\n", shown(version, Z_MAX_USERD_NAME).c_str(), rc);
    rc = r.get_reader_release(release);
    out("release: \"%s\" result %d\n", shown(release, Z_MAX_USERD_NAME).c_str(), rc);
    char label1[Z_MAX_USERD_NAME + 1] = {0};
    char label2[Z_MAX_USERD_NAME + 1] = {0};
    r.set_filename_button_labels(label1, label2);
    out("button labels: \"%s\" \"%s\"\n", shown(label1, Z_MAX_USERD_NAME).c_str(),
        shown(label2, Z_MAX_USERD_NAME).c_str());
}

// Hands the user's dialog choices to the reader.
void apply_dialog_choices(Reader &r, const Options &o)
{
    char field_text[Z_LEN_GUI_FIELD_STR + 1] = {0};
    r.set_server_number(1, 1);
    int toggle_values[1] = {o.liner};
    int pulldown_values[1] = {o.console};
    char *no_fields[1] = {field_text};
    std::fflush(stdout);
    r.set_extra_gui_data(toggle_values, pulldown_values, no_fields);
    out("dialog choices: liner %d console %d\n", o.liner, o.console);
}

// Hands the case to the reader; true when the reader accepted it.
bool load_case(Reader &r, const CaseLocation &where)
{
    const std::string &folder = where.folder;
    const std::string &file = where.file;
    std::vector<char> f1(file.begin(), file.end());
    f1.push_back('\0');
    std::vector<char> f2(1, '\0');
    std::vector<char> dir(folder.begin(), folder.end());
    dir.push_back('\0');
    std::fflush(stdout);
    int rc = r.set_filenames(f1.data(), f2.data(), dir.data(), 0);
    out("set_filenames: folder \"%s\" result %d\n", shown(folder.c_str(), folder.size()).c_str(), rc);
    return rc == Z_OK;
}

int show_time_set(Reader &r)
{
    int sets = r.get_number_of_timesets();
    int geom = r.get_geom_timeset_number();
    out("time sets: %d geometry time set %d\n", sets, geom);
    char description[Z_BUFL + 1];
    std::memset(description, 'x', sizeof description);
    description[Z_BUFL] = '\0';
    int rc = r.get_timeset_description(1, description);
    out("time set 1 description: \"%s\" result %d\n", shown(description, Z_BUFL).c_str(), rc);
    int steps = r.get_num_of_time_steps(1);
    out("steps: %d\n", steps);
    std::vector<float> times(static_cast<std::size_t>(steps > 0 ? steps : 0) + 1, -12345.0f);
    rc = r.get_sol_times(1, times.data());
    out("solution times: result %d\n", rc);
    for (int i = 0; i < steps; ++i)
        out("  step %d time %s\n", i, num(times[static_cast<std::size_t>(i)]).c_str());
    return steps;
}

void show_files(Reader &r)
{
    int n = r.get_number_of_files_in_dataset();
    out("dataset files: %d\n", n);
    if (n <= 0)
        return;
    std::vector<Z_QFILES> records(static_cast<std::size_t>(n));
    std::memset(records.data(), 0, records.size() * sizeof(Z_QFILES));
    int rc = r.get_dataset_query_file_info(records.data());
    out("dataset query: result %d\n", rc);
    for (int i = 0; i < n; ++i) {
        const Z_QFILES &q = records[static_cast<std::size_t>(i)];
        std::size_t time_length = strnlen(q.timemod, Z_MAXTIMLEN);
        out("  file %d: \"%s\" size %ld time %s\n", i, shown(q.name, Z_MAXFILENP).c_str(), q.sizeb,
            time_length == 0 ? "none" : (time_length == 25 && q.timemod[24] == '\n' ? "ctime" : "other"));
    }
}

std::vector<PartInfo> show_parts(Reader &r)
{
    int n = r.get_number_of_model_parts();
    out("parts: %d\n", n);
    std::vector<PartInfo> parts;
    if (n <= 0)
        return parts;
    std::size_t count = static_cast<std::size_t>(n);
    std::vector<int> ids(count, -7), kinds(count, -7), nodes(count, -7);
    std::vector<std::vector<char>> names(count, std::vector<char>(Z_BUFL, 0));
    std::vector<char *> name_ptrs(count);
    std::vector<std::vector<int>> elements(count, std::vector<int>(Z_MAXTYPE, 0));
    std::vector<int *> element_ptrs(count);
    std::vector<std::vector<int>> ijk(count, std::vector<int>(9, 0)), iblank(count, std::vector<int>(6, 0));
    std::vector<int *> ijk_ptrs(count), iblank_ptrs(count);
    for (std::size_t i = 0; i < count; ++i) {
        name_ptrs[i] = names[i].data();
        element_ptrs[i] = elements[i].data();
        ijk_ptrs[i] = ijk[i].data();
        iblank_ptrs[i] = iblank[i].data();
    }
    int rc = r.get_gold_part_build_info(ids.data(), kinds.data(), name_ptrs.data(), nodes.data(),
                                        element_ptrs.data(), ijk_ptrs.data(), iblank_ptrs.data());
    out("part build info: result %d\n", rc);
    for (std::size_t i = 0; i < count; ++i) {
        PartInfo p;
        p.id = ids[i];
        p.kind = kinds[i];
        p.nodes = nodes[i];
        p.name = shown(names[i].data(), Z_BUFL);
        for (int t = 0; t < Z_MAXTYPE; ++t)
            p.elements[t] = elements[i][static_cast<std::size_t>(t)];
        out("  part %zu: id %d kind %d \"%s\" nodes %d", i + 1, p.id, p.kind, p.name.c_str(), p.nodes);
        for (int t = 0; t < Z_MAXTYPE; ++t)
            if (p.elements[t])
                out(" type%d %d", t, p.elements[t]);
        out("\n");
        parts.push_back(p);
    }
    return parts;
}

struct VariableInfo {
    std::string name;
    int type = 0, classify = 0, complex = 0, contran = 0, timeset = 0;
};

std::vector<VariableInfo> show_variables(Reader &r)
{
    int n = r.get_number_of_variables();
    out("variables: %d\n", n);
    std::vector<VariableInfo> vars;
    if (n <= 0)
        return vars;
    std::size_t count = static_cast<std::size_t>(n);
    std::vector<std::vector<char>> desc(count, std::vector<char>(Z_BUFL, 0)), file(count, std::vector<char>(Z_BUFL, 0)),
        ifile(count, std::vector<char>(Z_BUFL, 0));
    std::vector<char *> desc_p(count), file_p(count), ifile_p(count);
    for (std::size_t i = 0; i < count; ++i) {
        desc_p[i] = desc[i].data();
        file_p[i] = file[i].data();
        ifile_p[i] = ifile[i].data();
    }
    std::vector<int> type(count, -7), classify(count, -7), complex(count, -7), contran(count, -7), timeset(count, -7);
    std::vector<float> freq(count, 0.0f);
    int rc = r.get_gold_variable_info(desc_p.data(), file_p.data(), type.data(), classify.data(), complex.data(),
                                      ifile_p.data(), freq.data(), contran.data(), timeset.data());
    out("variable info: result %d\n", rc);
    for (std::size_t i = 0; i < count; ++i) {
        VariableInfo v;
        v.name = shown(desc[i].data(), Z_BUFL);
        v.type = type[i];
        v.classify = classify[i];
        v.complex = complex[i];
        v.contran = contran[i];
        v.timeset = timeset[i];
        out("  variable %zu: \"%s\" type %d location %d complex %d changes %s time set %d\n", i + 1, v.name.c_str(),
            v.type, v.classify, v.complex, v.contran == -7 ? "unset" : std::to_string(v.contran).c_str(), v.timeset);
        vars.push_back(v);
    }
    return vars;
}

void show_part_nodes(Reader &r, int p, const PartInfo &info, bool connectivity)
{
    int nodes = info.nodes > 0 ? info.nodes : 0;
    std::size_t slots = static_cast<std::size_t>(nodes) + 1;
    if (connectivity) {
        for (int t = 0; t < Z_MAXTYPE; ++t) {
            int count = info.elements[t];
            if (count <= 0)
                continue;
            int corners = t == Z_TRI03 ? 3 : 1;
            std::vector<int> conn(static_cast<std::size_t>(count) * 3, 0);
            std::vector<int *> rows(static_cast<std::size_t>(count));
            for (int e = 0; e < count; ++e)
                rows[static_cast<std::size_t>(e)] = conn.data() + 3 * e;
            int rc = r.get_part_elements_by_type(p, t, rows.data());
            std::vector<int> element_ids(static_cast<std::size_t>(count) + 1, -7);
            int rc_ids = r.get_part_element_ids_by_type(p, t, element_ids.data());
            out("    elements type%d: result %d, element ids: result %d\n", t, rc, rc_ids);
            for (int e = 0; e < count; ++e) {
                out("      %d:", e + 1);
                for (int k = 0; k < corners; ++k)
                    out(" %d", conn[static_cast<std::size_t>(3 * e + k)]);
                out("\n");
            }
        }
    }
    std::vector<float> x(slots, -999.0f), y(slots, -999.0f), z(slots, -999.0f);
    float *xyz[3] = {x.data(), y.data(), z.data()};
    int rc = r.get_part_coords(p, xyz);
    std::vector<int> ids(slots, -7);
    int rc_ids = r.get_part_node_ids(p, ids.data());
    out("    coordinates: result %d, node ids: result %d\n", rc, rc_ids);
    for (int k = 1; k <= nodes; ++k)
        out("      %d: %s %s %s\n", ids[static_cast<std::size_t>(k)], num(x[static_cast<std::size_t>(k)]).c_str(),
            num(y[static_cast<std::size_t>(k)]).c_str(), num(z[static_cast<std::size_t>(k)]).c_str());
}

void show_step(Reader &r, int step, const std::vector<PartInfo> &parts, const std::vector<VariableInfo> &vars,
               const Options &o, bool first, int rigid)
{
    r.set_time_set_and_step(1, step);
    out("step %d\n", step);
    char line1[Z_BUFL] = {0}, line2[Z_BUFL] = {0};
    int rc = r.get_descrip_lines(Z_GEOM, 0, 0, line1, line2);
    out("  geometry description: \"%s\" result %d\n", shown(line1, Z_BUFL).c_str(), rc);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        int p = static_cast<int>(i) + 1;
        out("  part %d \"%s\"\n", p, parts[i].name.c_str());
        if (o.nodes)
            show_part_nodes(r, p, parts[i], first);
        if (rigid == Z_OK) {
            float values[14];
            for (float &v : values)
                v = -999.0f;
            int rrc = r.rigidbody_values(p, values);
            out("    rigid body: result %d:", rrc);
            for (float v : values)
                out(" %s", num(v).c_str());
            out("\n");
        }
        for (std::size_t v = 0; v < vars.size(); ++v) {
            if (vars[v].type != Z_SCALAR)
                continue;
            int var = static_cast<int>(v) + 1;
            int nodes = parts[i].nodes > 0 ? parts[i].nodes : 0;
            std::vector<float> values(static_cast<std::size_t>(nodes) + 1, -999.0f);
            char d1[Z_BUFL] = {0}, d2[Z_BUFL] = {0};
            r.get_descrip_lines(Z_VARI, var, 0, d1, d2);
            int vrc = r.get_var_by_component(var, p, Z_SCALAR, 0, 0, 0, values.data());
            out("    \"%s\" (described \"%s\"): result %d", vars[v].name.c_str(), shown(d1, Z_BUFL).c_str(), vrc);
            if (vrc == Z_OK) {
                // Surface parts hold one value at every node: show runs compactly.
                std::size_t k = 1;
                while (k < values.size()) {
                    std::size_t run = k;
                    while (run + 1 < values.size() && values[run + 1] == values[k])
                        ++run;
                    if (run > k)
                        out(" %s x%zu", num(values[k]).c_str(), run - k + 1);
                    else
                        out(" %s", num(values[k]).c_str());
                    k = run + 1;
                }
            }
            out("\n");
        }
    }
    // Ask first, print after: the reader's diagnostic lines stay apart.
    std::string constants;
    for (std::size_t v = 0; v < vars.size(); ++v) {
        if (vars[v].type != Z_CONSTANT)
            continue;
        float value = r.get_constant_val(static_cast<int>(v) + 1, 0);
        constants += " " + vars[v].name + "=" + num(value);
    }
    if (!constants.empty())
        out("  constants:%s\n", constants.c_str());
}

// Loads another case and builds its parts and variables, before the dialog
// choices are handed over (so the reader prints nothing), its transcript
// thrown away.
void preload_case(Reader &r, const CaseLocation &where)
{
    void (*const sink)(void *, const char *) = transcript_sink;
    transcript_sink = [](void *, const char *) {};
    load_case(r, where);
    r.set_time_set_and_step(1, 1);
    r.get_node_label_status();
    show_parts(r);
    show_variables(r);
    transcript_sink = sink;
}

// What the host asks once a case is loaded: labels, files, parts, sizes and
// variables. Fills `parts` and `vars`; returns the rigid-body existence answer.
int show_case_overview(Reader &r, std::vector<PartInfo> &parts, std::vector<VariableInfo> &vars)
{
    r.set_time_set_and_step(1, 0);
    out("changing geometry: %d\n", r.get_changing_geometry_status());
    int node_labels = r.get_node_label_status();
    int element_labels = r.get_element_label_status();
    out("node labels: %d element labels: %d\n", node_labels, element_labels);
    show_files(r);
    parts = show_parts(r);
    out("ghosts: %d\n", r.get_ghosts_in_model_flag());
    float extents[6] = {0, 0, 0, 0, 0, 0};
    int max_nodes = -7;
    int max_elements_row[Z_MAXTYPE] = {0};
    int max_ijk_row[3] = {0};
    int *max_elements[1] = {max_elements_row};
    int *max_ijk[1] = {max_ijk_row};
    out("maximum sizes: result %d\n", r.get_maxsize_info(&max_nodes, max_elements, max_ijk));
    out("model extents: result %d\n", r.get_model_extents(extents));
    vars = show_variables(r);
    int rigid = r.rigidbody_existence();
    out("rigid body values: %d\n", rigid);
    return rigid;
}

// What the host asks when it is done with the case's steps, then the end.
void show_closing(Reader &r, const std::vector<PartInfo> &parts, bool loaded)
{
    for (std::size_t i = 0; i < parts.size(); ++i) {
        int border_counts[Z_MAXTYPE] = {0};
        out("border availability of part %zu: result %d\n", i + 1,
            r.get_border_availability(static_cast<int>(i) + 1, border_counts));
    }
    r.stop_part_building();
    float specific[3] = {0, 0, 0};
    int specific_rc = r.get_var_value_at_specific(1, 1, 1, Z_TRI03, 0, specific, 0);
    out("value at specific node: result %d\n", specific_rc);
    out("backup: result %d\n", r.bkup(nullptr, Z_SAVE_ARCHIVE));
    out("load %s\n", loaded ? "succeeded" : "failed");
    r.exit_routine();
}

}  // namespace

int run_transcript(Reader &r, const Options &o, const CaseLocation &main_case, const CaseLocation &preload)
{
    show_reader(r);
    if (!o.preload.empty())
        preload_case(r, preload);
    apply_dialog_choices(r, o);
    bool loaded = load_case(r, main_case);
    int steps = show_time_set(r);
    const std::string wrong_steps = check_steps_in_range(o, steps);
    if (!wrong_steps.empty()) {
        std::fprintf(stderr, "vortimar-inspect: %s\n", wrong_steps.c_str());
        r.exit_routine();
        return 2;
    }
    std::vector<PartInfo> parts;
    std::vector<VariableInfo> vars;
    const int rigid = show_case_overview(r, parts, vars);
    bool first = true;
    for (int step : chosen_steps(o, steps)) {
        show_step(r, step, parts, vars, o, first, rigid);
        first = false;
    }
    show_closing(r, parts, loaded);
    return 0;
}

