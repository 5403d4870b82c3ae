// Handles: which are live, the reader behind one, errors and argument checks.
#include "capi/case_handle.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>

namespace {

// The open cases, each under the token its handle carries. A handle is the
// token's value, never an address: tokens count up and are never reused, so
// a closed handle names nothing ever after (using it is an error), while a
// closed case leaves nothing behind.
struct Registry {
    std::mutex lock;
    std::uintptr_t last_token = 0;
    std::vector<std::pair<std::uintptr_t, std::unique_ptr<vc_case>>> open;
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

// Tokens step by the alignment a real object would have, so that a handle
// looks like any other pointer to the programs holding it.
constexpr std::uintptr_t token_step = alignof(std::max_align_t);

std::uintptr_t token_of(const vc_case *handle)
{
    return reinterpret_cast<std::uintptr_t>(handle);
}

}  // namespace

ReaderState &reader_of(vc_case &handle)
{
    return handle.reader;
}

vc_case *live_case(const vc_case *handle)
{
    if (!handle)
        return nullptr;
    Registry &r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    for (const auto &entry : r.open)
        if (entry.first == token_of(handle))
            return entry.second.get();
    return nullptr;
}

vc_case *register_case(std::unique_ptr<vc_case> opened)
{
    Registry &r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    r.last_token += token_step;
    r.open.emplace_back(r.last_token, std::move(opened));
    return reinterpret_cast<vc_case *>(r.last_token);
}

bool release_case(const vc_case *handle) noexcept
{
    std::unique_ptr<vc_case> closing;  // freed once the lock is given back
    Registry &r = registry();
    std::lock_guard<std::mutex> hold(r.lock);
    for (auto entry = r.open.begin(); entry != r.open.end(); ++entry) {
        if (entry->first == token_of(handle)) {
            closing = std::move(entry->second);
            r.open.erase(entry);
            return true;
        }
    }
    return false;
}

int fail(vc_case &handle, int code, const std::string &text) noexcept
{
    try {
        handle.error = text;
    } catch (...) {
        handle.error.clear();
    }
    return code;
}

int fail(vc_case &handle, int code, const char *text) noexcept
{
    try {
        handle.error = text;
    } catch (...) {
        handle.error.clear();
    }
    return code;
}

int check_pointer(vc_case &handle, const void *pointer, const char *what)
{
    if (pointer)
        return VC_OK;
    return fail(handle, VC_ERR_ARGUMENT, std::string(what) + " is NULL");
}

int check_part(vc_case &handle, int part)
{
    const int parts = static_cast<int>(handle.part_names.size());
    if (part >= 1 && part <= parts && part <= handle.reader.Numparts_available)
        return VC_OK;
    return fail(handle, VC_ERR_RANGE,
                "part " + std::to_string(part) + " out of range: the case has parts 1 to " + std::to_string(parts));
}

int check_step(vc_case &handle, int step)
{
    const int steps = handle.reader.Num_time_steps;
    if (step >= 0 && step < steps)
        return VC_OK;
    return fail(handle, VC_ERR_RANGE,
                "step " + std::to_string(step) + " out of range: the case has steps 0 to " +
                    std::to_string(steps - 1));
}

int check_capacity(vc_case &handle, long long needed, int capacity)
{
    if (capacity >= 0 && needed <= capacity)
        return VC_OK;
    return fail(handle, VC_ERR_SIZE,
                "array too small: " + std::to_string(needed) + " elements needed, capacity " + std::to_string(capacity));
}

int check_variable_number(vc_case &handle, int variable)
{
    const int count = static_cast<int>(handle.variable_names.size());
    if (variable >= 1 && variable <= count)
        return VC_OK;
    return fail(handle, VC_ERR_RANGE,
                "variable " + std::to_string(variable) + " out of range: the case has variables 1 to " +
                    std::to_string(count));
}

int check_part_query(vc_case &handle, const void *out, const char *what, int part, int step)
{
    if (int code = check_pointer(handle, out, what))
        return code;
    if (int code = check_part(handle, part))
        return code;
    return step == no_step ? VC_OK : check_step(handle, step);
}
