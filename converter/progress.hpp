// The progress line: one line on standard error, redrawn in place at most a
// few times a second, naming the output, the piece, the cells converted per
// second and the bytes written.  Shown only when asked for (by default when
// standard error is a terminal), so that scripted runs stay silent.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace cellplot {

class ProgressLine {
public:
    // Becomes the process's progress line, headed by program's name; shown
    // only when shown is true.
    ProgressLine(const char* program, bool shown);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Output outnum, the k-th (1-based) of n converted in this run.
    void start_output(std::int32_t outnum, std::size_t k, std::size_t n);
    // Piece ipiece (0-based) of npieces is being converted; piece 0 is
    // drawn at once.
    void start_piece(std::int32_t ipiece, std::int32_t npieces);
    // A piece of ncells cells has been written.
    void piece_done(std::int64_t ncells);
    // Redraws the line if it is due (or now when force is true).
    void update(bool force = false);
    // Takes the line off the terminal, before a message or at the end.
    void clear();

private:
    std::string program_;
    bool shown_;
    bool on_screen_ = false;
    std::string output_;
    std::int32_t ipiece_ = 0;
    std::int32_t npieces_ = 0;
    std::int64_t cells_ = 0;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_draw_;
};

// Redraws the process's progress line if it is due; output files call it as
// their bytes reach the disk.  Does nothing when there is no line.
void progress_tick();

}  // namespace cellplot
