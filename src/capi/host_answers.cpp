// Loading and stepping a case's reader as the host's entry points do.
#include "capi/host_answers.h"

#include "deck/deck_readers.h"
#include "geometry/part_table.h"
#include "userd_api.h"

int open_reader(ReaderState &reader, const std::string &folder, bool moving_liner, bool debug_messages)
{
    // The "Console Output" pulldown: entry 0 "Normal", entry 2 "Debug".
    set_dialog_choices(reader, moving_liner ? 1 : 0, debug_messages ? 2 : 0);
    return load_case(reader, "inputs.in", folder) == -1 ? Z_ERR : Z_OK;
}

void go_to_step(ReaderState &reader, int step, bool build)
{
    set_current_step(reader, geom_timeset, step);
    if (build)
        reload_all_parts(reader);
}
