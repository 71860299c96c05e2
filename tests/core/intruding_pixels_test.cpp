// Intruding pixels: the boundary cases of both tests, and every output byte against the plain
// per-pixel double formula for every list value of T, V and M and for values off the lists.
#include "intruding_pixels.h"
#include "frame_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

struct Rgb {
    uint8_t r, g, b;
};

// The formula as written, pixel by pixel.
uint8_t plain_formula(Rgb bg, Rgb cur, uint8_t mask, uint32_t t, uint32_t v, uint32_t m)
{
    if (mask == 0)
        return 0;
    const double b1 = bg.r, b2 = bg.g, b3 = bg.b, c1 = cur.r, c2 = cur.g, c3 = cur.b;
    const double nb = std::sqrt((b1 * b1 + b2 * b2) + b3 * b3);
    const double nf = std::sqrt((c1 * c1 + c2 * c2) + c3 * c3);
    if (nb >= double(t) && nf >= double(t)) {
        const double dot = (b1 * c1 + b2 * c2) + b3 * c3;
        const double angle = std::acos(dot / (nb * nf)) * 180.0 / 3.1416;
        return angle >= double(v) ? 1 : 0;
    }
    return (nb - nf >= double(m) || nf - nb >= double(m)) ? 1 : 0;
}

// Planes of one frame, with room after it that the classification must leave alone.
struct Frame {
    std::vector<uint8_t> br, bg, bb, cr, cg, cb, mask, out;
    explicit Frame(size_t n)
        : br(n), bg(n), bb(n), cr(n), cg(n), cb(n), mask(n, 1), out(n + 40, 0xEE)
    {
    }
    void set(size_t p, Rgb background, Rgb current, uint8_t m = 1)
    {
        br[p] = background.r, bg[p] = background.g, bb[p] = background.b;
        cr[p] = current.r, cg[p] = current.g, cb[p] = current.b;
        mask[p] = m;
    }
    Rgb background(size_t p) const { return {br[p], bg[p], bb[p]}; }
    Rgb current(size_t p) const { return {cr[p], cg[p], cb[p]}; }
    void classify(uint32_t rows, uint32_t columns, uint32_t t, uint32_t v, uint32_t m)
    {
        Individuazione_Dei_Pixel_Intrusi(br.data(), bg.data(), bb.data(), cr.data(), cg.data(),
                                         cb.data(), mask.data(), out.data(), rows, columns, t, v,
                                         m);
    }
    size_t size() const { return mask.size(); }
};

// Compares every pixel with the formula; returns how many differ (reporting the first few).
int count_differences(Frame &f, uint32_t rows, uint32_t columns, uint32_t t, uint32_t v,
                      uint32_t m)
{
    f.classify(rows, columns, t, v, m);
    int wrong = 0;
    for (size_t p = 0; p < f.size(); ++p) {
        const uint8_t want = plain_formula(f.background(p), f.current(p), f.mask[p], t, v, m);
        if (f.out[p] != want && ++wrong <= 3)
            ADD_FAILURE() << "pixel " << p << " T=" << t << " V=" << v << " M=" << m << ": got "
                          << int(f.out[p]) << " want " << int(want);
    }
    for (size_t p = f.size(); p < f.out.size(); ++p)
        EXPECT_EQ(f.out[p], 0xEE) << "written past the frame";
    return wrong;
}

TEST(VectorFormulas, LengthsAndAngles)
{
    EXPECT_EQ(Norma_Euclidea_Del_Vettore(30, 40, 0), 50.0);
    EXPECT_EQ(Norma_Euclidea_Del_Vettore(0, 0, 0), 0.0);
    EXPECT_NEAR(Norma_Euclidea_Del_Vettore(255, 255, 255), 441.6729559300637, 1e-12);
    // A right angle with the four-decimal divisor.
    EXPECT_DOUBLE_EQ(Angolo_In_Gradi_Tra_Due_Vettori(1, 0, 0, 0, 1, 0), 89.99978954134244);
    EXPECT_NEAR(Angolo_In_Gradi_Tra_Due_Vettori(200, 100, 100, 100, 200, 100), 33.557, 1e-3);
    EXPECT_NEAR(Angolo_In_Gradi_Tra_Due_Vettori(120, 100, 80, 100, 120, 80), 9.244, 1e-3);
    EXPECT_NEAR(Angolo_In_Gradi_Tra_Due_Vettori(30, 40, 0, 0, 40, 30), 50.208, 1e-3);
    EXPECT_TRUE(std::isnan(Angolo_In_Gradi_Tra_Due_Vettori(0, 0, 0, 10, 20, 30)));
}

TEST(IntrudingPixels, BoundaryCases)
{
    struct Case {
        std::string name;
        Rgb background, current;
        uint8_t mask;
        uint32_t t, v, m;
        uint8_t expected;
    };
    const std::vector<Case> cases = {
        {"mask 0 hides any change", {0, 0, 0}, {255, 255, 255}, 0, 450, 5, 50, 0},
        {"any non-zero mask byte is sensitive", {0, 0, 0}, {255, 255, 255}, 7, 450, 5, 50, 1},
        {"length difference 51.96 reaches M", {100, 100, 100}, {130, 130, 130}, 1, 450, 5, 50, 1},
        {"length difference 48.50 stays below M", {100, 100, 100}, {128, 128, 128}, 1, 450, 5, 50, 0},
        {"equal lengths, other colour", {200, 100, 100}, {100, 200, 100}, 1, 450, 5, 50, 0},
        {"difference exactly M", {0, 0, 0}, {50, 0, 0}, 1, 450, 5, 50, 1},
        {"difference just below M", {0, 0, 0}, {49, 0, 0}, 1, 450, 5, 50, 0},
        {"background length exactly M", {30, 40, 0}, {0, 0, 0}, 1, 450, 5, 50, 1},
        {"angle 33.6 from V 5", {200, 100, 100}, {100, 200, 100}, 1, 100, 5, 50, 1},
        {"angle 9.2 from V 5", {120, 100, 80}, {100, 120, 80}, 1, 100, 5, 50, 1},
        {"angle 9.2 below V 15", {120, 100, 80}, {100, 120, 80}, 1, 100, 15, 50, 0},
        {"brightness alone, angle test", {200, 200, 200}, {100, 100, 100}, 1, 100, 5, 50, 0},
        {"brightness alone, current below T", {200, 200, 200}, {100, 100, 100}, 1, 200, 5, 50, 1},
        {"both lengths exactly T go to the angle test", {30, 40, 0}, {0, 40, 30}, 1, 50, 45, 125, 1},
        {"lengths below T go to the length test", {30, 40, 0}, {0, 40, 30}, 1, 75, 1, 5, 0},
        {"identical vectors in the angle test", {50, 60, 70}, {50, 60, 70}, 1, 25, 1, 5, 0},
        {"no angle reaches 90", {255, 0, 0}, {0, 255, 0}, 1, 25, 90, 5, 0},
        {"right angle reaches 89", {255, 0, 0}, {0, 255, 0}, 1, 25, 89, 5, 1},
        {"zero vectors in the angle test give NaN", {0, 0, 0}, {0, 0, 0}, 1, 0, 0, 0, 0},
        {"zero against colour with T 0: NaN", {0, 0, 0}, {9, 9, 9}, 1, 0, 0, 0, 0},
    };
    // Each case fills a frame wider than any vector, so it is decided by the same code as a
    // real frame is.
    for (const Case &c : cases) {
        Frame f(3 * 37);
        for (size_t p = 0; p < f.size(); ++p)
            f.set(p, c.background, c.current, c.mask);
        f.classify(3, 37, c.t, c.v, c.m);
        for (size_t p = 0; p < f.size(); ++p)
            ASSERT_EQ(f.out[p], c.expected) << c.name << " at pixel " << p;
        EXPECT_EQ(plain_formula(c.background, c.current, c.mask, c.t, c.v, c.m), c.expected)
            << c.name << " (the formula itself)";
    }
}

// Pairs that make both tests work near their thresholds: noise around the background, the
// same colour at another brightness, lengths near each other, zero and saturated vectors.
void fill_with_hard_pairs(Frame &f, std::mt19937 &rng)
{
    auto byte = [&](int v) { return uint8_t(std::clamp(v, 0, 255)); };
    auto any = [&] { return Rgb{uint8_t(rng()), uint8_t(rng()), uint8_t(rng())}; };
    for (size_t p = 0; p < f.size(); ++p) {
        const Rgb b = any();
        Rgb c{};
        switch (rng() % 6) {
        case 0: c = any(); break;
        case 1: { // sensor noise
            const int n = 1 + int(rng() % 12);
            c = {byte(b.r + int(rng() % (2 * n + 1)) - n), byte(b.g + int(rng() % (2 * n + 1)) - n),
                 byte(b.b + int(rng() % (2 * n + 1)) - n)};
            break;
        }
        case 2: { // same direction, other brightness
            const double s = 0.3 + (rng() % 1000) / 600.0;
            c = {byte(int(b.r * s + 0.5)), byte(int(b.g * s + 0.5)), byte(int(b.b * s + 0.5))};
            break;
        }
        case 3: { // a length change near a multiple of 5
            const double len = std::sqrt(double(b.r * b.r + b.g * b.g + b.b * b.b));
            const double target = len + (rng() % 2 ? 1 : -1) * 5.0 * double(1 + rng() % 25);
            const double s = len > 0 ? target / len : 0;
            c = {byte(int(b.r * s)), byte(int(b.g * s)), byte(int(b.b * s))};
            break;
        }
        case 4: c = b; break;
        default: c = rng() % 2 ? Rgb{0, 0, 0} : Rgb{255, byte(int(rng() % 256)), 255}; break;
        }
        f.set(p, b, c, uint8_t(rng() % 9 == 0 ? 0 : 1 + rng() % 3));
    }
}

TEST(IntrudingPixels, MatchesFormulaForEveryListValue)
{
    std::mt19937 rng(31337);
    Frame f(16 * 61);
    fill_with_hard_pairs(f, rng);
    int wrong = 0;
    for (uint32_t t = 25; t <= 450; t += 25)
        for (uint32_t v = 1; v <= 45; v += 2)
            for (uint32_t m = 5; m <= 125; m += 5)
                wrong += count_differences(f, 16, 61, t, v, m);
    EXPECT_EQ(wrong, 0);
}

TEST(IntrudingPixels, MatchesFormulaOffTheLists)
{
    std::mt19937 rng(4242);
    Frame f(40 * 50);
    fill_with_hard_pairs(f, rng);
    const uint32_t big = 0xFFFFFFFFu;
    const std::vector<uint32_t> ts = {0, 1, 7, 100, 441, 442, 443, big};
    const std::vector<uint32_t> vs = {0, 2, 60, 89, 90, 179, 180, 181, 300, 359, 361, 1000, big};
    const std::vector<uint32_t> ms = {0, 1, 3, 200, 441, 442, big};
    int wrong = 0;
    for (uint32_t t : ts)
        for (uint32_t v : vs)
            for (uint32_t m : ms)
                wrong += count_differences(f, 40, 50, t, v, m);
    EXPECT_EQ(wrong, 0);
}

TEST(IntrudingPixels, LargestFrame)
{
    std::mt19937 rng(5);
    Frame f(plane_size);
    fill_with_hard_pairs(f, rng);
    EXPECT_EQ(count_differences(f, max_rows, max_columns, 100, 5, 50), 0);
    EXPECT_EQ(count_differences(f, max_rows, max_columns, 450, 5, 50), 0);
}

TEST(IntrudingPixels, EmptyFrameWritesNothing)
{
    Frame f(8);
    f.classify(0, 8, 100, 5, 50);
    f.classify(8, 0, 100, 5, 50);
    for (uint8_t v : f.out)
        EXPECT_EQ(v, 0xEE);
}

} // namespace
