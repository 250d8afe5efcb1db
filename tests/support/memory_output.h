#pragma once
// Outputs for tests: one that keeps every file in memory, and one that takes
// a fixed number of bytes and then fails, as a full disk would.

#include "support/test_support.h"
#include "core/platform.h"

namespace dw::test {

class MemoryOutput : public Output {
public:
    std::map<std::string, std::vector<uint8_t>> files;  // by the name the window would write
    Status write(const std::string& name, FileRole, std::span<const uint8_t> bytes) override
    {
        files[name].assign(bytes.begin(), bytes.end());
        return {};
    }
};

class FullDiskOutput : public Output {
public:
    explicit FullDiskOutput(size_t room) : room_(room) {}
    MemoryOutput stored;
    Status write(const std::string& name, FileRole role, std::span<const uint8_t> bytes) override
    {
        if (bytes.size() > room_) return Failure{"No space left on device"};
        room_ -= bytes.size();
        return stored.write(name, role, bytes);
    }

private:
    size_t room_;
};

}  // namespace dw::test
