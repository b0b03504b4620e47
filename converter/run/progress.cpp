#include "run/progress.hpp"

#include <cstdio>
#include <unistd.h>

#include "run/interrupt.hpp"

namespace cellplot {
namespace {

constexpr auto redraw_every = std::chrono::milliseconds(200);

// 1234567 as "1.23 M": three significant digits and a unit prefix.
std::string short_number(double v)
{
    const char* prefix[] = {"", " k", " M", " G", " T"};
    int k = 0;
    while (v >= 999.5 && k < 4) {
        v /= 1000;
        ++k;
    }
    const int decimals = k == 0 ? 0 : v < 9.995 ? 2 : v < 99.95 ? 1 : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%.*f%s", decimals, v, prefix[k]);
    return text;
}

}  // namespace

ProgressLine::ProgressLine(const char* program, bool shown)
    : program_(program),
      shown_(shown),
      start_(std::chrono::steady_clock::now()),
      next_draw_((start_ + redraw_every).time_since_epoch().count())
{}

ProgressLine::~ProgressLine()
{
    clear();
}

void ProgressLine::start_output(std::int32_t outnum, std::size_t k, std::size_t n)
{
    std::string text = "output " + std::to_string(outnum);
    if (n > 1)
        text += " (" + std::to_string(k) + " of " + std::to_string(n) + ")";
    std::lock_guard lock(draw_mutex_);
    output_ = std::move(text);
}

void ProgressLine::start_piece(std::int32_t ipiece, std::int32_t npieces)
{
    ipiece_.store(ipiece, std::memory_order_relaxed);
    npieces_.store(npieces, std::memory_order_relaxed);
    update(ipiece == 0);  // a new output is shown at once
}

void ProgressLine::piece_done(std::int64_t ncells)
{
    cells_.fetch_add(ncells, std::memory_order_relaxed);
    update();
}

void ProgressLine::add_bytes(std::uint64_t n)
{
    bytes_.fetch_add(n, std::memory_order_relaxed);
    update();
}

void ProgressLine::update(bool force)
{
    if (!shown_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (force) {
        std::lock_guard lock(draw_mutex_);
        draw(now);
        return;
    }
    // One thread takes the due redraw by moving the next time on; the
    // others go back to work without waiting.
    std::int64_t due = next_draw_.load(std::memory_order_relaxed);
    if (now.time_since_epoch().count() < due)
        return;
    const std::int64_t next = (now + redraw_every).time_since_epoch().count();
    if (!next_draw_.compare_exchange_strong(due, next, std::memory_order_relaxed))
        return;
    std::unique_lock lock(draw_mutex_, std::try_to_lock);
    if (lock.owns_lock())
        draw(now);
}

void ProgressLine::draw(std::chrono::steady_clock::time_point now)
{
    next_draw_.store((now + redraw_every).time_since_epoch().count(), std::memory_order_relaxed);
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const auto cells = static_cast<double>(cells_.load(std::memory_order_relaxed));
    const double rate = seconds > 0 ? cells / seconds : 0;
    const std::string line =
        "\r\x1b[K" + program_ + ": " + output_ + ": piece " +
        std::to_string(ipiece_.load(std::memory_order_relaxed) + 1) + " of " +
        std::to_string(npieces_.load(std::memory_order_relaxed)) + ", " + short_number(rate) +
        " cells/s, " + short_number(static_cast<double>(bytes_.load(std::memory_order_relaxed))) +
        " bytes written";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    on_screen_ = true;
    note_progress_shown(true);
}

void ProgressLine::clear()
{
    std::lock_guard lock(draw_mutex_);
    if (!on_screen_)
        return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    on_screen_ = false;
    note_progress_shown(false);
}

}  // namespace cellplot
