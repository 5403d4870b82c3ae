// Loading a case and describing its files to the host.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/stat.h>

#include "core/diagnostics.h"
#include "core/reader_state.h"
#include "core/text_parse.h"
#include "deck/deck_readers.h"
#include "interface/default_reader.h"
#include "interface/entry_guard.h"
#include "userd_api.h"

#if defined(_WIN32)
// The host's record on 64-bit Windows: name at 0, 32-bit size at 256, time at 260.
static_assert(sizeof(Z_QFILES) == 312, "dataset query record must be 312 bytes on Windows");
static_assert(offsetof(Z_QFILES, sizeb) == 256 && offsetof(Z_QFILES, timemod) == 260, "record offsets");
#else
static_assert(offsetof(Z_QFILES, sizeb) == 256, "record offsets");
#endif

namespace {

// A time as the C library's ctime writes it, "Www Mmm dd hh:mm:ss yyyy\n" in
// local time, but from the re-entrant conversion, so that readers on several
// threads do not share a buffer. Empty when the time cannot be converted.
std::string ctime_text(std::int64_t when)
{
    std::tm local{};
#if defined(_WIN32)
    __time64_t t = when;
    if (_localtime64_s(&local, &t) != 0)
        return "";
#else
    std::time_t t = static_cast<std::time_t>(when);
    if (!localtime_r(&t, &local))
        return "";
#endif
    static const char days[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char months[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", days[local.tm_wday % 7],
                  months[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  1900 + local.tm_year);
    return text;
}

// Size and modification-time text of a file; false when its status cannot be read.
bool file_status(const std::string &path, long long &size, std::string &time_text)
{
#if defined(_WIN32)
    struct _stat64 info;
    if (_stat64(path.c_str(), &info) != 0 || (info.st_mode & _S_IFDIR) != 0)
        return false;
#else
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
#endif
    size = static_cast<long long>(info.st_size);
    time_text = ctime_text(static_cast<std::int64_t>(info.st_mtime));
    return true;
}

}  // namespace

extern "C" {

// Takes the case's inputs.in name (filename_1) and its folder (the_path); the
// other arguments are not used. Loads the case into the default reader from a
// clean state (the dialog's choices kept). Returns Z_OK, or Z_ERR when the
// dataset file table cannot be made.
int USERD_set_filenames(char filename_1[], char *, char the_path[], int)
{
    ReaderState &state = default_reader();
    return guarded(state, "USERD_set_filenames", Z_ERR, [&]() -> int {
        const std::string inputs_name = filename_1 ? filename_1 : "";
        debug_print(state, "USERD_set_filenames, '%s'\n", bounded(inputs_name, path_limit).c_str());
        return load_case(state, inputs_name, the_path ? the_path : "") == -1 ? Z_ERR : Z_OK;
    });
}

// Takes the server number and count; the reader does not use them.
void USERD_set_server_number(int, int)
{
}

// Returns the number of dataset files: the surface file, inputs.in, engine.in,
// boundary.in and every file the deck names.
int USERD_get_number_of_files_in_dataset(void)
{
    ReaderState &state = default_reader();
    debug_print(state, "USERD_get_number_of_files_in_dataset\n");
    state.Num_dataset_files = state.Num_extra_files + first_named_file_slot;
    debug_print(state, "Num_dataset_files = %d\n", state.Num_dataset_files);
    return state.Num_dataset_files;
}

// Fills one record per dataset file in qfiles: its path and, when its status
// can be read, its size and modification time. Returns Z_OK.
int USERD_get_dataset_query_file_info(Z_QFILES *qfiles)
{
    ReaderState &state = default_reader();
    return guarded(state, "USERD_get_dataset_query_file_info", Z_ERR, [&]() -> int {
        debug_print(state, "USERD_get_dataset_query_file_info\n");
        debug_print(state, "-----Data_set files-----\n");
        int count = state.Num_extra_files + first_named_file_slot;
        for (int i = 0; i < count; ++i) {
            std::string name;
            if (static_cast<std::size_t>(i) < state.dataset_files.size())
                name = state.dataset_files[static_cast<std::size_t>(i)];
            Z_QFILES &record = qfiles[i];
            copy_text(record.name, name, path_limit);
            debug_print(state, "%s\n", record.name);
            long long size = 0;
            std::string time_text;
            if (file_status(name, size, time_text)) {
#if defined(_WIN32)
                record.sizeb = static_cast<long>(static_cast<unsigned long>(size & 0xffffffffLL));
#else
                record.sizeb = static_cast<long>(size);
#endif
                copy_text(record.timemod, time_text, Z_MAXTIMLEN - 1);
            }
        }
        return Z_OK;
    });
}

// Returns Z_CHANGE_COORDS when the "Moving Liner" choice is on (the
// coordinates change from step to step), else Z_STATIC.
int USERD_get_changing_geometry_status(void)
{
    ReaderState &state = default_reader();
    if (state.moving_liner == 1) {
        debug_print(state, "TRANSIENT-GEOMETRY--Z_CHANGE_COORDS\n");
        return Z_CHANGE_COORDS;
    }
    debug_print(state, "STATIC-GEOMETRY--Z_STATIC\n");
    return Z_STATIC;
}

}  // extern "C"
