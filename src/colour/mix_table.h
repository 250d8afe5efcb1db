#pragma once
// The 83 distinct sums of two default palette entries, in red, green, blue
// order. Gigascreen and MCX records index their four mixes into this table.

#include <array>
#include <cstdint>

namespace dw {

struct Mix {
    uint8_t r, g, b;
};

inline constexpr int blackMix = 78;

namespace detail {

constexpr std::array<Mix, 83> buildMixTable()
{
    std::array<Mix, 83> t{};
    int n = 0;
    auto add = [&](int r, int g, int b) { t[n++] = {uint8_t(r), uint8_t(g), uint8_t(b)}; };
    // 0..29: three different levels, in all six orders of each value set.
    const int sets[5][3] = {{0, 63, 126}, {0, 63, 189}, {0, 126, 189}, {0, 126, 252}, {63, 126, 189}};
    for (const auto& s : sets) {
        const int a = s[0], b = s[1], c = s[2];
        add(a, b, c), add(a, c, b), add(b, a, c), add(b, c, a), add(c, a, b), add(c, b, a);
    }
    // 30..53: one or two channels at v, the rest 0.
    for (int v : {63, 126, 189, 252}) add(0, 0, v), add(0, v, 0), add(v, 0, 0), add(0, v, v), add(v, 0, v), add(v, v, 0);
    // 54..77: two levels u < v, both non-zero.
    const int pairs[4][2] = {{63, 126}, {63, 189}, {126, 189}, {126, 252}};
    for (const auto& p : pairs) {
        const int u = p[0], v = p[1];
        add(u, u, v), add(u, v, u), add(v, u, u), add(u, v, v), add(v, u, v), add(v, v, u);
    }
    // 78..82: the greys.
    for (int v : {0, 63, 126, 189, 252}) add(v, v, v);
    return t;
}

}  // namespace detail

inline constexpr std::array<Mix, 83> mixTable = detail::buildMixTable();

}  // namespace dw
