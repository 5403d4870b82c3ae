// Handles: which are live, the reader behind one, errors and argument checks.
#include "capi/case_handle.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

// Every handle ever made, open or closed (a closed one has no record).
std::unordered_map<const vc_case *, std::unique_ptr<vc_case>> &all_cases()
{
    static std::unordered_map<const vc_case *, std::unique_ptr<vc_case>> cases;
    return cases;
}

std::mutex &registry_lock()
{
    static std::mutex lock;
    return lock;
}

}  // namespace

ReaderState &reader_of(CaseRecord &handle)
{
    return handle.reader;
}

CaseRecord *live_case(const vc_case *handle)
{
    if (!handle)
        return nullptr;
    std::lock_guard<std::mutex> hold(registry_lock());
    auto found = all_cases().find(handle);
    return found != all_cases().end() ? found->second->record.get() : nullptr;
}

vc_case *register_case()
{
    auto handle = std::make_unique<vc_case>();
    handle->record = std::make_unique<CaseRecord>();
    std::lock_guard<std::mutex> hold(registry_lock());
    vc_case *made = handle.get();
    all_cases().emplace(made, std::move(handle));
    return made;
}

void close_case(vc_case *handle) noexcept
{
    std::lock_guard<std::mutex> hold(registry_lock());
    auto found = all_cases().find(handle);
    if (found != all_cases().end())
        found->second->record.reset();
}

int fail(CaseRecord &handle, int code, const std::string &text) noexcept
{
    try {
        handle.error = text;
    } catch (...) {
        handle.error.clear();
    }
    return code;
}

int fail(CaseRecord &handle, int code, const char *text) noexcept
{
    try {
        handle.error = text;
    } catch (...) {
        handle.error.clear();
    }
    return code;
}

int check_pointer(CaseRecord &handle, const void *pointer, const char *what)
{
    if (pointer)
        return VC_OK;
    return fail(handle, VC_ERR_ARGUMENT, std::string(what) + " is NULL");
}

int check_part(CaseRecord &handle, int part)
{
    const int parts = static_cast<int>(handle.part_names.size());
    if (part >= 1 && part <= parts && part <= handle.reader.Numparts_available)
        return VC_OK;
    return fail(handle, VC_ERR_RANGE,
                "part " + std::to_string(part) + " out of range: the case has parts 1 to " + std::to_string(parts));
}

int check_step(CaseRecord &handle, int step)
{
    const int steps = handle.reader.Num_time_steps;
    if (step >= 0 && step < steps)
        return VC_OK;
    return fail(handle, VC_ERR_RANGE,
                "step " + std::to_string(step) + " out of range: the case has steps 0 to " +
                    std::to_string(steps - 1));
}

int check_capacity(CaseRecord &handle, long long needed, int capacity)
{
    if (capacity >= 0 && needed <= capacity)
        return VC_OK;
    return fail(handle, VC_ERR_SIZE,
                "array too small: " + std::to_string(needed) + " elements needed, capacity " + std::to_string(capacity));
}

int check_variable_number(CaseRecord &handle, int variable)
{
    const int count = static_cast<int>(handle.variable_names.size());
    if (variable >= 1 && variable <= count)
        return VC_OK;
    return fail(handle, VC_ERR_RANGE,
                "variable " + std::to_string(variable) + " out of range: the case has variables 1 to " +
                    std::to_string(count));
}

int check_part_query(CaseRecord &handle, const void *out, const char *what, int part, int step)
{
    if (int code = check_pointer(handle, out, what))
        return code;
    if (int code = check_part(handle, part))
        return code;
    return step == no_step ? VC_OK : check_step(handle, step);
}
