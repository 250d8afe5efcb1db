#include "colour/helpers.h"

#include <cmath>

namespace dw {

int min5(int a, int b, int c, int d, int e) { return min3(min3(a, b, c), d, e); }

int min3(int a, int b, int c)
{
    int m = a < b ? a : b;
    return c < m ? c : m;
}

uint8_t minb(uint8_t a, uint8_t b) { return b > a ? a : b; }
uint8_t maxb(uint8_t a, uint8_t b) { return b < a ? a : b; }

int argmin4(int a, int b, int c, int d)
{
    int index = 0, best = a;
    if (b <= a) index = 1, best = b;
    if (best > c) index = 2, best = c;
    if (best > d) index = 3;
    return index;
}

double min3f(double a, double b, double c)
{
    double t = b < a ? b : a;
    return c < t ? c : t;
}

double min2f(double a, double b) { return a < b ? a : b; }

int tobyte(double x)
{
    const double v = static_cast<double>(255.4L * x);
    // Truncated toward zero by the conversion; truncation cannot carry a
    // value across either bound, so the bounds are tested first.
    const long double r = static_cast<long double>(v) + 0.5L;
    if (r < 0) return 0;
    if (r > 255) return 255;
    return static_cast<int>(r);
}

double det3(double p1, double p2, double p3, double p4, double p5, double p6, double p7, double p8, double p9)
{
    using L = long double;
    const L d = L(p1) * (L(p5) * p9 - L(p6) * p8) + L(p2) * (L(p6) * p7 - L(p4) * p9) + L(p3) * (L(p4) * p8 - L(p5) * p7);
    return static_cast<double>(d);
}

namespace {

double det3Rows(const Triple& a, const Triple& b, const Triple& c)
{
    return det3(a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2]);
}

double clamp01(double v) { return v < 0 ? 0.0 : (v > 1 ? 1.0 : v); }

double norm(const Triple& v)
{
    const long double s = static_cast<long double>(v[0]) * v[0] + static_cast<long double>(v[1]) * v[1] +
                          static_cast<long double>(v[2]) * v[2];
    return static_cast<double>(std::sqrt(s));
}

}  // namespace

Projection projectcolor(const Triple& X, const Triple& T, const Triple& A, const Triple& B, const Triple& C,
                        double kcolerr)
{
    Projection p;
    Triple Y;
    for (int i = 0; i < 3; ++i) Y[i] = static_cast<double>(static_cast<long double>(X[i]) + T[i]);

    const double D = det3Rows(A, B, C);
    if (std::fabs(static_cast<long double>(D)) >= 0.000001L) {
        p.a = static_cast<double>(static_cast<long double>(det3Rows(Y, B, C)) / D);
        p.b = static_cast<double>(static_cast<long double>(det3Rows(A, Y, C)) / D);
        p.c = static_cast<double>(static_cast<long double>(det3Rows(A, B, Y)) / D);
        p.inside = p.a >= 0 && p.a <= 1 && p.b >= 0 && p.b <= 1 && p.c >= 0 && p.c <= 1;
    } else {
        // Degenerate set: the last positive component of A decides b.
        p.a = 0;
        p.c = 0;
        p.inside = false;
        for (int i = 0; i < 3; ++i)
            if (A[i] > 0) p.b = static_cast<double>(static_cast<long double>(Y[i]) / A[i]);
    }
    p.a = clamp01(p.a);
    p.b = clamp01(p.b);
    p.c = clamp01(p.c);

    Triple Q;
    for (int i = 0; i < 3; ++i)
        Q[i] = static_cast<double>(static_cast<long double>(p.a) * A[i] + static_cast<long double>(p.b) * B[i] +
                                   static_cast<long double>(p.c) * C[i] - T[i]);
    long double err = 0;
    for (int i = 0; i < 3; ++i) {
        const long double d = static_cast<long double>(Q[i]) - X[i];
        err += d * d;
    }
    p.err = static_cast<double>(err);

    const double nX = norm(X), nQ = norm(Q);
    const double d = static_cast<double>((static_cast<long double>(nX) - nQ) * kcolerr);
    if (d > 0) p.err = static_cast<double>(static_cast<long double>(p.err) + d);
    return p;
}

}  // namespace dw
