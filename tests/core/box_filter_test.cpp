// Box smoothing: worked examples, and every destination byte against the clipped-window mean
// computed pixel by pixel, over many sizes and radii.
#include "box_filter.h"
#include "frame_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using Plane = std::vector<uint8_t>;

// The window rule itself, summed afresh for every pixel.
Plane reference_filter(const Plane &src, uint32_t rows, uint32_t columns, uint64_t radius)
{
    Plane out(size_t(rows) * columns);
    for (uint64_t i = 0; i < rows; ++i)
        for (uint64_t j = 0; j < columns; ++j) {
            const uint64_t top = i > radius ? i - radius : 0;
            const uint64_t bottom = std::min<uint64_t>(i + radius, rows - 1);
            const uint64_t left = j > radius ? j - radius : 0;
            const uint64_t right = std::min<uint64_t>(j + radius, columns - 1);
            uint64_t sum = 0;
            for (uint64_t y = top; y <= bottom; ++y)
                for (uint64_t x = left; x <= right; ++x)
                    sum += src[y * columns + x];
            out[i * columns + j] = uint8_t(sum / ((bottom - top + 1) * (right - left + 1)));
        }
    return out;
}

// Same rule through a table of cumulative sums, for planes too large to sum afresh.
Plane reference_by_table(const Plane &src, uint32_t rows, uint32_t columns, uint64_t radius)
{
    std::vector<uint64_t> table((size_t(rows) + 1) * (columns + 1), 0);
    auto at = [&](uint64_t y, uint64_t x) -> uint64_t & { return table[y * (columns + 1) + x]; };
    for (uint64_t y = 0; y < rows; ++y)
        for (uint64_t x = 0; x < columns; ++x)
            at(y + 1, x + 1) = src[y * columns + x] + at(y, x + 1) + at(y + 1, x) - at(y, x);
    Plane out(size_t(rows) * columns);
    for (uint64_t i = 0; i < rows; ++i)
        for (uint64_t j = 0; j < columns; ++j) {
            const uint64_t top = i > radius ? i - radius : 0;
            const uint64_t bottom = std::min<uint64_t>(i + radius, rows - 1) + 1;
            const uint64_t left = j > radius ? j - radius : 0;
            const uint64_t right = std::min<uint64_t>(j + radius, columns - 1) + 1;
            const uint64_t sum = at(bottom, right) - at(top, right) - at(bottom, left) + at(top, left);
            out[i * columns + j] = uint8_t(sum / ((bottom - top) * (right - left)));
        }
    return out;
}

Plane random_plane(std::mt19937 &rng, size_t n)
{
    Plane p(n);
    // Mostly full-range noise, sometimes values near the top so that sums are as large as they get.
    const bool bright = rng() % 4 == 0;
    for (auto &v : p)
        v = bright ? uint8_t(250 + rng() % 6) : uint8_t(rng());
    return p;
}

// Runs the filter into a destination with a guard zone after the frame, which must stay untouched.
Plane filter(const Plane &src, uint32_t rows, uint32_t columns, uint32_t radius)
{
    const size_t n = size_t(rows) * columns;
    Plane dst(n + 64, 0xA5);
    Filtrazione_Della_Matrice_Grayscale(src.data(), dst.data(), rows, columns, radius);
    for (size_t k = n; k < dst.size(); ++k)
        EXPECT_EQ(dst[k], 0xA5) << "written past the frame at " << k;
    dst.resize(n);
    return dst;
}

Plane from_rows(std::initializer_list<std::initializer_list<int>> rows)
{
    Plane p;
    for (auto row : rows)
        for (int v : row)
            p.push_back(uint8_t(v));
    return p;
}

TEST(BoxFilter, WorkedExamples)
{
    struct Case {
        std::string name;
        uint32_t rows, columns, radius;
        Plane source, expected;
    };
    Plane single_5x5(25, 0);
    single_5x5[1 * 5 + 1] = 255;
    Plane single_7x7(49, 0);
    single_7x7[3 * 7 + 3] = 255;
    const std::vector<Case> cases = {
        {"3x3 ramp", 3, 3, 1, from_rows({{0, 1, 2}, {3, 4, 5}, {6, 7, 8}}),
         from_rows({{2, 2, 3}, {3, 4, 4}, {5, 5, 6}})},
        {"single 255 near a corner", 5, 5, 1, single_5x5,
         from_rows({{63, 42, 42, 0, 0},
                    {42, 28, 28, 0, 0},
                    {42, 28, 28, 0, 0},
                    {0, 0, 0, 0, 0},
                    {0, 0, 0, 0, 0}})},
        {"single 255 at the centre", 7, 7, 2, single_7x7,
         from_rows({{0, 0, 0, 0, 0, 0, 0},
                    {0, 15, 12, 12, 12, 15, 0},
                    {0, 12, 10, 10, 10, 12, 0},
                    {0, 12, 10, 10, 10, 12, 0},
                    {0, 12, 10, 10, 10, 12, 0},
                    {0, 15, 12, 12, 12, 15, 0},
                    {0, 0, 0, 0, 0, 0, 0}})},
        // Full windows summing to 8 and to 17: the remainder is dropped.
        {"sum 8 truncates to 0", 3, 3, 1, from_rows({{1, 1, 1}, {1, 0, 1}, {1, 1, 1}}),
         from_rows({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}})},
        {"sum 17 truncates to 1", 3, 3, 1, from_rows({{2, 2, 2}, {2, 1, 2}, {2, 2, 2}}),
         from_rows({{1, 1, 1}, {1, 1, 1}, {1, 1, 1}})},
        {"radius 0 copies", 2, 3, 0, from_rows({{9, 0, 255}, {1, 2, 3}}),
         from_rows({{9, 0, 255}, {1, 2, 3}})},
        {"one pixel", 1, 1, 15, from_rows({{77}}), from_rows({{77}})},
    };
    for (const Case &c : cases)
        EXPECT_EQ(filter(c.source, c.rows, c.columns, c.radius), c.expected) << c.name;
}

TEST(BoxFilter, ConstantPlaneStaysConstant)
{
    for (uint32_t radius : {1u, 2u, 7u, 15u, 40u, 4000000000u})
        for (uint8_t v : {0, 1, 128, 255}) {
            const Plane src(37 * 91, v);
            EXPECT_EQ(filter(src, 37, 91, radius), src) << "radius " << radius << " value " << int(v);
        }
}

TEST(BoxFilter, MatchesPixelByPixelMeanOnRandomPlanes)
{
    std::mt19937 rng(20240611);
    struct Size {
        uint32_t rows, columns;
    };
    // Lines, planes narrower or shorter than a window, and ordinary small planes.
    const std::vector<Size> sizes = {{1, 1},  {1, 2},   {2, 1},  {1, 57},  {57, 1},  {2, 2},
                                     {3, 5},  {5, 3},   {4, 31}, {31, 4},  {29, 29}, {30, 31},
                                     {33, 32}, {40, 17}, {17, 64}, {64, 70}};
    for (const Size s : sizes)
        for (uint32_t radius = 1; radius <= 15; ++radius) {
            const Plane src = random_plane(rng, size_t(s.rows) * s.columns);
            EXPECT_EQ(filter(src, s.rows, s.columns, radius),
                      reference_filter(src, s.rows, s.columns, radius))
                << s.rows << "x" << s.columns << " radius " << radius;
        }
}

TEST(BoxFilter, RadiiAboveTheListKeepTheWindowRule)
{
    std::mt19937 rng(7);
    struct Case {
        uint32_t rows, columns, radius;
    };
    // Windows past 4,104 pixels, radii past the plane and radii near 2^32.
    const std::vector<Case> cases = {{50, 60, 16},  {70, 80, 31},   {70, 80, 32},
                                     {90, 90, 40},  {90, 90, 44},   {20, 300, 100},
                                     {300, 20, 100}, {40, 40, 4000}, {33, 35, 0xFFFFFFFFu},
                                     {1, 500, 0xFFFFFFF0u}};
    for (const Case &c : cases) {
        const Plane src = random_plane(rng, size_t(c.rows) * c.columns);
        EXPECT_EQ(filter(src, c.rows, c.columns, c.radius),
                  reference_by_table(src, c.rows, c.columns, c.radius))
            << c.rows << "x" << c.columns << " radius " << c.radius;
    }
}

TEST(BoxFilter, LargestFramesOfAnyAspect)
{
    std::mt19937 rng(99);
    struct Case {
        uint32_t rows, columns, radius;
    };
    const std::vector<Case> cases = {{max_rows, max_columns, 2},
                                     {max_rows, max_columns, 15},
                                     {1, plane_size, 15},
                                     {plane_size, 1, 3},
                                     {600, 3840, 9}};
    for (const Case &c : cases) {
        const Plane src = random_plane(rng, size_t(c.rows) * c.columns);
        const Plane got = filter(src, c.rows, c.columns, c.radius);
        EXPECT_TRUE(got == reference_by_table(src, c.rows, c.columns, c.radius))
            << c.rows << "x" << c.columns << " radius " << c.radius;
    }
}

TEST(BoxFilter, RectangleMean)
{
    const Plane p = from_rows({{0, 1, 2, 3}, {4, 5, 6, 7}, {8, 9, 10, 255}});
    struct Case {
        uint32_t top, bottom, left, right;
        uint8_t expected;
    };
    const std::vector<Case> cases = {
        {0, 0, 0, 0, 0},   {2, 2, 3, 3, 255}, {0, 1, 0, 1, 2},   // 10 / 4, remainder dropped
        {0, 2, 0, 3, 25},                                      // 310 / 12
        {1, 2, 2, 3, 69},                                      // 278 / 4
    };
    for (const Case &c : cases)
        EXPECT_EQ(Valore_Medio_Sul_Rettangolo(p.data(), 3, 4, c.top, c.bottom, c.left, c.right),
                  c.expected)
            << c.top << ".." << c.bottom << " x " << c.left << ".." << c.right;
}

} // namespace
