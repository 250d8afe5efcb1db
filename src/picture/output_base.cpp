#include "picture/output_base.h"

namespace dw {

std::string outputBase(const std::string& picName)
{
    size_t dot = picName.rfind('.');
    return dot == std::string::npos ? std::string() : picName.substr(0, dot);
}

}  // namespace dw
