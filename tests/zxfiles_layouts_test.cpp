// Readers of the Spectrum files that stop where the file ends or where their
// area ends, and give back what the writers wrote.

#include "support/test_support.h"
#include "zxfiles/layouts.h"

namespace dw {

using Bytes = std::vector<uint8_t>;

// Every byte tells where it came from: its offset and which buffer.
template <typename Buffer>
Buffer numbered(int salt)
{
    Buffer buffer{};
    for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(i * 7 + salt + i / 256);
    return buffer;
}

const ScreenBuffer a = numbered<ScreenBuffer>(1), b = numbered<ScreenBuffer>(2);

TEST(Readers, ShortFilesFillOnlyWhatTheyHoldAndLongOnesStopAtTheirArea)
{
    ScreenBuffer scr1, scr2;
    scr1.fill(0xCC);
    scr2.fill(0xDD);
    readScr(Bytes(100, 1), scr1);
    EXPECT_TRUE(scr1[99] == 1 && scr1[100] == 0xCC);
    readImg(Bytes(7000, 2), scr1, scr2);  // an image never touches bytes past 6911
    EXPECT_TRUE(scr1[6911] == 2 && scr1[6912] == 0xCC && scr2[87] == 2 && scr2[88] == 0xDD);
    readScr({}, scr1);
    EXPECT_EQ(scr1[0], 2);

    // An .mc of 12288 bytes fills exactly screen 1; at most 1536 more reach scr2.
    scr2.fill(0xDD);
    readMc(Bytes(12288, 3), scr1, scr2);
    for (uint8_t v : scr1) ASSERT_EQ(v, 3);
    for (uint8_t v : scr2) ASSERT_EQ(v, 0xDD);
    readMc(Bytes(20000, 4), scr1, scr2);
    EXPECT_TRUE(scr2[1535] == 4 && scr2[1536] == 0xDD);

    Bytes mcx = mcxFile(a, b);
    mcx.resize(30000, 0xFF);
    readMcx(mcx, scr1, scr2);
    EXPECT_TRUE(scr1 == a && scr2 == b);

    ScreenBuffer img1{}, img2{};
    readImg(imgFile(a, b), img1, img2);
    EXPECT_TRUE(scrFile(img1) == scrFile(a) && scrFile(img2) == scrFile(b) && img1[6912] == 0);

    EmgImage emg{};
    Bytes bytes(8000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
    readEmg(bytes, emg);
    EXPECT_TRUE(emgFile(emg) == Bytes(bytes.begin(), bytes.begin() + 7680));
}

}  // namespace dw
