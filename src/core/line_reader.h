// Reading case files line by line.
//
// Every case file is opened for reading in binary mode and read through
// read_next_line. CaseFile keeps its own read buffer (so that large surface
// files are read quickly) and still offers tell and seek, which several
// readers use to read a line again.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// A caller's line buffer must hold at least this many bytes.
constexpr int line_buffer_size = 253;

struct CaseFile {
    std::FILE *fp = nullptr;
    std::vector<char> buffer;
    std::size_t pos = 0;    // next byte to hand out within buffer
    std::size_t len = 0;    // bytes held in buffer
    long long base = 0;     // file offset of buffer[0]

    CaseFile() = default;
    CaseFile(const CaseFile &) = delete;
    CaseFile &operator=(const CaseFile &) = delete;
    ~CaseFile();
};

// Opens path for binary reading; false when it cannot be opened.
bool open_case_file(CaseFile &file, const std::string &path);
void close_case_file(CaseFile &file);
bool case_file_is_open(const CaseFile &file);

// Offset of the next byte to be read, and a return to such an offset.
long long case_file_tell(const CaseFile &file);
void case_file_seek(CaseFile &file, long long offset);

// Delivers the next line into dest (at least line_buffer_size bytes): the line
// end removed, spaces cut at both ends. Returns 1 when a line was delivered,
// -1 when none was (end of file, a line of more than 251 characters, or a last
// line without a line end); dest is then left as it was.
int read_next_line(CaseFile &file, char *dest);

// Size of the open file in bytes (0 when it cannot be told); the reading
// position is left as it was.
long long case_file_size(CaseFile &file);

// True when nothing more can be read from the file.
bool case_file_at_end(CaseFile &file);

// read_next_line for the readers that search on until a line is found: false
// once the file has ended. A line too long to be delivered leaves dest holding
// the previous line and counts as read.
bool read_line_or_end(CaseFile &file, char *dest);

// True when path can be opened for reading.
bool file_can_be_opened(const std::string &path);
