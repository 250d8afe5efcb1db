#include "cli/parallel_jobs.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace dw::cli {

void runJobs(size_t count, unsigned threads, const std::function<void(size_t)>& job)
{
    std::atomic<size_t> next = 0;
    const auto work = [&] {
        for (size_t index; (index = next.fetch_add(1)) < count;) job(index);
    };
    std::vector<std::jthread> helpers;
    const size_t wanted = std::min<size_t>(std::max(threads, 1u), count);
    for (size_t started = 1; started < wanted; ++started) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    work();
}

}  // namespace dw::cli
