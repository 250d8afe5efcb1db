// The brush on the screen views: the left button re-renders pixels with the
// ordered matrix from the ink shares the converter stored, the right (and
// middle) button puts back the converted pixels. "save" writes the screens.

#include <string>

#include "colour/dithering.h"
#include "colour/helpers.h"
#include "colour/palette.h"
#include "core/form.h"
#include "zxfiles/layouts.h"

namespace dw {

namespace {

bool onScreen(int x, int y) { return x >= 0 && x < screenWidth && y >= 0 && y < screenHeight; }

bool holds(const Bitmap& picture, int x, int y) { return x < picture.width() && y < picture.height(); }

void copyBit(uint8_t& target, uint8_t source, uint8_t mask) { target = static_cast<uint8_t>((target & ~mask) | (source & mask)); }

void setBit(uint8_t& target, uint8_t mask, bool on) { target = static_cast<uint8_t>(on ? target | mask : target & ~mask); }

std::string attributeText(uint8_t a) { return "ink=" + std::to_string(inkIndex(a)) + ";pap=" + std::to_string(a >> 3); }

}  // namespace

void TForm1::drawchr(MouseButton mode, int x, int y)
{
    btSaveDraw.enabled = true;
    const int r = udRadius.position;
    for (int px = x - r; px <= x + r; ++px)
        for (int py = y - r; py <= y + r; ++py) {
            if (!onScreen(px, py)) continue;
            const int b = standardPixelOffset(px, py);
            const uint8_t m = pixelMask(px);
            if (mode != MouseButton::left) {
                if (holds(imTo.picture, px, py) && holds(zxBitmap, px, py))
                    imTo.picture.setPixel(px, py, zxBitmap.pixel(px, py));
                copyBit(scr1[b], scr1Conv[b], m);
                copyBit(scr2[b], scr2Conv[b], m);
                continue;
            }
            const int attr = standardAttrOffset(px, py);
            // The paper index keeps only bits 3..6, so a stray flash bit cannot index past the palette.
            const int p1 = paperIndex(scr1[attr]), i1 = inkIndex(scr1[attr]);
            const int p2 = paperIndex(scr2[attr]), i2 = inkIndex(scr2[attr]);
            const int first[4] = {p1, i1, p1, i1};
            const int second[4] = {p2, p2, i2, i2};
            for (int slot = 0; slot < 4; ++slot) {
                candColB[slot] = palB[first[slot]] + palB[second[slot]];
                candColG[slot] = palG[first[slot]] + palG[second[slot]];
                candColR[slot] = palR[first[slot]] + palR[second[slot]];
            }
            uint8_t t = ditherMatrix[px & chunkMask][py & chunkMask];
            t = maxb(t, dithLo);
            t = minb(t, dithHi);
            const int s = 2 * (chunkLevel2[py][px] > t) + (chunkLevel1[py][px] > t);
            if (holds(imTo.picture, px, py))
                imTo.picture.setPixel(px, py, packColour({candColB[s], candColG[s], candColR[s]}));
            setBit(scr1[b], m, s & 1);
            setBit(scr2[b], m, s & 2);
        }
}

void TForm1::imToMouseDown(MouseButton button, int x, int y)
{
    if (retouchOn) drawchr(button, x, y);
}

void TForm1::imToMouseMove(HeldButtons held, int x, int y)
{
    if (retouchOn) {
        if (held.left) drawchr(MouseButton::left, x, y);
        if (held.right) drawchr(MouseButton::right, x, y);
    }
    if (onScreen(x, y)) {
        const int attr = standardAttrOffset(x, y);
        lbIP1.caption = attributeText(scr1[attr]);
        lbIP2.caption = attributeText(scr2[attr]);
    } else {
        lbIP1.caption.clear();
        lbIP2.caption.clear();
    }
}

void TForm1::btSaveDrawClick()
{
    btSaveDraw.enabled = false;
    if (gigaShown)
        writeOutput(outBase + ".img", imgFile(scr1, scr2));
    else
        writeOutput(outBase + ".scr", scrFile(scr1));
}

}  // namespace dw
