// The progress line: one line on standard error, redrawn in place at most
// every 200 ms, naming the output, the piece, the cells converted per second
// and the bytes written.  Shown only when asked for (by default when standard
// error is a terminal), so that scripted runs stay silent.
//
// The run hands the line to its output files, which count their bytes into
// it; the jobs that convert pieces at once count their cells and bytes from
// their own threads, and whichever thread finds a redraw due draws it, one
// at a time.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
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
    // Piece ipiece (0-based) of npieces is the one shown (with several jobs,
    // the lowest piece not yet complete); piece 0 is drawn at once.
    void start_piece(std::int32_t ipiece, std::int32_t npieces);
    // A piece of ncells cells has been written.  Any thread.
    void piece_done(std::int64_t ncells);
    // n more bytes reached an output file.  Any thread.
    void add_bytes(std::uint64_t n);
    // Redraws the line if it is due (or now when force is true).  Any thread.
    void update(bool force = false);
    // Takes the line off the terminal, before a message or at the end.
    void clear();

private:
    void draw(std::chrono::steady_clock::time_point now);

    const std::string program_;
    const bool shown_;
    const std::chrono::steady_clock::time_point start_;
    std::atomic<std::int32_t> ipiece_ = 0;
    std::atomic<std::int32_t> npieces_ = 0;
    std::atomic<std::int64_t> cells_ = 0;
    std::atomic<std::uint64_t> bytes_ = 0;
    std::atomic<std::int64_t> next_draw_ = 0;  // steady-clock ticks; 0: at once

    std::mutex draw_mutex_;  // guards the members below
    bool on_screen_ = false;
    std::string output_;
};

}  // namespace cellplot
