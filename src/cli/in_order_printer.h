#pragma once
// Prints what each picture of a batch has to say once every picture before it
// has printed its own, so that a batch run on several threads reads in the
// order of its command line whatever order its pictures finish in.

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/progress_line.h"

namespace dw::cli {

// One picture's lines, each ending in a newline, as they go to standard
// output and to standard error.
struct PictureReport {
    std::string out, err;
};

class InOrderPrinter {
public:
    // Keeps `progress` up to date with the pictures finished.
    InOrderPrinter(size_t pictures, ProgressLine& progress);

    // Takes the report of picture `index` when it has finished; prints it and
    // any after it that were waiting for it. Safe to call from any thread.
    void finished(size_t index, PictureReport report);

private:
    std::mutex mutex_;
    std::vector<std::optional<PictureReport>> waiting_;
    size_t printed_ = 0, done_ = 0;
    ProgressLine& progress_;
};

}  // namespace dw::cli
