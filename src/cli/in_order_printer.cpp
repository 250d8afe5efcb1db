#include "cli/in_order_printer.h"

#include <iostream>
#include <utility>

namespace dw::cli {

InOrderPrinter::InOrderPrinter(size_t pictures, ProgressLine& progress) : waiting_(pictures), progress_(progress)
{
    progress_.show(0);
}

void InOrderPrinter::finished(size_t index, PictureReport report)
{
    const std::scoped_lock lock(mutex_);
    waiting_[index] = std::move(report);
    ++done_;
    const bool anyToPrint = waiting_[printed_].has_value();
    if (anyToPrint) progress_.erase();
    for (; printed_ < waiting_.size() && waiting_[printed_]; ++printed_) {
        std::cout << waiting_[printed_]->out << std::flush;
        std::cerr << waiting_[printed_]->err;
        waiting_[printed_].reset();
    }
    progress_.show(done_);
}

}  // namespace dw::cli
