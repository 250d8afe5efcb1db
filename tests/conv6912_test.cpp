// The standard screen converter on small pictures whose screens are worked
// out by hand (default palette: a plain colour is 0 or 126 per component, a
// bright one 0 or 252).

#include "modes/conv6912.h"
#include "support/parts.h"

namespace dw {

using test::attrAt;
using test::bitAt;
using test::grey;
using Painter = std::function<Colour(int x, int y)>;

// Small pictures and the attribute every cell ends with:
// - black keeps the start attribute 7 (71 with "bright only") and sets no ink;
// - white takes the first bright white pair (71) with every pixel ink;
// - cyan / white stripes fit bright cyan / bright white exactly on row 0; the
//   white rows below fit it as well as the first pair of the search, so an
//   equal error keeps the attribute inherited from the cell above (111);
// - plain blue is exact as the ink of (black, blue); with "bright only" bright
//   blue as the half mix of (bright black, bright blue);
// - cells of 60 black and 4 bright red pixels fit bright black / bright red
//   exactly, but its half mix lies far from the cell mean, so centering skips
//   it and plain black / red stays best.
TEST(Conv6912Attributes, HandWorkedPicturesTakeTheirAttributeInEveryCell)
{
    const Painter black = [](int, int) { return grey(0); };
    const Painter blue = [](int, int) { return Colour{126, 0, 0}; };
    const Painter redDots = [](int x, int y) { return x % 8 < 2 && y % 8 < 2 ? Colour{0, 0, 252} : grey(0); };
    struct Case {
        const char* what;
        bool brightOnly, centering;
        Painter picture;
        int attribute, bitmapByte;  // -1: any
    };
    const Case cases[] = {
        {"black", false, false, black, 7, 0},
        {"black, bright only", true, false, black, 71, 0},
        {"white", false, false, [](int, int) { return grey(255); }, 71, 0xFF},
        {"equal error inherits", false, false,
         [](int x, int y) { return y >= 8 ? grey(255) : x % 8 < 4 ? Colour{252, 252, 0} : grey(252); }, 111, -1},
        {"blue", false, false, blue, 1, -1},
        {"blue, bright only", true, false, blue, 65, -1},
        {"red dots", false, false, redDots, 66, -1},
        {"red dots, centering", false, true, redDots, 2, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::Parts p;
        p.settings.brightOnly = c.brightOnly;
        p.settings.centering = c.centering;
        p.paint(c.picture);
        conv6912(p.conversion());
        test::expectEveryAttribute(p.scr1, c.attribute);
        for (int i = 0; i < 6144 && c.bitmapByte >= 0; ++i) ASSERT_EQ(p.scr1[i], c.bitmapByte) << "byte " << i;
    }
}

// Grey 63 is the half mix of black and white (attribute 7): t = 128, and the
// matrix entries below 128 form a checkerboard in both matrix sizes. Greys
// 0, 31, 63, 94, 126 are the five mixes of attribute 7 (t = 0, 62, 128, 190,
// 256); at level 0 ink is exactly t >= 128, in both modes.
TEST(Conv6912Pixels, OrderedMatrixAtHalfShareInksHalfThePixelsAndLevelZeroIsAPureThreshold)
{
    for (int chunkMask : {7, 1, 0, -1}) {  // 0 and -1: level 0 with diffusion and without
        test::Parts p;
        if (chunkMask <= 0) p.levelZero();
        p.settings.floyd = chunkMask == 0;
        p.settings.chunkMask = static_cast<uint8_t>(chunkMask > 0 ? chunkMask : 7);
        const int levels[5] = {0, 31, 63, 94, 126};
        p.paint([&](int x, int y) { return grey(chunkMask > 0 ? 63 : levels[(x + y) % 5]); });
        conv6912(p.conversion());
        test::expectEveryAttribute(p.scr1, 7);
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x)
                ASSERT_EQ(bitAt(p.scr1, x, y), chunkMask > 0 ? (x + y) % 2 == 0 : (x + y) % 5 >= 2) << x << "," << y;
    }
}

// (3 * 130^2 - 3 * 4^2) / (3 * 126^2) + 1, times 128, is 264: not clamped to 256.
TEST(Conv6912Pixels, InkShareIsKeptUnclamped)
{
    test::Parts p;
    p.paint([](int x, int y) { return grey(x == 3 && y == 2 ? 130 : (x % 2 ? 126 : 0)); });
    conv6912(p.conversion());
    EXPECT_TRUE(attrAt(p.scr1, 3, 2) == 7 && p.chunkLevel1[2][0] == 0 && p.chunkLevel1[2][1] == 256 && p.chunkLevel1[2][3] == 264);
}

struct Spot {
    int y, x, value;  // blue work plane after the run
};

// - Grey 121 is nearest to white 126: e = -5 gives -15/8 -> -1 right and
//   below, -5/8 -> 0 on the diagonals (truncation toward zero, not flooring).
// - Grey 60 in a black cell, e = 60: 3/8 -> 22, 1/8 -> 7. Without projecting
//   nothing leaves cell (0, 0) from its bottom-right corner; from the top
//   right of cell (2, 0) the diagonal reaches the neighbouring cell of the same
//   character row, and below gets 22 plus 3 * 7/8 = 2 from the left neighbour.
// - With projecting black moves to 1 (t clamps to 255) and grey 60 to 61,
//   whose error crosses the cell edges: 22 right and below; below also gets
//   23/8 -> 2 from the right neighbour and 3 * 8/8 = 3 from its left one. At
//   the picture's corner the shares reach the margins.
// - A black working pixel whose reference is white (t = 256 above the band)
//   is forced to ink, but its error is measured against the nearer black, so
//   it spreads nothing.
TEST(Conv6912Diffusion, ErrorSharesTruncateTowardZeroAndRespectCellEdgesUnlessProjecting)
{
    struct Case {
        const char* what;
        bool projecting;
        Painter picture;
        std::vector<Spot> expected;
        int origCorner = 0, origCell = 0;  // reference blue at (0, 0) and (7, 7) afterwards
        bool whiteReference = false;       // at (0, 0)
    };
    const Case cases[] = {
        {"negative error", false, [](int x, int y) { return grey(x == 0 && y == 0 ? 121 : 0); },
         {{0, 1, -1}, {1, 0, -1}, {1, 1, 0}, {1, -1, 0}}, 121},
        {"inside the cell row", false, [](int x, int y) { return grey(x == 7 && (y == 7 || y == 16) ? 60 : 0); },
         {{7, 8, 0}, {8, 7, 0}, {8, 6, 0}, {8, 8, 0}, {16, 8, 0}, {17, 7, 22 + 2}, {17, 8, 7}}, 0, 60},
        {"projecting crosses cells", true, [](int x, int y) { return grey(x == 7 && y == 7 ? 60 : 0); },
         {{7, 8, 1 + 22}, {8, 7, 1 + 22 + 2 + 3}}, 1, 61},
        {"projecting into the margins", true, [](int x, int y) { return grey(x == 255 && y == 191 ? 60 : 0); },
         {{191, 256, 22}, {192, 255, 22}, {192, 254, 7}, {192, 256, 7}}, 1, 1},
        {"override after the error", false, [](int, int) { return grey(0); }, {{0, 1, 0}, {1, 0, 0}}, 126, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::Parts p;
        p.settings.projecting = c.projecting;
        p.paint(c.picture);
        if (c.whiteReference) p.origB[0][0] = p.origG[0][0] = p.origR[0][0] = 126;
        conv6912(p.conversion());
        for (const Spot& s : c.expected) EXPECT_EQ(p.workB[s.y][s.x], s.value) << s.x << "," << s.y;
        EXPECT_TRUE(p.origB[0][0] == c.origCorner && p.origB[7][7] == c.origCell);
        EXPECT_TRUE(!c.whiteReference || bitAt(p.scr1, 0, 0) * 2 + bitAt(p.scr1, 1, 0) == 2);
    }
}

}  // namespace dw
