#pragma once
// Runs a batch of independent jobs side by side on a fixed number of threads.

#include <cstddef>
#include <functional>

namespace dw::cli {

// Calls job(0) .. job(count - 1), each once, on up to `threads` threads (the
// calling one among them), handing the jobs out in the order of their index;
// returns when all have ended. Threads the system refuses to start leave their
// share to the others.
void runJobs(size_t count, unsigned threads, const std::function<void(size_t)>& job);

}  // namespace dw::cli
