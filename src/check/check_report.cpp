// The check's report as one JSON object, and the C interface over it.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "check/check.h"
#include "vortimar_check.h"

struct vk_report {
    CheckReport report;
};

namespace {

thread_local std::string last_error;

std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string number(double value)
{
    if (!std::isfinite(value))
        return "null";
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string point(const double *p)
{
    return "[" + number(p[0]) + ", " + number(p[1]) + ", " + number(p[2]) + "]";
}

std::string events(const ValveEvents &v)
{
    if (!v.found)
        return "null";
    return "{\"opens\": " + (v.has_opening ? number(v.opens) : "null") +
           ", \"closes\": " + (v.has_closing ? number(v.closes) : "null") + ", \"max_lift\": " + number(v.max_lift) +
           ", \"max_at\": " + number(v.max_at) + "}";
}

std::string counts(const SurfaceCounts &c)
{
    return "{\"number\": " + std::to_string(c.number) + ", \"name\": " + quoted(c.name) +
           ", \"degenerate\": " + std::to_string(c.degenerate) + ", \"duplicate\": " + std::to_string(c.duplicate) +
           ", \"non_manifold_edges\": " + std::to_string(c.non_manifold_edges) +
           ", \"open_edges\": " + std::to_string(c.open_edges) + ", \"open_loops\": " + std::to_string(c.open_loops) +
           ", \"flipped\": " + std::to_string(c.flipped) + "}";
}

std::string engine_json(const CheckReport &r)
{
    const EngineMeasures &e = r.engine;
    if (!e.present)
        return "null";
    const bool volume = !e.volume.empty();
    const double nothing = NAN;
    const double swept = volume ? e.volume_max - e.volume_min : nothing;
    const double from_constants = 3.14159265358979323846 / 4 * r.input.bore * r.input.bore * r.input.stroke;
    return "{\"bore_measured\": " + number(e.bore_measured) + ", \"bore\": " + number(r.input.bore) +
           ", \"travel\": " + number(e.travel) + ", \"stroke\": " + number(r.input.stroke) +
           ", \"volume_min\": " + number(volume ? e.volume_min : nothing) +
           ", \"volume_max\": " + number(volume ? e.volume_max : nothing) +
           ", \"compression_ratio\": " + number(volume ? e.volume_max / e.volume_min : nothing) +
           ", \"swept_volume\": " + number(swept) + ", \"swept_volume_from_constants\": " + number(from_constants) +
           ", \"intake\": " + events(e.intake) + ", \"exhaust\": " + events(e.exhaust) +
           ", \"overlap\": " + number(e.overlap < 0 ? nothing : e.overlap) + "}";
}

}  // namespace

void add_check_finding(CheckReport &report, const char *severity, const char *code, const std::string &file,
                       const std::string &message, const std::string &suggestion)
{
    report.findings.push_back({severity, code, file, 0, message, suggestion});
}

void write_report_json(CheckReport &r)
{
    const CheckCase &input = r.input;
    std::string j = "{\"findings\": [";
    for (std::size_t i = 0; i < r.findings.size(); ++i) {
        const CheckFinding &f = r.findings[i];
        j += std::string(i ? ", " : "") + "{\"severity\": " + quoted(f.severity) + ", \"code\": " + quoted(f.code) +
             ", \"file\": " + quoted(f.file) + ", \"line\": " + (f.line > 0 ? std::to_string(f.line) : "null") +
             ", \"message\": " + quoted(f.message) + ", \"suggestion\": " + quoted(f.suggestion) + ", \"count\": 1}";
    }
    j += "], \"clearances\": [";
    for (std::size_t i = 0; i < r.pairs.size(); ++i) {
        const PairClearance &p = r.pairs[i];
        const CheckPart &a = input.parts[static_cast<std::size_t>(p.a)], &b = input.parts[static_cast<std::size_t>(p.b)];
        const bool found = p.min_step >= 0;
        const std::size_t s = found ? static_cast<std::size_t>(p.min_step) : 0;
        j += std::string(i ? ", " : "") + "{\"parts\": [" + quoted(a.name) + ", " + quoted(b.name) + "], \"numbers\": [" +
             std::to_string(a.number) + ", " + std::to_string(b.number) + "], \"min_distance\": " +
             (found ? number(p.min_distance) : "null") + ", \"step\": " + (found ? std::to_string(p.min_step) : "null") +
             ", \"crank_angle\": " + (found && !input.crank_angles.empty() ? number(input.crank_angles[s]) : "null") +
             ", \"time\": " + (found ? number(input.times[s]) : "null") + ", \"points\": " +
             (found ? "[" + point(p.points[0]) + ", " + point(p.points[1]) + "]" : "null") + ", \"contact\": [";
        for (std::size_t k = 0; k < p.contact.size(); ++k)
            j += std::string(k ? ", " : "") + "[" + std::to_string(p.contact[k][0]) + ", " +
                 std::to_string(p.contact[k][1]) + "]";
        j += "]}";
    }
    j += "], \"engine\": " + engine_json(r) + ", \"surface\": {\"parts\": [";
    for (std::size_t i = 0; i < r.surface.size(); ++i)
        j += std::string(i ? ", " : "") + counts(r.surface[i]);
    j += "], \"whole\": {\"open_edges\": " + std::to_string(r.whole.open_edges) +
         ", \"open_loops\": " + std::to_string(r.whole.open_loops) + "}}, \"timings\": {";
    for (std::size_t i = 0; i < r.timings.size(); ++i)
        j += std::string(i ? ", " : "") + quoted(r.timings[i].first) + ": " + number(r.timings[i].second);
    j += "}, \"queries\": [";
    for (std::size_t i = 0; i < r.pairs.size(); ++i)
        j += std::string(i ? ", " : "") + "[" + std::to_string(r.pairs[i].exact_queries) + ", " +
             std::to_string(r.pairs[i].collision_queries) + ", " + std::to_string(r.pairs[i].sweep_queries) + "]";
    r.json = j + "]}";
}

int guarded_call(const std::function<void()> &work)
{
    try {
        work();
        return VC_OK;
    } catch (const std::bad_alloc &) {
        last_error = "not enough memory";
        return VC_ERR_MEMORY;
    } catch (const std::exception &e) {
        last_error = e.what();
        return VC_ERR_INTERNAL;
    } catch (...) {
        last_error = "internal error";
        return VC_ERR_INTERNAL;
    }
}

extern "C" {

VK_API int vk_run(vc_case *handle, double lift_threshold, vk_report **out)
{
    if (!out)
        return VC_ERR_ARGUMENT;
    *out = nullptr;
    return guarded_call([&] {
        auto made = std::make_unique<vk_report>();
        CheckReport &r = made->report;
        auto timed = [](auto &&work) {
            const auto start = std::chrono::steady_clock::now();
            work();
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
        r.timings.emplace_back("read", timed([&] { read_check_case(handle, r.input); }));
        // The clearances take their own thread: they read only the case as
        // read above and write only r.pairs; the other parts, here, are the
        // only ones to use the case handle and to add findings.
        double clearance_time = 0;
        std::exception_ptr failed;
        auto run_clearances = [&] {
            try {
                clearance_time = timed([&] { check_clearances(r); });
            } catch (...) {
                failed = std::current_exception();
            }
        };
        std::thread clearances;
        try {
            clearances = std::thread(run_clearances);
        } catch (const std::system_error &) {
            // No thread to be had: the clearances run after the rest.
        }
        try {
            r.timings.emplace_back("surface", timed([&] { check_surface(r); }));
            const std::size_t after_surface = r.findings.size();
            r.timings.emplace_back("engine", timed([&] { check_engine(r, lift_threshold); }));
            r.timings.emplace_back("plausibility", timed([&] { check_plausibility(r); }));
            if (clearances.joinable())
                clearances.join();
            else
                run_clearances();
            if (failed)
                std::rethrow_exception(failed);
            // The clearances' findings come after the surface's, as the
            // parts of the check are listed.
            const std::vector<CheckFinding> later(r.findings.begin() + static_cast<long>(after_surface),
                                                  r.findings.end());
            r.findings.resize(after_surface);
            report_clearances(r);
            r.findings.insert(r.findings.end(), later.begin(), later.end());
        } catch (...) {
            if (clearances.joinable())
                clearances.join();
            throw;
        }
        r.timings.emplace(r.timings.begin() + 2, "clearances", clearance_time);
        write_report_json(r);
        *out = made.release();
    });
}

VK_API const char *vk_last_error(void)
{
    return last_error.c_str();
}

VK_API int vk_free(vk_report *report)
{
    delete report;
    return VC_OK;
}

VK_API const char *vk_json(const vk_report *report)
{
    return report ? report->report.json.c_str() : "";
}

VK_API int vk_step_count(const vk_report *report, int *steps)
{
    if (!report || !steps)
        return VC_ERR_ARGUMENT;
    *steps = report->report.input.steps;
    return VC_OK;
}

VK_API int vk_pair_count(const vk_report *report, int *pairs)
{
    if (!report || !pairs)
        return VC_ERR_ARGUMENT;
    *pairs = static_cast<int>(report->report.pairs.size());
    return VC_OK;
}

VK_API int vk_pair_distances(const vk_report *report, int pair, double *distance, int *exact, int capacity)
{
    if (!report || !distance || !exact)
        return VC_ERR_ARGUMENT;
    if (pair < 0 || pair >= static_cast<int>(report->report.pairs.size()))
        return VC_ERR_RANGE;
    const PairClearance &p = report->report.pairs[static_cast<std::size_t>(pair)];
    if (capacity < static_cast<int>(p.distance.size()))
        return VC_ERR_SIZE;
    for (std::size_t s = 0; s < p.distance.size(); ++s) {
        distance[s] = p.distance[s];
        exact[s] = p.exact[s];
    }
    return VC_OK;
}

VK_API int vk_volumes(const vk_report *report, double *volumes, int capacity)
{
    if (!report || !volumes)
        return VC_ERR_ARGUMENT;
    const std::vector<double> &v = report->report.engine.volume;
    if (v.empty())
        return VC_NO_VALUES;
    if (capacity < static_cast<int>(v.size()))
        return VC_ERR_SIZE;
    std::copy(v.begin(), v.end(), volumes);
    return VC_OK;
}

}  // extern "C"
