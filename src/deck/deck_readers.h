// The readers of the case files, run by the case loader in a fixed order.
#pragma once

#include <string>
#include <string_view>

#include "core/line_reader.h"

struct ReaderState;

// Loads the whole case named by state.case_folder: the dataset file table,
// inputs.in, engine.in, boundary.in and the time line. -1 when the dataset
// file table cannot be made, else 1.
int get_file_info(ReaderState &state);

// Loads a case from a clean reader (the dialog's choices and the message sink
// kept): inputs_name is the name the host was given for inputs.in, folder the
// case folder without a separator at its end; both are cut to the path limit.
// Returns get_file_info's result.
int load_case(ReaderState &state, const std::string &inputs_name, const std::string &folder);

// inputs.in: surface file name, crank flag, start and end. -1 when missing.
int read_inputs_file(ReaderState &state);
// engine.in: bore, stroke, conrod, rpm. 1 when all four were read, else -1.
int read_engine_file(ReaderState &state);

// boundary.in: the part and motion tables, engine roles, named files.
int read_boundary_deck(ReaderState &state);
// A boundary.in line whose second character is '-' starts a region block
// (an empty line never does).
bool starts_region(std::string_view line);
// The region's name from the name line after a block's start: the text after
// the line's first blank, without blanks around it, cut to the name limit;
// empty when the line has no blank.
std::string region_name(std::string_view name_line);

// A motion profile file for region `region`: translation_steps and the time line.
int read_motion_file(ReaderState &state, int region, const std::string &path);
// Opens a motion or arbitrary-motion file and reads past its header, up to
// and including the line naming the unit ("crank" or "second"): -1 when it
// cannot be opened (reported), 0 when it ends before the unit line, else 1.
int open_motion_table(ReaderState &state, CaseFile &file, const std::string &path, char *line);
// A time of a motion or arbitrary-motion file in seconds: crank degrees
// are converted when the run is in crank angles.
float file_time_in_seconds(ReaderState &state, float t);
// A value file whose first line is exactly "SPATIAL" is a spatial value
// file: it gives the points of a point part.
inline bool is_spatial_first_line(std::string_view first_line)
{
    return first_line == "SPATIAL";
}
// A spatial value file, open and positioned after its "SPATIAL" line, into
// point part `part`; `line` is the caller's line buffer. 1, or -1 when the
// file's points cannot be held (the caller then drops the point part).
int read_spatial_file(ReaderState &state, CaseFile &file, char *line, int part);
// An arbitrary-motion file for region `region`.
int read_ar_motion_file(ReaderState &state, int region, const std::string &path);
// Euler parameters of the rotation carrying the reference axes onto the
// current axes; both matrices are completed in place.
int get_euler_params(ReaderState &state, float reference_axes[3][3], float current_axes[3][3], float euler[4]);

// Valve lift files, read only for a crank-angle time line of an engine case.
int read_intake_lift_file(ReaderState &state);
int read_exhaust_lift_file(ReaderState &state);
// Both lift files when intake_lift.in is in the case folder, which sets
// lift_files_present; neither otherwise.
void read_lift_files(ReaderState &state);

// case_folder followed by a file name, cut to the path limit.
std::string case_path(ReaderState &state, const std::string &file_name);
