#include "core/platform.h"

#include <chrono>

namespace dw {

double SteadyClock::seconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace dw
