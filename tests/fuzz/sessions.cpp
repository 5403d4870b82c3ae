// The two targets that take a whole packed case (the leading text is
// inputs.in; sections give engine.in, boundary.in, the surface file, any
// named file and the dialog's choices), and the sessions that ask a loaded
// case everything: through the host's entry points, as the host does, and
// through the C interface.
#include <algorithm>
#include <initializer_list>

#include "core/reader_state.h"
#include "fuzz.h"
#include "interface/default_reader.h"
#include "userd_api.h"

namespace {

void discard_message(void *, const char *) {}

// `count` rows of `width` elements, as the array of row pointers the host
// hands over (at least one row, so that an empty list is a valid array).
template <typename T>
struct Rows {
    std::vector<T> data;
    std::vector<T *> rows;

    Rows(const Rows &) = delete;  // a copy would point into the original's rows
    Rows(Rows &&) = default;

    Rows(std::size_t count, std::size_t width) : data(std::max<std::size_t>(count, 1) * width)
    {
        for (std::size_t i = 0; i < std::max<std::size_t>(count, 1); ++i)
            rows.push_back(data.data() + i * width);
    }
    T **get() { return rows.data(); }
    T *row(std::size_t i) { return rows[i]; }
};

// A count the host would size buffers by, or 0 when a session does not copy.
std::size_t copied(int count)
{
    return count > 0 && count <= session_most_copied ? static_cast<std::size_t>(count) : 0;
}

// The dialog's choices as the host hands them over (the reader's identity and
// its dialog's titles and defaults do not depend on the case: the golden
// transcripts show them).
void dialog(const DialogChoices &choices)
{
    int toggles = 0, pulldowns = 0, fields = 0;
    USERD_get_extra_gui_numbers(&toggles, &pulldowns, &fields);
    std::vector<int> toggle_values(std::max(copied(toggles), std::size_t{1}), choices.liner),
        pulldown_values(std::max(copied(pulldowns), std::size_t{1}), choices.console);
    Rows<char> no_fields(std::max(copied(fields), std::size_t{1}), Z_LEN_GUI_FIELD_STR);
    USERD_set_server_number(1, 1);
    USERD_set_extra_gui_data(toggle_values.data(), pulldown_values.data(), no_fields.get());
}

struct HostPart {
    int nodes = 0;
    int elements[Z_MAXTYPE] = {};
};

std::vector<HostPart> host_parts(Digest &d)
{
    const int n = USERD_get_number_of_model_parts();
    d.add(n);
    const std::size_t count = copied(n);
    std::vector<int> ids(count + 1), kinds(count + 1), nodes(count + 1);
    Rows<char> names(count, Z_BUFL);
    Rows<int> elements(count, Z_MAXTYPE), ijk(count, 9), iblank(count, 6);
    if (count > 0)
        d.add(USERD_get_gold_part_build_info(ids.data(), kinds.data(), names.get(), nodes.data(), elements.get(),
                                             ijk.get(), iblank.get()));
    std::vector<HostPart> list(count);
    for (std::size_t i = 0; i < count; ++i) {
        list[i].nodes = nodes[i];
        std::copy(elements.row(i), elements.row(i) + Z_MAXTYPE, list[i].elements);
        d.add(ids[i]);
        d.text(names.row(i), Z_BUFL);
        d.add(list[i]);
    }
    return list;
}

// The variables' types.
std::vector<int> host_variables(Digest &d)
{
    const int n = USERD_get_number_of_variables();
    d.add(n);
    const std::size_t count = copied(n);
    Rows<char> names(count, Z_BUFL), files(count, Z_BUFL), ifiles(count, Z_BUFL);
    std::vector<int> type(count + 1), classify(count + 1), complex(count + 1), contran(count + 1), timeset(count + 1);
    std::vector<float> freq(count + 1);
    if (count > 0)
        d.add(USERD_get_gold_variable_info(names.get(), files.get(), type.data(), classify.data(), complex.data(),
                                           ifiles.get(), freq.data(), contran.data(), timeset.data()));
    for (std::size_t i = 0; i < count; ++i)
        d.text(names.row(i), Z_BUFL);
    type.resize(count);
    d.bytes(type.data(), count * sizeof(int));
    return type;
}

void host_part_at_step(int number, const HostPart &part, const std::vector<int> &types, bool rigid, Digest &d)
{
    for (int t = 0; t < Z_MAXTYPE; ++t) {
        const std::size_t count = copied(part.elements[t]);
        if (count == 0)
            continue;
        Rows<int> conn(count, t == Z_TRI03 ? 3 : 1);
        d.add(USERD_get_part_elements_by_type(number, t, conn.get()));
        d.bytes(conn.data.data(), conn.data.size() * sizeof(int));
        std::vector<int> element_ids(count);
        d.add(USERD_get_part_element_ids_by_type(number, t, element_ids.data()));
    }
    const bool copy = part.nodes >= 0 && part.nodes <= session_most_copied;
    const std::size_t slots = copy ? static_cast<std::size_t>(part.nodes) + 1 : 0;
    if (copy) {
        Rows<float> xyz(3, slots);
        std::vector<int> ids(slots);
        d.add(USERD_get_part_coords(number, xyz.get()));
        d.add(USERD_get_part_node_ids(number, ids.data()));
        for (int c = 0; c < 3; ++c)
            d.bytes(xyz.row(static_cast<std::size_t>(c)) + 1, (slots - 1) * sizeof(float));
        d.bytes(ids.data() + 1, (slots - 1) * sizeof(int));
    }
    if (rigid) {
        float values[14];
        d.add(USERD_rigidbody_values(number, values));
        d.bytes(values, sizeof values);
    }
    for (std::size_t v = 0; copy && v < types.size(); ++v) {
        if (types[v] != Z_SCALAR)
            continue;
        const int var = static_cast<int>(v) + 1;
        char line1[Z_BUFL], line2[Z_BUFL];
        d.add(USERD_get_descrip_lines(Z_VARI, var, 0, line1, line2));
        std::vector<float> values(slots);
        const int result = USERD_get_var_by_component(var, number, Z_SCALAR, 0, 0, 0, values.data());
        d.add(result);
        if (result == Z_OK)
            d.bytes(values.data() + 1, (slots - 1) * sizeof(float));
    }
}

// Opens the case; a failed open must leave no handle and say why.
vc_case *open_case(const std::string &path, unsigned flags)
{
    vc_case *handle = nullptr;
    if (vc_open(path.c_str(), flags, &handle) == VC_OK && handle)
        return handle;
    if (handle || std::strlen(vc_open_error()) == 0)
        fuzz_finding("a failed vc_open handed out a handle or does not say why");
    return nullptr;
}

}  // namespace

std::uint64_t host_session(const DialogChoices &choices, const std::string &folder)
{
    Digest d;
    dialog(choices);
    std::string file_1 = "inputs.in", file_2, path = folder;
    d.add(USERD_set_filenames(&file_1[0], &file_2[0], &path[0], 0));

    d.add(USERD_get_number_of_timesets());
    d.add(USERD_get_geom_timeset_number());
    char line1[Z_BUFL], line2[Z_BUFL];
    d.add(USERD_get_timeset_description(1, line1));
    const int steps = USERD_get_num_of_time_steps(1);
    d.add(steps);
    if (steps > 0 && steps <= session_most_steps) {
        std::vector<float> times(static_cast<std::size_t>(steps));
        d.add(USERD_get_sol_times(1, times.data()));
        d.bytes(times.data(), times.size() * sizeof(float));
    }
    USERD_set_time_set_and_step(1, 0);
    d.add(USERD_get_changing_geometry_status());
    d.add(USERD_get_node_label_status());
    d.add(USERD_get_element_label_status());
    const int files = USERD_get_number_of_files_in_dataset();
    d.add(files);
    std::vector<Z_QFILES> records(copied(files));
    if (!records.empty()) {
        std::memset(records.data(), 0, records.size() * sizeof(Z_QFILES));
        d.add(USERD_get_dataset_query_file_info(records.data()));
    }
    for (const Z_QFILES &q : records) {
        d.text(q.name, Z_MAXFILENP);
        d.add(q.sizeb);
    }
    const std::vector<HostPart> parts = host_parts(d);
    d.add(USERD_get_ghosts_in_model_flag());
    int max_nodes = 0;
    Rows<int> max_elements(1, Z_MAXTYPE), max_ijk(1, 3);
    d.add(USERD_get_maxsize_info(&max_nodes, max_elements.get(), max_ijk.get()));
    float extents[6] = {};
    d.add(USERD_get_model_extents(extents));
    const std::vector<int> types = host_variables(d);
    const bool rigid = USERD_rigidbody_existence() == Z_OK;

    // The first, middle and last steps, and one past the end (clamped).
    for (int step : {0, steps / 2, steps - 1, steps}) {
        if (steps > session_most_steps)
            break;
        USERD_set_time_set_and_step(1, step);
        d.add(USERD_get_descrip_lines(Z_GEOM, 0, 0, line1, line2));
        for (std::size_t p = 0; p < parts.size(); ++p)
            host_part_at_step(static_cast<int>(p) + 1, parts[p], types, rigid, d);
        for (std::size_t v = 0; v < types.size(); ++v)
            if (types[v] == Z_CONSTANT)
                d.add(USERD_get_constant_val(static_cast<int>(v) + 1, 0));
    }
    for (std::size_t p = 0; p < parts.size(); ++p) {
        int border[Z_MAXTYPE] = {};
        d.add(USERD_get_border_availability(static_cast<int>(p) + 1, border));
    }
    USERD_stop_part_building();
    float specific[3] = {};
    d.add(USERD_get_var_value_at_specific(1, 1, 1, Z_TRI03, 0, specific, 0));
    d.add(USERD_bkup(nullptr, Z_SAVE_ARCHIVE));
    return d.value;
}

// Loaded twice through the entry points by a reader that starts afresh for
// each input: the second load must answer exactly as the first.
void whole_case(const std::uint8_t *data, std::size_t size)
{
    const std::vector<CaseFileText> files = unpack_case(data, size, "inputs.in");
    fuzz_folder::lay(files);
    ReaderState &reader = default_reader();
    reader = ReaderState();
    reader.message_sink = discard_message;
    const std::uint64_t first = host_session(dialog_choices(files), fuzz_folder::path());
    const std::uint64_t second = host_session(dialog_choices(files), fuzz_folder::path());
    USERD_exit_routine();
    if (first != second)
        fuzz_finding("a second load of the same case answers differently");
    fuzz_folder::expect_unchanged();
}

// Two handles open on the same files at once (the folder names one, its
// inputs.in the other), one with the "Moving Liner" choice and one without;
// each is asked everything, then the first again, which must answer as
// before. Once closed, both handles are refused.
void case_library(const std::uint8_t *data, std::size_t size)
{
    const std::vector<CaseFileText> files = unpack_case(data, size, "inputs.in");
    const DialogChoices choices = dialog_choices(files);
    fuzz_folder::lay(files);
    const unsigned liner = choices.liner ? VC_MOVING_LINER : 0u;
    const unsigned debug = choices.console == 2 ? VC_DEBUG_MESSAGES : 0u;
    vc_case *first = open_case(fuzz_folder::path(), liner | debug);
    vc_case *second = open_case(fuzz_folder::file("inputs.in"), (liner ^ VC_MOVING_LINER) | debug);
    if (!first != !second)
        fuzz_finding("the case opens with one choice of the moving liner but not with the other");
    if (first) {
        const std::uint64_t before = library_session(first);
        library_session(second);
        if (library_session(first) != before)
            fuzz_finding("an open case answers differently once another case was asked");
        int count = 0;
        if (vc_close(first) != VC_OK || vc_close(second) != VC_OK)
            fuzz_finding("an open case does not close");
        if (vc_close(first) != VC_ERR_ARGUMENT || vc_part_count(second, &count) != VC_ERR_ARGUMENT)
            fuzz_finding("a closed handle is still taken");
    }
    fuzz_folder::expect_unchanged();
}
