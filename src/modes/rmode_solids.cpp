#include "modes/rmode_solids.h"

#include <cmath>
#include <utility>

namespace dw::rmode {

namespace {

// Component i (0 blue, 1 green, 2 red) of a colour vector, 0 or 1.
constexpr int component(int colour, int i)
{
    constexpr int bits[3] = {1, 4, 2};
    return (colour & bits[i]) ? 1 : 0;
}

constexpr int det3(int p1, int p2, int p3, int p4, int p5, int p6, int p7, int p8, int p9)
{
    return p1 * (p5 * p9 - p6 * p8) + p2 * (p6 * p7 - p4 * p9) + p3 * (p4 * p8 - p5 * p7);
}

// One term of det3 with the target Y in one row and 0/1 colours in the
// others: outer * (kp * Y[p] - kq * Y[q]), every factor a constant 0, 1 or
// -1. Multiplying by 1 or -1 is exact, and a term multiplied by 0 is a zero
// whose only effect on the sum is the sign of a zero result. Nothing that
// reads the coefficients (comparisons, sums, products, tobyte) makes -0 and
// +0 differ, so such terms are left out.
struct Term {
    int outer, kp, p, kq, q;
    constexpr bool zero() const { return outer == 0 || (kp == 0 && kq == 0); }
};
using DetShape = std::array<Term, 3>;

// det3 expands along the first row: term j is row1[j] * (row2[j+1] *
// row3[j+2] - row2[j+2] * row3[j+1]), indices modulo 3.
constexpr DetShape targetInRow1(int B, int C)
{
    DetShape s{};
    for (int j = 0; j < 3; ++j) {
        const int u = (j + 1) % 3, v = (j + 2) % 3;
        s[j] = {component(B, u) * component(C, v) - component(B, v) * component(C, u), 1, j, 0, j};
    }
    return s;
}

constexpr DetShape targetInRow2(int A, int C)
{
    DetShape s{};
    for (int j = 0; j < 3; ++j) {
        const int u = (j + 1) % 3, v = (j + 2) % 3;
        s[j] = {component(A, j), component(C, v), u, component(C, u), v};
    }
    return s;
}

constexpr DetShape targetInRow3(int A, int B)
{
    DetShape s{};
    for (int j = 0; j < 3; ++j) {
        const int u = (j + 1) % 3, v = (j + 2) % 3;
        s[j] = {component(A, j), component(B, u), v, component(B, v), u};
    }
    return s;
}

template <Term t>
long double termValue(const Triple& Y)
{
    long double inner;
    if constexpr (t.kp != 0 && t.kq != 0)
        inner = static_cast<long double>(Y[t.p]) - Y[t.q];
    else if constexpr (t.kp != 0)
        inner = Y[t.p];
    else
        inner = -static_cast<long double>(Y[t.q]);
    if constexpr (t.outer < 0) return -inner;
    return inner;
}

// det3 with the target in one row, its terms summed in det3's order.
template <DetShape s>
double determinant(const Triple& Y)
{
    long double sum = 0;
    bool first = true;
    auto add = [&](long double term) {
        sum = first ? term : sum + term;
        first = false;
    };
    if constexpr (!s[0].zero()) add(termValue<s[0]>(Y));
    if constexpr (!s[1].zero()) add(termValue<s[1]>(Y));
    if constexpr (!s[2].zero()) add(termValue<s[2]>(Y));
    return static_cast<double>(sum);
}

double clamp01(double v) { return v < 0 ? 0.0 : (v > 1 ? 1.0 : v); }

double norm(const Triple& v)
{
    const long double s = static_cast<long double>(v[0]) * v[0] + static_cast<long double>(v[1]) * v[1] +
                          static_cast<long double>(v[2]) * v[2];
    return static_cast<double>(std::sqrt(s));
}

// Component i of a*A + b*B + c*C - T, the zero products left out as above.
template <Solid s, int i>
double approximation(const Projection& p)
{
    long double sum = 0;
    bool first = true;
    auto add = [&](long double term) {
        sum = first ? term : sum + term;
        first = false;
    };
    if constexpr (component(s.A, i) != 0) add(p.a);
    if constexpr (component(s.B, i) != 0) add(p.b);
    if constexpr (component(s.C, i) != 0) add(p.c);
    if constexpr (s.whiteOn) sum += 1.0L;
    return static_cast<double>(sum);
}

// The coefficients before clamping and the inside flag.
template <Solid s>
void coefficients(const Triple& Y, Projection& p)
{
    constexpr int D = det3(component(s.A, 0), component(s.A, 1), component(s.A, 2), component(s.B, 0),
                           component(s.B, 1), component(s.B, 2), component(s.C, 0), component(s.C, 1),
                           component(s.C, 2));
    if constexpr (D != 0) {
        constexpr long double d = D;
        p.a = static_cast<double>(static_cast<long double>(determinant<targetInRow1(s.B, s.C)>(Y)) / d);
        p.b = static_cast<double>(static_cast<long double>(determinant<targetInRow2(s.A, s.C)>(Y)) / d);
        p.c = static_cast<double>(static_cast<long double>(determinant<targetInRow3(s.A, s.B)>(Y)) / d);
        p.inside = p.a >= 0 && p.a <= 1 && p.b >= 0 && p.b <= 1 && p.c >= 0 && p.c <= 1;
    } else {
        // The last positive component of A (its value 1) decides b.
        constexpr int last = component(s.A, 2) ? 2 : (component(s.A, 1) ? 1 : 0);
        static_assert(component(s.A, last) == 1);
        p.b = Y[last];
    }
}

template <Solid s, bool penalised>
void project(const SolidTarget& t, double kcolerr, Projection& p)
{
    p = Projection{};
    coefficients<s>(s.whiteOn ? t.lessWhite : t.X, p);
    p.a = clamp01(p.a);
    p.b = clamp01(p.b);
    p.c = clamp01(p.c);

    Triple Q;
    Q[0] = approximation<s, 0>(p);
    Q[1] = approximation<s, 1>(p);
    Q[2] = approximation<s, 2>(p);
    long double err = 0;
    for (int i = 0; i < 3; ++i) {
        const long double d = static_cast<long double>(Q[i]) - t.X[i];
        err += d * d;
    }
    p.err = static_cast<double>(err);

    // With kcolerr 0 the penalty is a zero, never added.
    if constexpr (penalised) {
        const double d = static_cast<double>((static_cast<long double>(t.normX) - norm(Q)) * kcolerr);
        if (d > 0) p.err = static_cast<double>(static_cast<long double>(p.err) + d);
    }
}

using Projector = void (*)(const SolidTarget&, double, Projection&);

template <bool penalised, int... k>
constexpr std::array<Projector, solidCount> projectors(std::integer_sequence<int, k...>)
{
    return {&project<solids[k], penalised>...};
}

constexpr auto plainProjectors = projectors<false>(std::make_integer_sequence<int, solidCount>{});
constexpr auto penalisedProjectors = projectors<true>(std::make_integer_sequence<int, solidCount>{});

double targetOf(int32_t v) { return static_cast<double>(static_cast<long double>(v) * 1.5L / 255.0L); }
double lessWhiteOf(double x) { return static_cast<double>(static_cast<long double>(x) + -1.0L); }

// Both targets of the work values 0..255, which are what the preparation
// leaves; other values are computed when met.
struct TargetTable {
    std::array<double, 256> X, lessWhite;
};

const TargetTable& targetTable()
{
    static const TargetTable table = [] {
        TargetTable t;
        for (int v = 0; v < 256; ++v) {
            t.X[v] = targetOf(v);
            t.lessWhite[v] = lessWhiteOf(t.X[v]);
        }
        return t;
    }();
    return table;
}

}  // namespace

SolidTarget solidTarget(int32_t b, int32_t g, int32_t r, double kcolerr)
{
    const TargetTable& table = targetTable();
    SolidTarget t;
    const int32_t v[3] = {b, g, r};
    for (int i = 0; i < 3; ++i) {
        if (v[i] >= 0 && v[i] < 256) {
            t.X[i] = table.X[v[i]];
            t.lessWhite[i] = table.lessWhite[v[i]];
        } else {
            t.X[i] = targetOf(v[i]);
            t.lessWhite[i] = lessWhiteOf(t.X[i]);
        }
    }
    if (kcolerr != 0) t.normX = norm(t.X);
    return t;
}

void projectOnSolid(int k, const SolidTarget& target, double kcolerr, Projection& out)
{
    (kcolerr == 0 ? plainProjectors : penalisedProjectors)[k](target, kcolerr, out);
}

}  // namespace dw::rmode
