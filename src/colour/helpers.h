#pragma once
// Small arithmetic helpers whose tie rules the converters depend on.

#include <cstdint>

namespace dw {

// Swaps bits 0-2 with bits 3-5 of a pixel row: row y of a Spectrum bitmap
// starts at byte 32 * zxline(y). Its own inverse.
constexpr int zxline(int y) { return (y & 0xC0) + ((y & 7) * 8) + ((y & 0x38) / 8); }

int min5(int a, int b, int c, int d, int e);
int min3(int a, int b, int c);
uint8_t minb(uint8_t a, uint8_t b);  // b unless b > a
uint8_t maxb(uint8_t a, uint8_t b);  // b unless b < a
// Index of the smallest; a tie between the first two goes to 1, the third
// and fourth win only when strictly smaller.
int argmin4(int a, int b, int c, int d);
double min3f(double a, double b, double c);  // earlier argument on ties
double min2f(double a, double b);            // second argument on ties
// 0.0 -> 0, 0.5 -> 128, 1.0 -> 255, clamped.
int tobyte(double x);
double det3(double p1, double p2, double p3, double p4, double p5, double p6, double p7, double p8, double p9);

struct Triple {
    double v[3] = {0, 0, 0};
    double operator[](int i) const { return v[i]; }
    double& operator[](int i) { return v[i]; }
};

struct Projection {
    bool inside = false;
    double err = 0;
    double a = 0, b = 0, c = 0;  // clamped to 0..1
};

// Projects target X (shifted by T) onto the parallelepiped spanned by the
// colours A, B and C; kcolerr penalises approximations darker than X.
Projection projectcolor(const Triple& X, const Triple& T, const Triple& A, const Triple& B, const Triple& C,
                        double kcolerr);

}  // namespace dw
