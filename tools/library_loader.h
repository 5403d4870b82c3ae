// Loading the reader library at run time, on Linux and Windows, with a reason
// a person can act on when it cannot be loaded.
#pragma once

#include <string>
#include <vector>

struct Library {
    void *handle = nullptr;             // dlopen handle, or the module handle on Windows
    std::vector<std::string> missing;   // names asked for that the library does not export
    int found = 0;                      // names asked for that it does export

    // The address of the exported `name`, or nullptr (then recorded as missing).
    void *symbol(const char *name);
};

// Loads the library at `path`. Returns "" or one line saying why it could not
// be loaded: not found, a folder, not a library for this platform, or the
// system's own reason.
std::string open_library(Library &lib, const std::string &path);

// The library file that sits next to the tool whose argv[0] is `tool`.
std::string library_beside(const std::string &tool);
