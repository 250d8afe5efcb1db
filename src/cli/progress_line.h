#pragma once
// A batch's progress on standard error, one line rewritten in place with a
// carriage return: "12/100 pictures, 3.4/s, 0:26 left".

#include <chrono>
#include <cstddef>

namespace dw::cli {

class ProgressLine {
public:
    // Draws nothing at all unless `shown`.
    ProgressLine(size_t total, bool shown);

    // Rewrites the line for `done` pictures of the total.
    void show(size_t done);
    // Blanks the line and leaves the cursor at its start, so that other lines
    // can be printed before it is shown again.
    void erase();
    // Ends the line with a newline.
    void finish();

private:
    size_t total_;
    bool shown_;
    size_t width_ = 0;  // of the text on the line now
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace dw::cli
