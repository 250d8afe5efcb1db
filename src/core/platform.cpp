#include "core/platform.h"

#include <chrono>

#include "core/output_file.h"

namespace dw {

double SteadyClock::seconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

Status FileOutput::write(const std::string& name, FileRole, std::span<const uint8_t> bytes)
{
    return writeFileAtomically(name, bytes);
}

}  // namespace dw
