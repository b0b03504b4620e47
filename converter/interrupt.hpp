// Stopping at once on SIGINT or SIGTERM.  The handler clears the progress
// line if one is shown, prints one line naming the output file being written
// (the innermost one open: a piece file, the lowest piece's when several jobs
// write at once, else the master, else the collection) and saying that it is
// incomplete, and exits with status 128 + the signal's number.  It flushes
// nothing and removes nothing but a file being written under a temporary name
// (note_temporary), which it unlinks and names by its final name: every other
// file stays as it is, and the master holds every line added so far.
#pragma once

#include <cstdint>

namespace cellplot {

// program names the lines the handler prints; it must stay valid for the run.
void stop_on_interrupt(const char* program);

// Output files open for writing, innermost last; OutFile keeps the list.
// name must stay valid until the matching note_closed.
void note_open(const char* name);
void note_closed(const char* name);

// While one lives, the files that the calling thread opens are the files of
// piece ipiece, converted by job (0..max_jobs-1): each job has a slot of its
// own for them, so that jobs note their files without a lock.
class PieceFiles {
public:
    PieceFiles(int job, std::int32_t ipiece);
    ~PieceFiles();
    PieceFiles(const PieceFiles&) = delete;
    PieceFiles& operator=(const PieceFiles&) = delete;
};

// An output written under a temporary name until it is complete: the handler
// removes the temporary file and its line names final_name.  Both must stay
// valid until note_temporary_gone.
void note_temporary(const char* temporary, const char* final_name);
void note_temporary_gone();

// Whether the progress line is on the terminal now (the handler clears it).
void note_progress_shown(bool shown);

}  // namespace cellplot
