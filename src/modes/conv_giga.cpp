#include "modes/conv_giga.h"

#include <algorithm>
#include <cstdint>

#include "colour/dithering.h"
#include "colour/helpers.h"
#include "colour/palette.h"
#include "modes/extended_trunc.h"
#include "modes/giga_search.h"
#include "modes/quadruple.h"

namespace dw {
namespace {

constexpr uint8_t startAttr1 = 7;   // paper 0, ink 7
constexpr uint8_t startAttr2 = 71;  // paper 8, ink 15 (bright)
constexpr int centeringWeight = 32;

// A difference of colours, wide enough for cross and dot products.
struct Vec {
    int64_t b = 0, g = 0, r = 0;
};

Vec operator-(const Colour& x, const Colour& y) { return {x.b - y.b, x.g - y.g, x.r - y.r}; }
int64_t dot(const Vec& x, const Vec& y) { return x.b * y.b + x.g * y.g + x.r * y.r; }
bool isZero(const Vec& v) { return v.b == 0 && v.g == 0 && v.r == 0; }

Vec cross(const Vec& a, const Vec& b)
{
    return {a.g * b.r - a.r * b.g, a.r * b.b - a.b * b.r, a.b * b.g - a.g * b.b};
}

// Trunc(n * s) with the product kept in extended precision.
int64_t truncProduct(int64_t n, double s) { return truncExtended(static_cast<long double>(n) * s); }
// Trunc(numerator / denominator) of the quotient in extended precision,
// which is the integer quotient: for |numerator| < 2^63 a quotient that is no
// integer lies at least 1/|denominator| from every integer, more than half a
// unit in its 64th bit, so rounding it never reaches the next integer.
int truncQuotient(int64_t numerator, int64_t denominator) { return static_cast<int>(numerator / denominator); }

// Slot i: screen 1 ink when bit 0 of i is set, screen 2 ink when bit 1 is.
struct Mixes {
    Colour m[4];

    const Colour& operator[](int i) const { return m[i]; }
    Colour centre() const { return {(m[0].b + m[3].b) >> 1, (m[0].g + m[3].g) >> 1, (m[0].r + m[3].r) >> 1}; }
    // M2 = 2 * M1, as for the start attributes: the mixes lie on one line.
    bool lineCase() const { return m[2].b == 2 * m[1].b && m[2].g == 2 * m[1].g && m[2].r == 2 * m[1].r; }
};

Mixes mixesOf(const Conversion& job, const Quadruple& q)
{
    const std::array<Colour, 4> m = mixesOf(job.palette, q);
    return {{m[0], m[1], m[2], m[3]}};
}

// The 64 pixels of the cell at (x0, y0), row by row.
CellPixels readCell(const Plane& b, const Plane& g, const Plane& r, int x0, int y0)
{
    CellPixels px;
    for (int k = 0; k < 64; ++k) {
        const int x = x0 + k % 8, y = y0 + k / 8;
        px[k] = {b[y][x], g[y][x], r[y][x]};
    }
    return px;
}

// Mixes on a line: p moved along M0..M3 by its distances to the ends.
Colour projectOnLine(const Mixes& m, const Colour& p)
{
    const int64_t length = squaredDistance(m[3], m[0]);
    if (length == 0) return m[0];
    const int64_t t = (int64_t(squaredDistance(m[0], p)) - squaredDistance(m[3], p)) * 128 / length + 128;
    return {static_cast<int>(m[3].b * t / 256), static_cast<int>(m[3].g * t / 256),
            static_cast<int>(m[3].r * t / 256)};
}

// Trunc(c * s) for s the double of num / den (den > 0) divided in extended
// precision. Where |num * c| < 2^52, s and the product lie within a relative
// 2^-52 of the exact num * c / den, so within |num * c| / den * 2^-52 < 1 / den
// of it: when that quotient is no integer, no integer is nearer, and both
// truncate alike; when it is 0, so is the product. Otherwise the product in
// extended precision itself.
int64_t truncScaled(int64_t num, int64_t den, int64_t c)
{
    constexpr int64_t exactBelow = int64_t{1} << 26;
    if (num > -exactBelow && num < exactBelow && c > -exactBelow && c < exactBelow) {
        const int64_t numerator = num * c;
        const int64_t quotient = numerator / den;
        if (numerator == 0 || quotient * den != numerator) return quotient;
    }
    return truncProduct(c, static_cast<long double>(num) / den);
}

// a and b parallel: p projected onto the line through M0 along a (or b).
Colour projectOnAxis(const Mixes& m, const Vec& a, const Vec& b, const Vec& q)
{
    const Vec d = isZero(a) ? b : a;
    if (isZero(d)) return m[0];
    const int64_t qd = dot(q, d), dd = dot(d, d);
    return {static_cast<int>(m[0].b + truncScaled(qd, dd, d.b)), static_cast<int>(m[0].g + truncScaled(qd, dd, d.g)),
            static_cast<int>(m[0].r + truncScaled(qd, dd, d.r))};
}

// Orthogonal projection of p onto the plane through M0, M1 and M2.
Colour projectOnPlane(const Mixes& m, const Colour& p)
{
    const Vec a = m[1] - m[0], b = m[2] - m[0], q = p - m[0];
    const Vec n = cross(a, b);
    const int64_t nn = dot(n, n);
    if (nn == 0) return projectOnAxis(m, a, b, q);
    const int64_t qn = -dot(q, n);
    return {static_cast<int>(p.b + truncScaled(qn, nn, n.b)), static_cast<int>(p.g + truncScaled(qn, nn, n.g)),
            static_cast<int>(p.r + truncScaled(qn, nn, n.r))};
}

// Replaces every pixel of the cell in origB/G/R and the working planes by its
// projection onto the cell's mixes.
void projectCell(const Conversion& job, const Mixes& m, int x0, int y0)
{
    const bool line = m.lineCase();
    for (int y = y0; y < y0 + 8; ++y)
        for (int x = x0; x < x0 + 8; ++x) {
            const Colour p = {job.picture.origB[y][x], job.picture.origG[y][x], job.picture.origR[y][x]};
            const Colour c = clampColour(line ? projectOnLine(m, p) : projectOnPlane(m, p));
            job.picture.origB[y][x] = job.picture.workB[y][x] = c.b;
            job.picture.origG[y][x] = job.picture.workG[y][x] = c.g;
            job.picture.origR[y][x] = job.picture.workR[y][x] = c.r;
        }
}

void chooseAttributes(const Conversion& job, int weight)
{
    GigaSearch search(job.tables, job.scratch, weight);
    job.scratch.rowAttr1.fill(startAttr1);
    job.scratch.rowAttr2.fill(startAttr2);
    for (int row = 0; row < 24; ++row) {
        for (int j = 0; j < 32; ++j) {
            const int x0 = 8 * j, y0 = 8 * row;
            const CellPixels px = readCell(job.picture.workB, job.picture.workG, job.picture.workR, x0, y0);
            const Quadruple keep = quadrupleOf(job.scratch.rowAttr1[j], job.scratch.rowAttr2[j]);
            const Quadruple best = search.choose(px, keep);
            job.scratch.rowAttr1[j] = makeAttribute(best.p1, best.i1);
            job.scratch.rowAttr2[j] = makeAttribute(best.p2, best.i2);
            projectCell(job, mixesOf(job, best), x0, y0);
        }
        std::copy(job.scratch.rowAttr1.begin(), job.scratch.rowAttr1.end(), job.screen.scr1.begin() + 6144 + 32 * row);
        std::copy(job.scratch.rowAttr2.begin(), job.scratch.rowAttr2.end(), job.screen.scr2.begin() + 6144 + 32 * row);
    }
}

// Ink shares of a projected pixel on the two screens, 0 (paper) .. 256 (ink),
// not clamped in the plane case.
struct Shares {
    int ink1 = 0, ink2 = 0;
};

class ShareSolver {
public:
    explicit ShareSolver(const Mixes& m)
        : m_(m), line_(m.lineCase()), a_(m[1] - m[0]), b_(m[2] - m[0]),
          dBG_(b_.b * a_.g - b_.g * a_.b), dRB_(a_.r * b_.b - b_.r * a_.b), dRG_(a_.r * b_.g - b_.r * a_.g)
    {
    }

    Shares operator()(const Colour& p) const { return line_ ? onLine(p) : onPlane(p - m_[0]); }

private:
    // Thirds of M0..M3: screen 1 rises, then screen 2 in half steps, then
    // screen 1 again with screen 2 on ink.
    Shares onLine(const Colour& p) const
    {
        const int64_t length = squaredDistance(m_[3], m_[0]);
        if (length == 0) return {};
        int64_t t = (int64_t(squaredDistance(m_[0], p)) - squaredDistance(m_[3], p)) * 384 / length + 384;
        t = t < 0 ? 0 : (t > 767 ? 767 : t);
        const int level = static_cast<int>(t);
        if (level < 256) return {level, 0};
        if (level >= 512) return {level - 512, 255};
        return {255, (level - 256) / 2};
    }

    // q = u a + v b by Cramer's rule in the first channel pair that allows it.
    Shares onPlane(const Vec& q) const
    {
        const Vec &a = a_, &b = b_;
        if (dBG_ != 0)
            return {truncQuotient(256 * (b.b * q.g - q.b * b.g), dBG_),
                    truncQuotient(256 * (a.g * q.b - q.g * a.b), dBG_)};
        if (dRB_ != 0)
            return {truncQuotient(256 * (b.b * q.r - q.b * b.r), dRB_),
                    truncQuotient(256 * (a.r * q.b - q.r * a.b), dRB_)};
        if (dRG_ != 0)
            return {truncQuotient(256 * (b.g * q.r - q.g * b.r), dRG_),
                    truncQuotient(256 * (a.r * q.g - q.r * a.g), dRG_)};
        // a and b parallel: the share of whichever of them is not zero.
        if (!isZero(a)) return {truncQuotient(256 * dot(q, a), dot(a, a)), 0};
        if (!isZero(b)) return {0, truncQuotient(256 * dot(q, b), dot(b, b))};
        return {};
    }

    Mixes m_;
    bool line_;
    Vec a_, b_;
    int64_t dBG_, dRB_, dRG_;
};

// Slot before the overrides: the nearest mix, or the two ordered thresholds,
// screen 2's shifted by (2, 3).
int chooseSlot(const Conversion& job, const Colour& p, const Shares& s, int x, int y)
{
    if (job.settings.floyd) {
        auto d = [&](int i) { return squaredDistance(Colour{job.scratch.cellColB[i], job.scratch.cellColG[i], job.scratch.cellColR[i]}, p); };
        return argmin4(d(0), d(1), d(2), d(3));
    }
    const uint8_t mask = job.settings.chunkMask;
    const int bit1 = ditherMatrix[(x + 2) & mask][(y + 3) & mask] < s.ink2 ? 2 : 0;
    const int bit0 = s.ink1 > ditherMatrix[x & mask][y & mask] ? 1 : 0;
    return bit1 | bit0;
}

// The dithering band: shares outside dithLo..dithHi force their bit.
int applyBand(const Conversion& job, int slot, const Shares& s)
{
    if (job.settings.dithLo > s.ink2) slot &= ~2;
    if (job.settings.dithHi < s.ink2) slot |= 2;
    if (s.ink1 < job.settings.dithLo) slot &= ~1;
    if (s.ink1 > job.settings.dithHi) slot |= 1;
    return slot;
}

void diffuseError(const Conversion& job, const Colour& e, int x, int y)
{
    diffuseHalfQuarterEighths(job.picture.workB, x, y, e.b);
    diffuseHalfQuarterEighths(job.picture.workG, x, y, e.g);
    diffuseHalfQuarterEighths(job.picture.workR, x, y, e.r);
}

void renderCellLine(const Conversion& job, int j, int y)
{
    const Mixes m = mixesOf(job, quadrupleOf(job.scratch.rowAttr1[j], job.scratch.rowAttr2[j]));
    for (int i = 0; i < 4; ++i) job.scratch.cellColB[i] = m[i].b, job.scratch.cellColG[i] = m[i].g, job.scratch.cellColR[i] = m[i].r;
    const ShareSolver solve(m);
    for (int x = 8 * j; x < 8 * j + 8; ++x) {
        const Shares s = solve({job.picture.origB[y][x], job.picture.origG[y][x], job.picture.origR[y][x]});
        job.screen.chunkLevel1[y][x] = s.ink1;
        job.screen.chunkLevel2[y][x] = s.ink2;
        const Colour p = clampColour({job.picture.workB[y][x], job.picture.workG[y][x], job.picture.workR[y][x]});
        const int slot = chooseSlot(job, p, s, x, y);
        const int shown = applyBand(job, slot, s);
        job.scratch.rowPix1[j] = static_cast<uint8_t>(job.scratch.rowPix1[j] * 2 + (shown & 1));
        job.scratch.rowPix2[j] = static_cast<uint8_t>(job.scratch.rowPix2[j] * 2 + (shown >> 1));
        job.screen.zxBitmap.setPixel(x, y, packColour(m[shown]));
        if (job.settings.floyd) {
            const Colour& c = m[slot];
            diffuseError(job, {p.b - c.b, p.g - c.g, p.r - c.r}, x, y);
        }
    }
}

void renderPixels(const Conversion& job)
{
    for (int row = 0; row < 24; ++row) {
        std::copy_n(job.screen.scr1.begin() + 6144 + 32 * row, 32, job.scratch.rowAttr1.begin());
        std::copy_n(job.screen.scr2.begin() + 6144 + 32 * row, 32, job.scratch.rowAttr2.begin());
        for (int y = 8 * row; y < 8 * row + 8; ++y) {
            for (int j = 0; j < 32; ++j) renderCellLine(job, j, y);
            std::copy(job.scratch.rowPix1.begin(), job.scratch.rowPix1.end(), job.screen.scr1.begin() + 32 * zxline(y));
            std::copy(job.scratch.rowPix2.begin(), job.scratch.rowPix2.end(), job.screen.scr2.begin() + 32 * zxline(y));
        }
    }
}

}  // namespace

void convGiga(const Conversion& conversion)
{
    const Palette standard;
    const Conversion job{conversion.picture, conversion.settings, standard, conversion.tables, conversion.screen,
                         conversion.scratch};
    const int weight = job.settings.centering ? centeringWeight : 0;
    chooseAttributes(job, weight);
    renderPixels(job);
}

}  // namespace dw
