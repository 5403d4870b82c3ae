// Readers are independent objects: two readers on two cases, their calls
// interleaved, answer exactly as each does alone, and each one's diagnostics
// reach only its own sink.
#include <gtest/gtest.h>

#include <string>

#include "../reader_snapshot.h"
#include "test_support.h"

namespace {

struct CaseRun {
    std::string answers;
    std::string messages;
};

const std::string golden = GOLDEN_DIR;

// One reader alone on one case, from its load to its last step.
CaseRun alone(const std::string &name, bool liner)
{
    ReaderState r;
    CaseRun run;
    snapshot::open_case(r, golden + "/" + name, liner, &run.messages);
    for (int s : snapshot::steps_of(r))
        run.answers += snapshot::step(r, s);
    return run;
}

}  // namespace

TEST(ReaderObjects, TwoReadersInterleavedAnswerAsAlone)
{
    const CaseRun engine = alone("engine_liner_on", true);
    const CaseRun points = alone("values_spatial_points", false);
    // The two cases differ where a shared state would show: a moving liner,
    // engine constants and lifts on one side, point parts on the other.
    ASSERT_NE(engine.answers, points.answers);
    ASSERT_NE(engine.answers.find("part 4 'Liner_lower'"), std::string::npos) << engine.answers.substr(0, 400);
    ASSERT_NE(points.answers.find("_Points'"), std::string::npos) << points.answers.substr(0, 400);

    testing::internal::CaptureStderr();
    ReaderState a, b;
    CaseRun ra, rb;
    // Both loaded before either is used; then steps in turn, and a second
    // load of the first case between the second's steps.
    snapshot::open_case(a, golden + "/engine_liner_on", true, &ra.messages);
    snapshot::open_case(b, golden + "/values_spatial_points", false, &rb.messages);
    const std::vector<int> steps_a = snapshot::steps_of(a), steps_b = snapshot::steps_of(b);
    for (std::size_t i = 0; i < steps_a.size() || i < steps_b.size(); ++i) {
        if (i < steps_b.size())
            rb.answers += snapshot::step(b, steps_b[i]);
        if (i < steps_a.size())
            ra.answers += snapshot::step(a, steps_a[i]);
    }
    EXPECT_EQ(ra.answers, engine.answers);
    EXPECT_EQ(rb.answers, points.answers);
    EXPECT_EQ(ra.messages, engine.messages);
    EXPECT_EQ(rb.messages, points.messages);

    CaseRun again;
    snapshot::open_case(a, golden + "/engine_liner_on", true, &again.messages);
    for (int s : snapshot::steps_of(a)) {
        again.answers += snapshot::step(a, s);
        snapshot::step(b, s);
    }
    EXPECT_EQ(again.answers, engine.answers);
    EXPECT_EQ(again.messages, engine.messages);
    // Readers with a sink write nothing to standard error.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(ReaderObjects, SinkAndConsoleChoiceArePerReader)
{
    // The same failing load on two readers: the one in Debug with a sink
    // gets its debug lines there; the Normal one without a sink writes only
    // its error line, to standard error.
    ReaderState quiet, chatty;
    std::string collected;
    chatty.message_sink = snapshot::collect;
    chatty.message_user = &collected;
    chatty.debug_flag = 1;
    TempCase c("sink");  // an empty folder: no inputs.in
    for (ReaderState *r : {&quiet, &chatty}) {
        begin_new_load(*r);
        r->case_folder = c.dir.string() + path_separator;
        testing::internal::CaptureStderr();
        get_file_info(*r);
        const std::string err = testing::internal::GetCapturedStderr();
        const std::string missing = "Error opening file " + r->case_folder + "inputs.in\n";
        if (r == &quiet) {
            EXPECT_EQ(err.substr(0, missing.size()), missing);
            EXPECT_EQ(err.find("reading -->"), std::string::npos) << err;
        } else {
            EXPECT_EQ(err, "");
        }
    }
    EXPECT_EQ(collected.rfind("get_file_info\nreading --> ", 0), 0u) << collected;
    EXPECT_NE(collected.find("Error opening file " + chatty.case_folder + "inputs.in\n"), std::string::npos);
    // The sink stays with the reader across loads.
    EXPECT_EQ(chatty.message_user, &collected);
}
