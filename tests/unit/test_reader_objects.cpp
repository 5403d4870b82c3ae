// Each reader's diagnostics reach only its own sink, and its console choice
// is its own (that readers answer independently is case_threads' check).
#include <gtest/gtest.h>

#include <string>

#include "core/reader_state.h"
#include "deck/deck_readers.h"
#include "test_support.h"

namespace {

void collect(void *user, const char *text)
{
    *static_cast<std::string *>(user) += text;
}

}  // namespace

TEST(ReaderObjects, SinkAndConsoleChoiceArePerReader)
{
    // The same failing load on two readers: the one in Debug with a sink
    // gets its debug lines there; the Normal one without a sink writes only
    // its error line, to standard error.
    ReaderState quiet, chatty;
    std::string collected;
    chatty.message_sink = collect;
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
