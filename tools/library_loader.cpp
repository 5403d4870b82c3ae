// Loading the reader library and explaining a failure to load it.
#include "library_loader.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

#if defined(_WIN32)
const char library_file[] = "libuserd-vortimar_input.dll";
const char platform_kind[] = "a 64-bit Windows DLL";
#else
const char library_file[] = "libuserd-vortimar_input.so";
const char platform_kind[] = "a 64-bit Linux shared library";
#endif

// True when the first bytes of `path` are those of a library this process
// can load: a 64-bit ELF file on Linux, a PE file for x86-64 on Windows.
bool looks_loadable(const std::string &path)
{
    unsigned char head[512] = {0};
    std::FILE *fp = std::fopen(path.c_str(), "rb");
    if (!fp)
        return false;
    const std::size_t got = std::fread(head, 1, sizeof head, fp);
    std::fclose(fp);
#if defined(_WIN32)
    if (got < 64 || head[0] != 'M' || head[1] != 'Z')
        return false;
    const std::size_t pe = head[60] | (head[61] << 8) | (head[62] << 16) | (static_cast<std::size_t>(head[63]) << 24);
    if (pe + 6 > got || std::memcmp(head + pe, "PE\0\0", 4) != 0)
        return false;
    return (head[pe + 4] | (head[pe + 5] << 8)) == 0x8664;  // x86-64
#else
    if (got < 20 || std::memcmp(head, "\x7f" "ELF", 4) != 0 || head[4] != 2)  // 64-bit
        return false;
    const unsigned machine = head[5] == 1 ? head[18] | (head[19] << 8) : (head[18] << 8) | head[19];
#if defined(__x86_64__)
    return machine == 62;
#elif defined(__aarch64__)
    return machine == 183;
#else
    return machine != 0;
#endif
#endif
}

bool has_separator(const std::string &path)
{
    return path.find_first_of("/\\") != std::string::npos;
}

// The system's reason for the last failed load, as one line.
std::string system_reason()
{
#if defined(_WIN32)
    char text[512] = {0};
    const DWORD code = GetLastError();
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                   nullptr);
    std::string reason = text;
    if (reason.empty())
        reason = "error " + std::to_string(code);
#else
    const char *why = dlerror();
    std::string reason = why ? why : "unknown reason";
#endif
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' ||
                               reason.back() == '.'))
        reason.pop_back();
    return reason;
}

// Why `path` could not be loaded, judged from the file itself.
std::string explain_failure(const std::string &path, const std::string &reason)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        if (!has_separator(path))
            return path + ": library not found on the system's library path; give a path with a slash, such as ./" +
                   path;
        return path + ": library not found: no such file";
    }
    if ((info.st_mode & S_IFMT) == S_IFDIR)
        return path + ": a folder, not a library; give the library file in it, such as " + path + "/" +
               library_file;
    if (!looks_loadable(path))
        return path + ": not a library for this platform; " + platform_kind + " is needed";
    return path + ": cannot be loaded: " + reason;
}

}  // namespace

void *Library::symbol(const char *name)
{
#if defined(_WIN32)
    void *p = reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(handle), name));
#else
    void *p = dlsym(handle, name);
#endif
    if (p)
        ++found;
    else
        missing.push_back(name);
    return p;
}

std::string open_library(Library &lib, const std::string &path)
{
#if defined(_WIN32)
    // No error dialog box for a file that is not a library.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    lib.handle = reinterpret_cast<void *>(LoadLibraryA(path.c_str()));
#else
    lib.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
    if (lib.handle)
        return "";
    return explain_failure(path, system_reason());
}

std::string library_beside(const std::string &tool)
{
    const std::size_t cut = tool.find_last_of("/\\");
    return (cut == std::string::npos ? std::string(".") : tool.substr(0, cut)) + "/" + library_file;
}
