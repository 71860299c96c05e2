// Mass labelling: the windowed fill on drawn shapes, the one-byte label wrap, and labelling plus
// merging checked against a plain recursive fill and literal closure passes on random planes.
#include "frame_buffer.h"
#include "mass_labelling.h"
#include "parameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using Picture = std::vector<std::string>;

// '#' marks an intruding pixel.
void load_intruders(const Picture &picture)
{
    altezza = uint32_t(picture.size());
    larghezza = uint32_t(picture.at(0).size());
    for (uint32_t r = 0; r < altezza; ++r)
        for (uint32_t c = 0; c < larghezza; ++c)
            matrice_grayscale_dei_pixel_intrusi_8bpp[r * larghezza + c] =
                picture[r][c] == '#' ? 1 : 0;
}

Picture blank(uint32_t rows, uint32_t columns) { return Picture(rows, std::string(columns, '.')); }

// Labels as characters: '.' is no mass, then 1-9, then a, b, c, ...
char label_char(uint8_t label)
{
    static const char digits[] = ".123456789abcdefghijklmnopqrstuvwxyz";
    return label < sizeof digits - 1 ? digits[label] : '?';
}

Picture label_picture()
{
    Picture picture = blank(altezza, larghezza);
    for (uint32_t r = 0; r < altezza; ++r)
        for (uint32_t c = 0; c < larghezza; ++c)
            picture[r][c] = label_char(matrice_grayscale_delle_masse_intruse_8bpp[r * larghezza + c]);
    return picture;
}

// Distance 0 leaves raw masses whose boxes do not overlap apart, so these show the fill alone.
void label_unmerged(const Picture &intruders)
{
    load_intruders(intruders);
    distanza_di_clustering = 0;
    Elaborazione_Delle_Masse_Intruse();
}

struct ShapeCase {
    const char *name;
    Picture intruders;
    Picture labels;
    uint8_t last_label;
};

Picture repaint(Picture picture, char from, char to)
{
    for (auto &row : picture)
        for (auto &pixel : row)
            if (pixel == from)
                pixel = to;
    return picture;
}

std::vector<ShapeCase> shape_cases()
{
    std::vector<ShapeCase> cases;
    cases.push_back({"empty frame", blank(4, 5), blank(4, 5), 0});
    cases.push_back({"corner touches join, a gap parts",
                     {"#...#.#",
                      ".#.....",
                      "..#...."},
                     {"1...2.3",
                      ".1.....",
                      "..1...."},
                     3});
    cases.push_back({"leftward diagonal reaches column 0",
                     {".....#",
                      "....#.",
                      "...#..",
                      "..#...",
                      ".#....",
                      "#....."},
                     {".....1",
                      "....1.",
                      "...1..",
                      "..1...",
                      ".1....",
                      "1....."},
                     1});
    cases.push_back({"small U: right arm reached from below",
                     {"#...#",
                      "#...#",
                      "#####"},
                     {"1...1",
                      "1...1",
                      "11111"},
                     1});
    // Seed at column 50: the window stops at column 10, the rest is a mass of its own.
    {
        Picture in = blank(2, 60), out = blank(2, 60);
        in[0][50] = '#';
        out[0][50] = '1';
        for (int c = 0; c <= 50; ++c) {
            in[1][c] = '#';
            out[1][c] = c >= 10 ? '1' : '2';
        }
        cases.push_back({"window's left edge 40 columns from the seed", in, out, 2});
    }
    {
        Picture in = blank(3, 100), out = blank(3, 100);
        for (int c = 0; c < 100; ++c) {
            in[1][c] = '#';
            out[1][c] = c <= 40 ? '1' : c <= 81 ? '2' : '3';
        }
        cases.push_back({"100-pixel row splits 0-40, 41-81, 82-99", in, out, 3});
    }
    {
        Picture in = blank(62, 3), out = blank(62, 3);
        for (int r = 1; r <= 60; ++r) {
            in[r][1] = '#';
            out[r][1] = r <= 41 ? '1' : '2';
        }
        cases.push_back({"60-pixel bar: top 41 rows, then a second mass", in, out, 2});
    }
    {
        Picture in = blank(20, 20);
        for (int r = 0; r < 20; ++r)
            for (int c = 0; c < 20; ++c)
                if (c < 3 || c >= 17 || r >= 17)
                    in[r][c] = '#';
        cases.push_back({"20 x 20 U from the corner is one mass", in, repaint(in, '#', '1'), 1});
    }
    return cases;
}

TEST(MassLabelling, ShapesGetTheirLabels)
{
    for (const ShapeCase &shape : shape_cases()) {
        SCOPED_TRACE(shape.name);
        label_unmerged(shape.intruders);
        EXPECT_EQ(label_picture(), shape.labels);
        EXPECT_EQ(etichetta_della_massa_intrusa, shape.last_label);
        for (uint32_t p = 0; p < altezza * larghezza; ++p)
            ASSERT_EQ(matrice_grayscale_dei_pixel_intrusi_8bpp[p], 0) << "pixel " << p;
    }
}

TEST(MassLabelling, BytesBeyondTheFrameAreNeitherReadNorWritten)
{
    const uint32_t n = 6 * 7;
    std::memset(matrice_grayscale_dei_pixel_intrusi_8bpp + n, 1, 100);
    std::memset(matrice_grayscale_delle_masse_intruse_8bpp + n, 77, 100);
    label_unmerged(blank(6, 7));
    EXPECT_EQ(etichetta_della_massa_intrusa, 0);
    for (uint32_t p = n; p < n + 100; ++p) {
        ASSERT_EQ(matrice_grayscale_dei_pixel_intrusi_8bpp[p], 1);
        ASSERT_EQ(matrice_grayscale_delle_masse_intruse_8bpp[p], 77);
    }
    std::memset(matrice_grayscale_dei_pixel_intrusi_8bpp + n, 0, 100);
}

// 300 isolated pixels, one per row. The first 255 step right two columns a row; the 257th on
// sit just left of the pixel whose label they share, so no two labels' boxes share a column
// and distance 0 leaves every raw label as it is.
TEST(MassLabelling, LabelByteWrapsAfter255Seeds)
{
    Picture in = blank(301, 602);
    for (uint32_t i = 1; i <= 300; ++i) {
        const uint32_t column = i <= 255 ? 2 * i : i == 256 ? 600 : 2 * (i - 256) - 1;
        in[i][column] = '#';
    }
    label_unmerged(in);
    EXPECT_EQ(etichetta_della_massa_intrusa, 300 % 256);
    for (uint32_t i = 1; i <= 300; ++i) {
        const uint32_t column = i <= 255 ? 2 * i : i == 256 ? 600 : 2 * (i - 256) - 1;
        // Seed 255 keeps raw label 255, which the merge drops; seed 256 got label 0.
        const uint32_t expected = i <= 254 ? i : i <= 256 ? 0 : i - 256;
        EXPECT_EQ(matrice_grayscale_delle_masse_intruse_8bpp[i * larghezza + column], expected)
            << "seed " << i;
    }
}

// Labelling and merging written the plain way: a recursive fill trying the neighbours in
// order, the relation matrix closed by literal passes, and the numbering by representatives.
class PlainReference {
public:
    PlainReference(uint32_t rows, uint32_t columns, const std::vector<uint8_t> &intruders)
        : rows(rows), columns(columns), in(intruders), out(rows * columns, 0)
    {
    }

    std::vector<uint8_t> run(uint32_t e)
    {
        label = 0;
        for (uint32_t p = 0; p < rows * columns; ++p) {
            if (in[p] == 0)
                continue;
            const uint32_t r0 = p / columns, c0 = p % columns;
            top = r0 >= 40 ? r0 - 40 : 0;
            bottom = std::min(r0 + 40, rows - 1);
            left = c0 >= 40 ? c0 - 40 : 0;
            right = std::min(c0 + 40, columns - 1);
            ++label;
            fill(r0, c0);
        }
        merge(e);
        return out;
    }

private:
    void fill(uint32_t r, uint32_t c)
    {
        in[r * columns + c] = 0;
        out[r * columns + c] = label;
        auto visit = [&](bool allowed, uint32_t nr, uint32_t nc) {
            if (allowed && in[nr * columns + nc] != 0)
                fill(nr, nc);
        };
        visit(r > top, r - 1, c);
        visit(r > top && c < right, r - 1, c + 1);
        visit(c < right, r, c + 1);
        visit(r < bottom && c < right, r + 1, c + 1);
        visit(r < bottom, r + 1, c);
        visit(r < bottom && c > left, r + 1, c - 1);
        visit(c > left, r, c - 1);
        visit(r > top && c > left, r - 1, c - 1);
    }

    void merge(uint32_t e)
    {
        bool present[256] = {};
        uint32_t r1[256], r2[256], c1[256], c2[256];
        for (int k = 1; k <= 254; ++k) {
            r1[k] = rows - 1;
            r2[k] = 0;
            c1[k] = columns - 1;
            c2[k] = 0;
        }
        for (uint32_t p = 0; p < rows * columns; ++p) {
            const uint8_t l = out[p];
            if (l == 0 || l == 255)
                continue;
            const uint32_t r = p / columns, c = p % columns;
            present[l] = true;
            r1[l] = std::min(r1[l], r);
            r2[l] = std::max(r2[l], r);
            c1[l] = std::min(c1[l], c);
            c2[l] = std::max(c2[l], c);
        }
        uint32_t n = 0;
        while (n < 254 && present[n + 1])
            ++n;
        for (uint32_t k = 1; k <= n; ++k) {
            r1[k] = r1[k] >= e ? r1[k] - e : 0;
            c1[k] = c1[k] >= e ? c1[k] - e : 0;
            r2[k] = std::min(r2[k] + e, rows - 1);
            c2[k] = std::min(c2[k] + e, columns - 1);
        }
        auto in_box = [&](uint32_t k, uint32_t r, uint32_t c) {
            return r1[k] <= r && r <= r2[k] && c1[k] <= c && c <= c2[k];
        };
        std::vector<std::vector<bool>> flag(n + 1, std::vector<bool>(n + 1, false));
        for (uint32_t i = 1; i <= n; ++i)
            for (uint32_t j = 1; j <= n; ++j)
                flag[i][j] = in_box(j, r1[i], c1[i]) || in_box(j, r1[i], c2[i]) ||
                             in_box(j, r2[i], c1[i]) || in_box(j, r2[i], c2[i]) ||
                             in_box(i, r1[j], c1[j]) || in_box(i, r1[j], c2[j]) ||
                             in_box(i, r2[j], c1[j]) || in_box(i, r2[j], c2[j]);
        const int passes = n <= 1 ? 0 : int(std::ceil(std::log10(double(n)) / std::log10(2.0)));
        for (int pass = 0; pass < passes; ++pass)
            for (uint32_t i = 1; i <= n; ++i)
                for (uint32_t j = 1; j <= n; ++j)
                    for (uint32_t k = 1; k <= n && !flag[i][j]; ++k)
                        if (flag[i][k] && flag[k][j])
                            flag[i][j] = true;
        uint32_t representative[256] = {};
        for (uint32_t j = 1; j <= n; ++j)
            for (uint32_t i = 1; i <= n; ++i)
                if (flag[i][j]) {
                    representative[j] = i;
                    break;
                }
        uint8_t new_label[256];
        bool renumbered[256] = {};
        uint8_t next = 1;
        for (uint32_t v = 1; v <= n; ++v) {
            bool used = false;
            for (uint32_t x = 1; x <= n; ++x)
                if (!renumbered[x] && representative[x] == v) {
                    new_label[x] = next;
                    renumbered[x] = true;
                    used = true;
                }
            if (used)
                ++next;
        }
        for (uint8_t &l : out)
            if (l >= 1 && l <= n)
                l = new_label[l];
            else if (l == 255)
                l = 0; // the decision for the label the merge leaves out
    }

    uint32_t rows, columns;
    std::vector<uint8_t> in, out;
    uint8_t label = 0;
    uint32_t top = 0, bottom = 0, left = 0, right = 0;
};

// Random sparse and dense planes, blobs and noise, with distances from the operator's ladder.
TEST(MassLabelling, LabellingAndMergingAgreeWithPlainReference)
{
    static const uint32_t ladder[] = {1,   5,   10,  15,  20,  30,  40,  50,  60,
                                      70,  84,  101, 121, 146, 175, 210, 251, 301,
                                      362, 434, 521, 625, 749, 899, 1079, 1295, 1554};
    struct Shape {
        uint32_t rows, columns;
        double noise;  // chance of a scattered pixel
        int blobs;     // filled ellipses
    };
    static const Shape shapes[] = {
        {60, 90, 0.01, 0},   {120, 200, 0.004, 0}, {150, 170, 0.45, 0}, {240, 320, 0.002, 6},
        {300, 400, 0.004, 0}, {200, 400, 0.0005, 12}, {1, 700, 0.3, 0},  {500, 3, 0.3, 0},
        {90, 300, 0.7, 0},   {100, 100, 0.03, 0},
    };
    std::mt19937 random(20261211);
    for (int trial = 0; trial < 60; ++trial) {
        const Shape &shape = shapes[trial % std::size(shapes)];
        // Small distances keep many groups apart; the whole ladder shows up now and then.
        const uint32_t e = trial % 4 == 3 ? ladder[random() % std::size(ladder)]
                                          : ladder[random() % 3];
        std::bernoulli_distribution noise(shape.noise);
        std::vector<uint8_t> plane(shape.rows * shape.columns);
        for (auto &pixel : plane)
            pixel = noise(random) ? 1 : 0;
        for (int b = 0; b < shape.blobs; ++b) {
            const double cr = random() % shape.rows, cc = random() % shape.columns;
            const double hr = 5 + random() % 40, hc = 3 + random() % 25;
            for (uint32_t r = 0; r < shape.rows; ++r)
                for (uint32_t c = 0; c < shape.columns; ++c) {
                    const double dr = (r - cr) / hr, dc = (c - cc) / hc;
                    if (dr * dr + dc * dc <= 1.0 && random() % 10 != 0)
                        plane[r * shape.columns + c] = 1;
                }
        }
        SCOPED_TRACE("trial " + std::to_string(trial) + ", distance " + std::to_string(e));

        const std::vector<uint8_t> expected =
            PlainReference(shape.rows, shape.columns, plane).run(e);
        altezza = shape.rows;
        larghezza = shape.columns;
        std::memcpy(matrice_grayscale_dei_pixel_intrusi_8bpp, plane.data(), plane.size());
        std::memset(matrice_grayscale_delle_masse_intruse_8bpp, 0xAB, plane.size());
        distanza_di_clustering = e;
        Elaborazione_Delle_Masse_Intruse();
        const std::vector<uint8_t> got(matrice_grayscale_delle_masse_intruse_8bpp,
                                       matrice_grayscale_delle_masse_intruse_8bpp + plane.size());
        ASSERT_EQ(got, expected);
    }
}

} // namespace
