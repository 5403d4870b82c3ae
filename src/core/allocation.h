// Allocations sized by what a case file announces may fail. The reader then
// writes one line naming what could not be allocated and goes on as if that
// file were missing; allocated() is the one place where such a failure is
// caught. Any other allocation that fails ends at the entry point's guard.
#pragma once

#include <new>
#include <stdexcept>

// Runs allocate() and returns true when it completed. When the memory cannot
// be had (std::bad_alloc, or a size beyond what a container can hold), runs
// report() instead, which names what could not be allocated and drops what
// was half made, and returns false.
template <typename Allocate, typename Report>
bool allocated(Allocate &&allocate, Report &&report)
{
    try {
        allocate();
        return true;
    } catch (const std::bad_alloc &) {
    } catch (const std::length_error &) {
    }
    report();
    return false;
}
