// The reader's findings on an open case: what it did that the case's author
// most likely did not mean (core/findings.h).
#include <string>

#include "capi/case_handle.h"
#include "core/findings.h"
#include "vortimar_case.h"

namespace {

// The findings as the handle hands them out: taken from the reader once,
// after the case was loaded and built, so that their strings stay put.
const std::vector<Finding> &findings_of(vc_case &c, ReaderState &reader)
{
    if (!c.findings_taken) {
        c.findings = reader.findings;
        c.findings_taken = true;
    }
    return c.findings;
}

}  // namespace

extern "C" {

VC_API int vc_finding_count(vc_case *handle, int *count)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_pointer(c, count, "count"))
            return code;
        *count = static_cast<int>(findings_of(c, reader).size());
        return VC_OK;
    });
}

VC_API int vc_finding(vc_case *handle, int index, vc_finding_info *info)
{
    return with_case(handle, [&](vc_case &c, ReaderState &reader) {
        if (int code = check_pointer(c, info, "info"))
            return code;
        const std::vector<Finding> &findings = findings_of(c, reader);
        if (index < 0 || static_cast<std::size_t>(index) >= findings.size())
            return fail(c, VC_ERR_RANGE, "no finding " + std::to_string(index));
        const Finding &f = findings[static_cast<std::size_t>(index)];
        info->severity = severity_name(f.severity);
        info->code = f.code.c_str();
        info->file = f.file.c_str();
        info->line = f.line;
        info->message = f.message.c_str();
        info->suggestion = f.suggestion.c_str();
        info->count = f.count;
        return VC_OK;
    });
}

}  // extern "C"
