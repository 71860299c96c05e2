// Mass merging on drawn label planes: growing and its clamps, the corner relation, chains,
// the numbering by first label, and the labels left out of the merge.
#include "frame_buffer.h"
#include "mass_merging.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Picture = std::vector<std::string>;

const std::string label_chars = ".123456789abcdefghijklmnopqrstuvwxyz";

uint8_t *const plane = matrice_grayscale_delle_masse_intruse_8bpp;

// Merges a drawn plane of raw labels and draws the result the same way.
Picture merge(const Picture &labels, uint32_t e)
{
    const uint32_t rows = uint32_t(labels.size()), columns = uint32_t(labels[0].size());
    for (uint32_t r = 0; r < rows; ++r)
        for (uint32_t c = 0; c < columns; ++c)
            plane[r * columns + c] = uint8_t(label_chars.find(labels[r][c]));
    Accorpamento_Delle_Masse_Intruse(plane, rows, columns, e);
    Picture out = labels;
    for (uint32_t r = 0; r < rows; ++r)
        for (uint32_t c = 0; c < columns; ++c)
            out[r][c] = label_chars.at(plane[r * columns + c]);
    return out;
}

// Two 10 x 10 masses on the same rows, the second starting at `second_column`.
Picture two_squares(uint32_t second_column, char first, char second)
{
    Picture picture(12, std::string(40, '.'));
    for (int r = 1; r <= 10; ++r)
        for (int c = 0; c < 10; ++c) {
            picture[r][c] = first;
            picture[r][second_column + c] = second;
        }
    return picture;
}

struct MergeCase {
    const char *name;
    uint32_t e;
    Picture raw;
    Picture merged;
};

TEST(MassMerging, DrawnCases)
{
    const MergeCase cases[] = {
        {"a single mass keeps label 1", 7,
         {"......",
          "..1...",
          "...1.1"},
         {"......",
          "..1...",
          "...1.1"}},
        {"e = 5: nine empty columns between the boxes merge", 5, two_squares(19, '1', '2'),
         two_squares(19, '1', '1')},
        {"e = 5: ten empty columns stay apart", 5, two_squares(20, '1', '2'),
         two_squares(20, '1', '2')},
        // Top-left masses grown by 5 reach row 0 and column 0, not past them.
        {"growing stops at row 0 and column 0", 5,
         {"11......22",
          "11......22",
          ".........."},
         {"11......11",
          "11......11",
          ".........."}},
        {"a chain A-B-C is one group though A and C are not related", 1,
         {"11.22.33..",
          "11.22.33..",
          ".........."},
         {"11.11.11..",
          "11.11.11..",
          ".........."}},
        {"groups are numbered by their smallest label", 1,
         {"11......22",
          "...33.....",
          ".........."},
         {"11......22",
          "...11.....",
          ".........."}},
        // Only labels 1 ... n, the run present from 1, take part; 4 is left as it was.
        {"a missing label ends the run", 1,
         {"1.2.....4.",
          ".........."},
         {"1.1.....4.",
          ".........."}},
    };
    for (const MergeCase &test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(merge(test.raw, test.e), test.merged);
    }
}

// A tall box and a wide box that cross like a plus sign: no corner of either lies in the other.
TEST(MassMerging, CrossedBoxesStayApart)
{
    const uint32_t rows = 101, columns = 201;
    std::fill(plane, plane + rows * columns, 0);
    plane[0 * columns + 50] = 1;
    plane[100 * columns + 60] = 1; // tall: rows 0-100, columns 50-60
    plane[40 * columns + 0] = 2;
    plane[50 * columns + 200] = 2; // wide: rows 40-50, columns 0-200
    Accorpamento_Delle_Masse_Intruse(plane, rows, columns, 0);
    EXPECT_EQ(plane[0 * columns + 50], 1);
    EXPECT_EQ(plane[100 * columns + 60], 1);
    EXPECT_EQ(plane[40 * columns + 0], 2);
    EXPECT_EQ(plane[50 * columns + 200], 2);
}

// 255 single pixels two columns apart: labels up to 254 merge, 255 never does and ends as 0.
TEST(MassMerging, Label255IsDropped)
{
    for (uint32_t e : {0u, 1u}) {
        SCOPED_TRACE("distance " + std::to_string(e));
        const uint32_t columns = 2 * 255 + 1;
        std::fill(plane, plane + columns, 0);
        for (uint32_t k = 1; k <= 255; ++k)
            plane[2 * k - 1] = uint8_t(k);
        Accorpamento_Delle_Masse_Intruse(plane, 1, columns, e);
        for (uint32_t k = 1; k <= 254; ++k)
            ASSERT_EQ(plane[2 * k - 1], e == 0 ? k : 1) << "label " << k;
        EXPECT_EQ(plane[2 * 255 - 1], 0);
    }
}

// A distance so large that growing would wrap around still clamps to the frame.
TEST(MassMerging, HugeDistanceMergesEverything)
{
    EXPECT_EQ(merge({"1....2", "......", "3....4"}, 0xFFFFFFFFu),
              Picture({"1....1", "......", "1....1"}));
}

TEST(MassMerging, EmptyPlaneIsLeftAlone)
{
    EXPECT_EQ(merge({"....", "...."}, 10), Picture({"....", "...."}));
    Accorpamento_Delle_Masse_Intruse(plane, 0, 0, 10); // nothing to do, nothing read
}

} // namespace
