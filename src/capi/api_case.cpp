// Opening and closing a case, its files and the reader's messages.
#include <algorithm>
#include <string>
#include <sys/stat.h>

#include "capi/case_handle.h"
#include "capi/host_answers.h"
#include "core/line_reader.h"
#include "core/text_parse.h"
#include "userd_api.h"

namespace {

// The text vc_open_error gives: why this thread's last vc_open failed.
thread_local std::string open_error;

enum class PathKind { missing, folder, file };

PathKind path_kind(const std::string &path)
{
#if defined(_WIN32)
    struct _stat64 info;
    if (_stat64(path.c_str(), &info) != 0)
        return PathKind::missing;
    return (info.st_mode & _S_IFDIR) != 0 ? PathKind::folder : PathKind::file;
#else
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return PathKind::missing;
    return S_ISDIR(info.st_mode) ? PathKind::folder : PathKind::file;
#endif
}

// The case folder named by `path` (a folder, or the inputs.in in it), with no
// separator at its end; VC_OK, or an error code with `why` filled.
int case_folder_of(const std::string &path, std::string &folder, std::string &why)
{
    const PathKind kind = path_kind(path);
    if (kind == PathKind::missing) {
        why = "no such file or folder: " + path;
        return VC_ERR_NOT_FOUND;
    }
    folder = path;
    if (kind == PathKind::file) {
        const std::size_t cut = path.find_last_of(path_separators);
        const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
        if (name != "inputs.in") {
            why = "not an inputs.in file: " + path;
            return VC_ERR_NOT_FOUND;
        }
        folder = cut == std::string::npos ? "." : path.substr(0, cut);
    }
    // The reader appends the separator itself; the root keeps its own.
    while (folder.size() > 1 && folder.find_last_of(path_separators) == folder.size() - 1)
        folder.pop_back();
    if (folder.empty())
        folder = path_separator;
    const bool ends_in_separator = folder.find_last_of(path_separators) == folder.size() - 1;
    const std::string inputs = folder + (ends_in_separator ? "" : path_separator) + "inputs.in";
    if (!file_can_be_opened(inputs)) {
        why = "no inputs.in in the folder " + folder;
        return VC_ERR_NOT_FOUND;
    }
    return VC_OK;
}

// Names, files and counts that the handle hands out, taken once the case is
// loaded and built.
void take_snapshot(vc_case &handle, ReaderState &reader)
{
    handle.folder = reader.case_folder;
    static const DatasetSlot dataset_slot[4] = {inputs_file_slot, engine_file_slot, boundary_file_slot,
                                                surface_file_slot};  // by VC_FILE_*
    for (int i = 0; i < 4; ++i) {
        handle.files[i] = dataset_file(reader, dataset_slot[i]);
        if (i == VC_FILE_SURFACE && reader.surface_file_name.empty())
            handle.files[i].clear();
        handle.found[i] = !handle.files[i].empty() && (reader.files_read & read_bit(dataset_slot[i])) != 0;
    }
    const int parts = std::min<int>(reader.Numparts_available, static_cast<int>(reader.part_table.size()));
    for (int p = 0; p < parts; ++p)
        handle.part_names.push_back(bounded(reader.part_table[static_cast<std::size_t>(p)].name, name_limit));
    for (int v = 0; v < reader.Num_variables; ++v)
        handle.variable_names.push_back(static_cast<std::size_t>(v) < reader.variable_names.size()
                                            ? reader.variable_names[static_cast<std::size_t>(v)]
                                            : std::string());
    handle.per_part_variables = std::min(per_part_variable_count(reader), reader.Num_variables);
}

std::string joined_messages(const MessageLog &log)
{
    std::string text;
    for (const std::string &line : log.lines)
        text += "\n" + line;
    if (!log.partial.empty())
        text += "\n" + log.partial;
    return text;
}

int open_case(const char *path, unsigned flags, vc_case **out)
{
    if (!out) {
        open_error = "vc_open: the handle pointer is NULL";
        return VC_ERR_ARGUMENT;
    }
    *out = nullptr;
    if (!path) {
        open_error = "vc_open: the path is NULL";
        return VC_ERR_ARGUMENT;
    }
    if ((flags & ~(VC_MOVING_LINER | VC_DEBUG_MESSAGES)) != 0) {
        open_error = "vc_open: unknown flags " + std::to_string(flags);
        return VC_ERR_ARGUMENT;
    }
    std::string folder;
    int code = case_folder_of(path, folder, open_error);
    if (code != VC_OK)
        return code;

    // The case is built before it gets a handle: a case that cannot be
    // loaded, or an exception on the way, frees it and leaves no handle.
    auto opened = std::make_unique<vc_case>();
    ReaderState &reader = reader_of(*opened);
    collect_messages(reader, opened->messages);
    if (open_reader(reader, folder, (flags & VC_MOVING_LINER) != 0, (flags & VC_DEBUG_MESSAGES) != 0) != Z_OK) {
        open_error = "the case in " + folder + " cannot be loaded" + joined_messages(opened->messages);
        return VC_ERR_INTERNAL;
    }
    go_to_step(reader, 0, true);
    take_snapshot(*opened, reader);
    vc_case *handle = register_case(std::move(opened));
    *out = handle;
    return VC_OK;
}

}  // namespace

extern "C" {

VC_API const char *vc_version(void)
{
    return "1.0";
}

VC_API int vc_open(const char *path, unsigned flags, vc_case **out)
{
    try {
        return open_case(path, flags, out);
    } catch (const std::bad_alloc &) {
        open_error = "vc_open: not enough memory";
        return VC_ERR_MEMORY;
    } catch (...) {
        open_error = "vc_open: internal error";
        return VC_ERR_INTERNAL;
    }
}

VC_API const char *vc_open_error(void)
{
    return open_error.c_str();
}

VC_API int vc_close(vc_case *handle)
{
    return release_case(handle) ? VC_OK : VC_ERR_ARGUMENT;
}

VC_API const char *vc_error_message(const vc_case *handle)
{
    const vc_case *live = live_case(handle);
    return live ? live->error.c_str() : "no open case: the handle is NULL or closed";
}

VC_API int vc_folder(vc_case *handle, const char **folder)
{
    return with_case(handle, [&](vc_case &c, ReaderState &) {
        if (int code = check_pointer(c, folder, "folder"))
            return code;
        *folder = c.folder.c_str();
        return VC_OK;
    });
}

VC_API int vc_case_file(vc_case *handle, int which, const char **path, int *found)
{
    return with_case(handle, [&](vc_case &c, ReaderState &) {
        if (which < VC_FILE_INPUTS || which > VC_FILE_SURFACE)
            return fail(c, VC_ERR_RANGE, "no case file " + std::to_string(which));
        if (path)
            *path = c.files[which].c_str();
        if (found)
            *found = c.found[which] ? 1 : 0;
        return VC_OK;
    });
}

VC_API int vc_message_count(vc_case *handle, int *count)
{
    return with_case(handle, [&](vc_case &c, ReaderState &) {
        if (int code = check_pointer(c, count, "count"))
            return code;
        *count = static_cast<int>(c.messages.lines.size());
        return VC_OK;
    });
}

VC_API int vc_message(vc_case *handle, int index, const char **text)
{
    return with_case(handle, [&](vc_case &c, ReaderState &) {
        if (int code = check_pointer(c, text, "text"))
            return code;
        if (index < 0 || static_cast<std::size_t>(index) >= c.messages.lines.size())
            return fail(c, VC_ERR_RANGE, "no message " + std::to_string(index));
        *text = c.messages.lines[static_cast<std::size_t>(index)].c_str();
        return VC_OK;
    });
}

}  // extern "C"
