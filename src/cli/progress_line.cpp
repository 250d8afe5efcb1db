#include "cli/progress_line.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace dw::cli {

namespace {

// "m:ss", or "h:mm:ss" from an hour on; `seconds` rounded up.
std::string clockText(long double seconds)
{
    long long whole = static_cast<long long>(seconds);
    if (whole < seconds) ++whole;
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

}  // namespace

ProgressLine::ProgressLine(size_t total, bool shown) : total_(total), shown_(shown) {}

void ProgressLine::show(size_t done)
{
    if (!shown_) return;
    std::string text = std::to_string(done) + "/" + std::to_string(total_) + " pictures";
    const long double seconds = std::chrono::duration<long double>(std::chrono::steady_clock::now() - start_).count();
    if (done > 0 && seconds > 0) {
        const long double perSecond = done / seconds;
        char rate[32];
        std::snprintf(rate, sizeof rate, ", %.1Lf/s", perSecond);
        text += rate;
        if (done < total_) text += ", " + clockText((total_ - done) / perSecond) + " left";
    }
    // Spaces cover what is left of a longer line before.
    const size_t shorter = width_ > text.size() ? width_ - text.size() : 0;
    width_ = text.size();
    std::cerr << '\r' << text << std::string(shorter, ' ') << std::flush;
}

void ProgressLine::erase()
{
    if (!shown_ || width_ == 0) return;
    std::cerr << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    width_ = 0;
}

void ProgressLine::finish()
{
    if (shown_) std::cerr << '\n' << std::flush;
    width_ = 0;
}

}  // namespace dw::cli
