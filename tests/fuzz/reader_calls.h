// The fuzz targets' only way into the reader's own routines and state. Each
// function makes a reader of its own, so that nothing is kept from one input
// to the next, and drops the reader's diagnostics through its message sink.
// It reads one kind of case file from the private fuzz folder the way the
// case loader would, and then asks for what the host would ask of that
// file's results. When the reader's routines change their parameters, this
// file and reader_calls.cpp are all that change.
#pragma once

#include <memory>
#include <string>

// What the case loader would have settled before the file is read.
struct ReaderSetup {
    int crank_flag = 0;     // 1: the run is in crank degrees
    int engine_mode = 0;    // 1: an engine case
    float start = 0.0f;     // run start, crank degrees or seconds
    float end = 1.0f;       // run end, same unit
    float rpm = 1200.0f;
    int regions = 1;        // region records in the part and motion tables
    bool time_line = false; // lay out the run's time line first (crank angles
                            // by half degrees in an engine crank case, else
                            // 51 equal steps); else as before the deck is read
};

namespace reader_calls {

// The reader's line reader over one file.
class LineFile {
public:
    explicit LineFile(const std::string &path);
    ~LineFile();
    bool is_open() const;
    // As the reader's routines: 1 or -1; true or false.
    int next(char *dest);
    bool next_or_end(char *dest);
    long long tell() const;
    void seek(long long offset);
    bool at_end();
    long long size();

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
// Bytes a line buffer of the reader holds.
int line_capacity();

// Each reads the named file (or the fixed name the loader uses) of the fuzz
// folder after `setup`, checks the promises its results make and answers
// the host's queries on them. The reader's result is returned.
int inputs_file(const ReaderSetup &setup);
int engine_file(const ReaderSetup &setup);
int boundary_deck(const ReaderSetup &setup);
int motion_profile_file(const ReaderSetup &setup, const std::string &name);
int arbitrary_motion_file(const ReaderSetup &setup, const std::string &name);
int spatial_file(const ReaderSetup &setup, const std::string &name);
int lift_files(const ReaderSetup &setup);
int surface_file(const ReaderSetup &setup, const std::string &name);
int value_file(const ReaderSetup &setup, const std::string &name, int slot);

// Replaces the reader behind the host's entry points by a fresh one whose
// diagnostics are dropped, so that an input driven through the entry points
// starts from nothing another input left behind.
void fresh_default_reader();

}  // namespace reader_calls
