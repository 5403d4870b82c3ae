// Who the reader is, and its dialog: the "Moving Liner" toggle and the
// "Console Output" pulldown.
#include "core/diagnostics.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "interface/default_reader.h"
#include "interface/entry_guard.h"
#include "userd_api.h"

namespace {

const char reader_name[] = "Vortimar_input";
const char reader_release[] = "1.05 Mar-25-2015";
const char interface_version[] = "2.08";
const char reader_description[] =
    "Vortimar input reader version 1.05 Mar-25-2015\nEnter inputs.in file\n\nAll files must be in same folder\n"
    "Units must be in meters\nFor IC engine cases - \n- intake lift filename = 'intake_lift.in'\n"
    "- exhaust lift filename = 'exhaust_lift.in'\n";
const char *const pulldown_entries[] = {"Normal", "Verbose", "Debug"};

}  // namespace

extern "C" {

// Fills name with the reader's name and *two_fields with 0 (one file button).
// Returns Z_OK.
int USERD_get_name_of_reader(char name[Z_MAX_USERD_NAME], int *two_fields)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_name_of_reader\n");
    copy_text(name, reader_name, 20);
    if (two_fields)
        *two_fields = 0;
    return Z_OK;
}

// Fills descrip with the reader's description text. Returns Z_OK.
int USERD_get_reader_descrip(char descrip[Z_MAXFILENP])
{
    copy_text(descrip, reader_description, 254);
    descrip[254] = '\0';
    return Z_OK;
}

// Fills version_number with the interface version the reader speaks. Returns Z_OK.
int USERD_get_reader_version(char version_number[Z_MAX_USERD_NAME])
{
    copy_text(version_number, interface_version, 19);
    return Z_OK;
}

// Fills version_number with the reader's release text. Returns Z_OK.
int USERD_get_reader_release(char version_number[Z_MAX_USERD_NAME])
{
    copy_text(version_number, reader_release, sizeof reader_release);
    return Z_OK;
}

// Fills filename_label_1 with the label of the file button; the second
// button is not used.
void USERD_set_filename_button_labels(char filename_label_1[Z_MAX_USERD_NAME], char *)
{
    copy_text(filename_label_1, "Set inputs.in", 19);
}

// Fills the numbers of the dialog's toggles (1), pulldowns (1) and fields (0).
void USERD_get_extra_gui_numbers(int *num_toggles, int *num_pulldowns, int *num_fields)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_extra_gui_numbers\n");
    *num_toggles = 1;
    *num_pulldowns = 1;
    *num_fields = 0;
}

// Fills the dialog's titles, the toggle's default, the pulldown's entries,
// their count and the default entry. Returns Z_OK.
int USERD_get_extra_gui_defaults(char **toggle_title, int *toggle_default_status, char **pulldown_title,
                                 int *pulldown_number_in_list, int *pulldown_default_selection,
                                 char ***pulldown_item_strings, char **, char **)
{
    ReaderState &state = default_reader();
    copy_text(toggle_title[0], "Moving Liner", Z_LEN_GUI_TITLE_STR);
    toggle_default_status[0] = state.moving_liner;
    copy_text(pulldown_title[0], "Console Output", Z_LEN_GUI_TITLE_STR);
    pulldown_number_in_list[0] = 3;
    pulldown_default_selection[0] = 0;
    for (int i = 0; i < 3; ++i)
        copy_text(pulldown_item_strings[0][i], pulldown_entries[i], Z_LEN_GUI_PULL_STR);
    pulldown_item_strings[0][3][0] = '\0';
    return Z_OK;
}

// Takes the dialog's choices: toggle[0] ("Moving Liner") and pulldown[0]
// ("Console Output"), kept in the default reader across loads; fields are not
// used.
void USERD_set_extra_gui_data(int *toggle, int *pulldown, char **)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_set_extra_gui_data\n");
    set_dialog_choices(state, toggle ? toggle[0] : 0, pulldown ? pulldown[0] : 0);
}

}  // extern "C"
