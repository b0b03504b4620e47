#include "run/interrupt.hpp"

#include <atomic>
#include <csignal>
#include <cstring>
#include <initializer_list>
#include <unistd.h>

#include "convert/limits.hpp"

namespace cellplot {
namespace {

// A run has at most three output files open at once: the collection, a
// master and a piece file.  The handler only reads these; a name is in its
// slot before the count that exposes it is raised.
constexpr int max_open = 4;
const char* volatile open_names[max_open];
volatile std::sig_atomic_t open_count = 0;
volatile std::sig_atomic_t progress_shown = 0;
volatile std::sig_atomic_t quiet = 0;
void (*volatile say_first)() = nullptr;
void (*volatile say_more)() = nullptr;
const char* volatile temporary_name = nullptr;  // set before final_name is
const char* volatile final_name = nullptr;
const char* program_name = "cellplot";

// The piece file each job has open, with its piece number, for jobs that
// convert pieces at once.  A job sets the number before the name that
// exposes it; the handler reads them without a lock.
std::atomic<const char*> job_file[max_jobs];
std::atomic<std::int32_t> job_piece[max_jobs];
static_assert(std::atomic<const char*>::is_always_lock_free &&
              std::atomic<std::int32_t>::is_always_lock_free);  // safe in a signal handler
thread_local int current_job = -1;  // the calling thread's job, inside a PieceFiles
thread_local std::int32_t current_piece = -1;

// The open piece file of the lowest piece, or none.
const char* lowest_piece_file()
{
    const char* name = nullptr;
    std::int32_t lowest = INT32_MAX;
    for (int j = 0; j < max_jobs; ++j) {
        const char* file = job_file[j].load(std::memory_order_acquire);
        const std::int32_t ipiece = job_piece[j].load(std::memory_order_relaxed);
        if (file && ipiece < lowest) {
            lowest = ipiece;
            name = file;
        }
    }
    return name;
}

void say(const char* text)
{
    std::size_t n = std::strlen(text);
    while (n > 0) {
        const ssize_t done = ::write(STDERR_FILENO, text, n);
        if (done <= 0)
            return;
        text += done;
        n -= static_cast<std::size_t>(done);
    }
}

// Only async-signal-safe calls: write, unlink and _exit.
extern "C" void on_signal(int signal)
{
    if (quiet)
        ::_exit(128 + signal);
    if (say_first)
        say_first();
    if (progress_shown)
        say("\r\x1b[K");
    const int n = open_count;
    const char* piece_file = lowest_piece_file();
    const char* temporary = temporary_name;
    const char* final_path = final_name;
    if (temporary && final_path) {
        ::unlink(temporary);
        say(program_name);
        say(": ");
        say(final_path);
        say(": interrupted; the incomplete file was removed\n");
    } else if (piece_file || (n > 0 && n <= max_open)) {
        say(program_name);
        say(": ");
        say(piece_file ? piece_file : open_names[n - 1]);
        say(": interrupted; this file is incomplete\n");
    } else {
        say(program_name);
        say(": interrupted\n");
    }
    if (say_more)
        say_more();
    ::_exit(128 + signal);
}

sigset_t interrupt_signals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

void stop_on_interrupt(const char* program)
{
    program_name = program;
    struct sigaction action {};
    action.sa_handler = on_signal;
    action.sa_mask = interrupt_signals();
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction inherited {};
        if (sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, nullptr);
}

InterruptsHeld::InterruptsHeld()
{
    const sigset_t set = interrupt_signals();
    pthread_sigmask(SIG_BLOCK, &set, &before_);
}

InterruptsHeld::~InterruptsHeld()
{
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

void add_to_interrupt_report(void (*first)(), void (*then)())
{
    say_first = first;
    say_more = then;
}

void quiet_interrupts()
{
    quiet = 1;
}

void note_open(const char* name)
{
    if (current_job >= 0) {
        job_piece[current_job].store(current_piece, std::memory_order_relaxed);
        job_file[current_job].store(name, std::memory_order_release);
        return;
    }
    const int n = open_count;
    if (n < max_open) {
        open_names[n] = name;
        open_count = n + 1;  // the name is in place before it is counted
    }
}

void note_closed(const char* name)
{
    if (current_job >= 0) {
        const char* open = name;
        job_file[current_job].compare_exchange_strong(open, nullptr);
        return;
    }
    const int n = open_count;
    if (n > 0 && open_names[n - 1] == name)
        open_count = n - 1;
}

void note_temporary(const char* temporary, const char* final_path)
{
    temporary_name = temporary;
    final_name = final_path;  // last: the pair counts once both are in place
}

void note_temporary_gone()
{
    final_name = nullptr;
    temporary_name = nullptr;
}

PieceFiles::PieceFiles(int job, std::int32_t ipiece)
{
    current_job = job >= 0 && job < max_jobs ? job : -1;
    current_piece = ipiece;
}

PieceFiles::~PieceFiles()
{
    current_job = -1;
}

void note_progress_shown(bool shown)
{
    progress_shown = shown;
}

}  // namespace cellplot
