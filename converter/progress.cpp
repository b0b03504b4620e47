#include "progress.hpp"

#include <cstdio>
#include <unistd.h>

#include "interrupt.hpp"
#include "out_file.hpp"

namespace cellplot {
namespace {

ProgressLine* current = nullptr;
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
    : program_(program), shown_(shown), start_(std::chrono::steady_clock::now()), last_draw_(start_)
{
    current = this;
}

ProgressLine::~ProgressLine()
{
    clear();
    current = nullptr;
}

void ProgressLine::start_output(std::int32_t outnum, std::size_t k, std::size_t n)
{
    output_ = "output " + std::to_string(outnum);
    if (n > 1)
        output_ += " (" + std::to_string(k) + " of " + std::to_string(n) + ")";
}

void ProgressLine::start_piece(std::int32_t ipiece, std::int32_t npieces)
{
    ipiece_ = ipiece;
    npieces_ = npieces;
    update(ipiece == 0);  // a new output is shown at once
}

void ProgressLine::piece_done(std::int64_t ncells)
{
    cells_ += ncells;
    update();
}

void ProgressLine::update(bool force)
{
    if (!shown_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - last_draw_ < redraw_every)
        return;
    last_draw_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(cells_) / seconds : 0;
    const std::string line =
        "\r\x1b[K" + program_ + ": " + output_ + ": piece " + std::to_string(ipiece_ + 1) + " of " +
        std::to_string(npieces_) + ", " + short_number(rate) + " cells/s, " +
        short_number(static_cast<double>(OutFile::total_written())) + " bytes written";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    on_screen_ = true;
    note_progress_shown(true);
}

void ProgressLine::clear()
{
    if (!on_screen_)
        return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    on_screen_ = false;
    note_progress_shown(false);
}

void progress_tick()
{
    if (current)
        current->update();
}

}  // namespace cellplot
