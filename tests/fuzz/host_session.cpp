#include "host_session.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "digest.h"
#include "userd_api.h"

namespace {

// Text buffers of the host's fixed sizes, one per entry.
struct TextTable {
    std::vector<std::vector<char>> rows;
    std::vector<char *> pointers;

    TextTable(std::size_t count, std::size_t length) : rows(count, std::vector<char>(length, 0))
    {
        for (std::vector<char> &row : rows)
            pointers.push_back(row.data());
    }
    // A copy would point into the original's rows; a move keeps them.
    TextTable(const TextTable &) = delete;
    TextTable(TextTable &&) = default;
};

// Rows of `width` ints per entry, as arrays of pointers.
struct IntRows {
    std::vector<std::vector<int>> rows;
    std::vector<int *> pointers;

    IntRows(std::size_t count, std::size_t width) : rows(count, std::vector<int>(width, 0))
    {
        for (std::vector<int> &row : rows)
            pointers.push_back(row.data());
    }
};

void identity_and_dialog(const DialogChoices &choices, Digest &d)
{
    std::vector<char> name(Z_MAX_USERD_NAME), descrip(Z_MAXFILENP), version(Z_MAX_USERD_NAME),
        release(Z_MAX_USERD_NAME), label1(Z_MAX_USERD_NAME), label2(Z_MAX_USERD_NAME);
    int two_fields = 0;
    d.add(USERD_get_name_of_reader(name.data(), &two_fields));
    d.add(USERD_get_reader_descrip(descrip.data()));
    int toggles = 0, pulldowns = 0, fields = 0;
    USERD_get_extra_gui_numbers(&toggles, &pulldowns, &fields);
    d.add(toggles);
    d.add(pulldowns);
    d.add(fields);
    const std::size_t nt = static_cast<std::size_t>(std::max(toggles, 1));
    const std::size_t np = static_cast<std::size_t>(std::max(pulldowns, 1));
    const std::size_t nf = static_cast<std::size_t>(std::max(fields, 1));
    TextTable toggle_titles(nt, Z_LEN_GUI_TITLE_STR), pulldown_titles(np, Z_LEN_GUI_TITLE_STR),
        field_titles(nf, Z_LEN_GUI_TITLE_STR), field_texts(nf, Z_LEN_GUI_FIELD_STR);
    std::vector<int> toggle_defaults(nt), in_list(np), default_selection(np);
    std::vector<TextTable> items;
    std::vector<char **> item_lists;
    for (std::size_t i = 0; i < np; ++i) {
        items.emplace_back(Z_MAX_NUM_GUI_PULL_ITEMS, Z_LEN_GUI_PULL_STR);
        item_lists.push_back(items.back().pointers.data());
    }
    d.add(USERD_get_extra_gui_defaults(toggle_titles.pointers.data(), toggle_defaults.data(),
                                       pulldown_titles.pointers.data(), in_list.data(), default_selection.data(),
                                       item_lists.data(), field_titles.pointers.data(),
                                       field_texts.pointers.data()));
    d.add(USERD_get_reader_version(version.data()));
    d.add(USERD_get_reader_release(release.data()));
    USERD_set_filename_button_labels(label1.data(), label2.data());
    d.text(name.data(), name.size());
    d.text(version.data(), version.size());

    USERD_set_server_number(1, 1);
    std::vector<int> toggle_values(nt, choices.liner), pulldown_values(np, choices.console);
    TextTable no_fields(nf, Z_LEN_GUI_FIELD_STR);
    USERD_set_extra_gui_data(toggle_values.data(), pulldown_values.data(), no_fields.pointers.data());
}

int time_line(Digest &d)
{
    d.add(USERD_get_number_of_timesets());
    d.add(USERD_get_geom_timeset_number());
    std::vector<char> description(Z_BUFL);
    d.add(USERD_get_timeset_description(1, description.data()));
    const int steps = USERD_get_num_of_time_steps(1);
    d.add(steps);
    if (steps > 0 && steps <= session_most_steps) {
        std::vector<float> times(static_cast<std::size_t>(steps));
        d.add(USERD_get_sol_times(1, times.data()));
        d.bytes(times.data(), times.size() * sizeof(float));
    }
    return steps;
}

void dataset_files(Digest &d)
{
    const int n = USERD_get_number_of_files_in_dataset();
    d.add(n);
    if (n <= 0 || n > session_most_copied)
        return;
    std::vector<Z_QFILES> records(static_cast<std::size_t>(n));
    std::memset(records.data(), 0, records.size() * sizeof(Z_QFILES));
    d.add(USERD_get_dataset_query_file_info(records.data()));
    for (const Z_QFILES &q : records) {
        d.text(q.name, Z_MAXFILENP);
        d.add(q.sizeb);
    }
}

struct Part {
    int nodes = 0;
    int elements[Z_MAXTYPE] = {};
};

std::vector<Part> parts(Digest &d)
{
    const int n = USERD_get_number_of_model_parts();
    d.add(n);
    std::vector<Part> list;
    if (n <= 0 || n > session_most_copied)
        return list;
    const std::size_t count = static_cast<std::size_t>(n);
    std::vector<int> ids(count), kinds(count), nodes(count);
    TextTable names(count, Z_BUFL);
    IntRows elements(count, Z_MAXTYPE), ijk(count, 9), iblank(count, 6);
    d.add(USERD_get_gold_part_build_info(ids.data(), kinds.data(), names.pointers.data(), nodes.data(),
                                         elements.pointers.data(), ijk.pointers.data(), iblank.pointers.data()));
    for (std::size_t i = 0; i < count; ++i) {
        Part p;
        p.nodes = nodes[i];
        std::copy(elements.rows[i].begin(), elements.rows[i].end(), p.elements);
        d.add(ids[i]);
        d.text(names.rows[i].data(), Z_BUFL);
        d.add(p.nodes);
        d.bytes(p.elements, sizeof p.elements);
        list.push_back(p);
    }
    return list;
}

struct Variable {
    int type = 0;
};

std::vector<Variable> variables(Digest &d)
{
    const int n = USERD_get_number_of_variables();
    d.add(n);
    std::vector<Variable> list;
    if (n <= 0 || n > session_most_copied)
        return list;
    const std::size_t count = static_cast<std::size_t>(n);
    TextTable names(count, Z_BUFL), files(count, Z_BUFL), ifiles(count, Z_BUFL);
    std::vector<int> type(count), classify(count), complex(count), contran(count), timeset(count);
    std::vector<float> freq(count);
    d.add(USERD_get_gold_variable_info(names.pointers.data(), files.pointers.data(), type.data(), classify.data(),
                                       complex.data(), ifiles.pointers.data(), freq.data(), contran.data(),
                                       timeset.data()));
    for (std::size_t i = 0; i < count; ++i) {
        d.text(names.rows[i].data(), Z_BUFL);
        d.add(type[i]);
        list.push_back({type[i]});
    }
    return list;
}

void part_at_step(int number, const Part &part, const std::vector<Variable> &vars, bool rigid, Digest &d)
{
    for (int t = 0; t < Z_MAXTYPE; ++t) {
        const int count = part.elements[t];
        if (count <= 0 || count > session_most_copied)
            continue;
        const int corners = t == Z_TRI03 ? 3 : 1;
        IntRows conn(static_cast<std::size_t>(count), static_cast<std::size_t>(corners));
        d.add(USERD_get_part_elements_by_type(number, t, conn.pointers.data()));
        for (const std::vector<int> &row : conn.rows)
            d.bytes(row.data(), row.size() * sizeof(int));
        std::vector<int> element_ids(static_cast<std::size_t>(count));
        d.add(USERD_get_part_element_ids_by_type(number, t, element_ids.data()));
    }
    const bool copied = part.nodes >= 0 && part.nodes <= session_most_copied;
    const std::size_t slots = copied ? static_cast<std::size_t>(part.nodes) + 1 : 0;
    if (copied) {
        std::vector<float> x(slots), y(slots), z(slots);
        float *xyz[3] = {x.data(), y.data(), z.data()};
        d.add(USERD_get_part_coords(number, xyz));
        std::vector<int> ids(slots);
        d.add(USERD_get_part_node_ids(number, ids.data()));
        for (const std::vector<float> *c : {&x, &y, &z})
            d.bytes(c->data() + 1, (slots - 1) * sizeof(float));
        d.bytes(ids.data() + 1, (slots - 1) * sizeof(int));
    }
    if (rigid) {
        float values[14];
        d.add(USERD_rigidbody_values(number, values));
        d.bytes(values, sizeof values);
    }
    for (std::size_t v = 0; v < vars.size(); ++v) {
        if (vars[v].type != Z_SCALAR || !copied)
            continue;
        const int var = static_cast<int>(v) + 1;
        std::vector<char> line1(Z_BUFL), line2(Z_BUFL);
        d.add(USERD_get_descrip_lines(Z_VARI, var, 0, line1.data(), line2.data()));
        std::vector<float> values(slots);
        const int result = USERD_get_var_by_component(var, number, Z_SCALAR, 0, 0, 0, values.data());
        d.add(result);
        if (result == Z_OK)
            d.bytes(values.data() + 1, (slots - 1) * sizeof(float));
    }
}

}  // namespace

DialogChoices dialog_choices(const std::vector<CaseFileText> &files)
{
    DialogChoices choices;
    if (const std::string *dialog = find_section(files, "dialog")) {
        choices.liner = dialog->find("liner") != std::string::npos ? 1 : 0;
        if (dialog->find("debug") != std::string::npos)
            choices.console = 2;
        else if (dialog->find("verbose") != std::string::npos)
            choices.console = 1;
    }
    return choices;
}

std::uint64_t host_session(const DialogChoices &choices, const std::string &folder)
{
    Digest d;
    identity_and_dialog(choices, d);
    std::vector<char> file_1 = {'i', 'n', 'p', 'u', 't', 's', '.', 'i', 'n', '\0'};
    std::vector<char> file_2(1, '\0');
    std::vector<char> path(folder.begin(), folder.end());
    path.push_back('\0');
    d.add(USERD_set_filenames(file_1.data(), file_2.data(), path.data(), 0));

    const int steps = time_line(d);
    USERD_set_time_set_and_step(1, 0);
    d.add(USERD_get_changing_geometry_status());
    d.add(USERD_get_node_label_status());
    d.add(USERD_get_element_label_status());
    dataset_files(d);
    const std::vector<Part> part_list = parts(d);
    d.add(USERD_get_ghosts_in_model_flag());
    int max_nodes = 0;
    std::vector<int> max_elements_row(Z_MAXTYPE), max_ijk_row(3);
    int *max_elements[1] = {max_elements_row.data()};
    int *max_ijk[1] = {max_ijk_row.data()};
    d.add(USERD_get_maxsize_info(&max_nodes, max_elements, max_ijk));
    float extents[6] = {};
    d.add(USERD_get_model_extents(extents));
    const std::vector<Variable> vars = variables(d);
    const bool rigid = USERD_rigidbody_existence() == Z_OK;

    // The first, middle and last steps, and one past the end (clamped).
    if (steps <= session_most_steps) {
        for (int step : {0, steps / 2, steps - 1, steps}) {
            USERD_set_time_set_and_step(1, step);
            std::vector<char> line1(Z_BUFL), line2(Z_BUFL);
            d.add(USERD_get_descrip_lines(Z_GEOM, 0, 0, line1.data(), line2.data()));
            for (std::size_t p = 0; p < part_list.size(); ++p)
                part_at_step(static_cast<int>(p) + 1, part_list[p], vars, rigid, d);
            for (std::size_t v = 0; v < vars.size(); ++v)
                if (vars[v].type == Z_CONSTANT)
                    d.add(USERD_get_constant_val(static_cast<int>(v) + 1, 0));
        }
    }
    for (std::size_t p = 0; p < part_list.size(); ++p) {
        int border[Z_MAXTYPE] = {};
        d.add(USERD_get_border_availability(static_cast<int>(p) + 1, border));
    }
    USERD_stop_part_building();
    float specific[3] = {};
    d.add(USERD_get_var_value_at_specific(1, 1, 1, Z_TRI03, 0, specific, 0));
    d.add(USERD_bkup(nullptr, Z_SAVE_ARCHIVE));
    return d.value;
}
