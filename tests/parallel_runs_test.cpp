// Two forms on two threads convert independently: all seven modes, run on
// two threads at once, give the bytes of a run on one.

#include <thread>

#include "core/mode_table.h"
#include "support/test_support.h"

namespace dw {

// Every file and screen preview of every mode, from one form of its own.
std::map<std::string, std::vector<uint8_t>> convertAll()
{
    test::Harness h(nullptr);
    h.dialogs.picture = test::testdata("photos/skimage_chelsea.png").string();
    h.form->btOpenClick();
    for (const Mode& mode : modeTable()) {
        (h.form.get()->*mode.run)();
        const PictureBytes& preview = h.form->imTo.picture.rgb();
        h.memory.files[std::string(mode.name) + " preview"] = std::vector<uint8_t>(preview.begin(), preview.end());
    }
    return h.memory.files;
}

TEST(ParallelRuns, TwoThreadsGiveTheBytesOfOne)
{
    const auto sequential = convertAll();
    std::map<std::string, std::vector<uint8_t>> first, second;
    std::thread a([&] { first = convertAll(); });
    std::thread b([&] { second = convertAll(); });
    a.join();
    b.join();
    EXPECT_EQ(sequential.size(), 7u + 9u);  // a preview per mode; rmode makes three files
    EXPECT_TRUE(first == sequential);
    EXPECT_TRUE(second == sequential);
}

}  // namespace dw
