// Stopping at once on SIGINT or SIGTERM.  The handler clears the progress
// line if one is shown, prints one line naming the output file being written
// (the innermost one open: a piece file, the lowest piece's when several jobs
// write at once, else the master, else the collection) and saying that it is
// incomplete, and exits with status 128 + the signal's number.  It flushes
// nothing and removes nothing but a file being written under a temporary name
// (note_temporary), which it unlinks and names by its final name: every other
// file stays as it is, and the master holds every line added so far.
//
// A signal that the program was started with ignored (nohup, a script's
// background job) stays ignored, as shells expect.  SIGXFSZ is ignored, so
// that a write beyond a file-size limit fails with EFBIG and is reported as
// any other write failure rather than killing the process without a word.
#pragma once

#include <csignal>
#include <cstdint>

namespace cellplot {

// program names the lines the handler prints; it must stay valid for the run.
void stop_on_interrupt(const char* program);

// While one lives, SIGINT and SIGTERM wait (blocked) and take effect when it
// ends: for the few steps that must not be cut in two, such as replacing a
// file by renaming its new version into place.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

private:
    sigset_t before_;
};

// Further steps of the handler, first before its line and then after it;
// both must make only async-signal-safe calls.  For cellplot-mpi, which
// names the processes of its node that died before it was stopped.
void add_to_interrupt_report(void (*first)(), void (*then)());

// From now on the handler ends the process without a word: for the end of
// an MPI job, once its files are closed, when mpiexec may end the processes
// still winding down because another one ended with a non-zero status.
void quiet_interrupts();

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
