// Background: adaptation steps against the double formula, replacement timing with and without
// masses, the rectangle copy's bounds, and modes no list offers.
#include "background.h"
#include "frame_buffer.h"
#include "mass_labelling.h"
#include "parameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace {

uint8_t *const background_planes[3] = {matrice_red_dello_sfondo_8bpp,
                                       matrice_green_dello_sfondo_8bpp,
                                       matrice_blue_dello_sfondo_8bpp};
uint8_t *const filtered_planes[3] = {matrice_red_filtrata_8bpp, matrice_green_filtrata_8bpp,
                                     matrice_blue_filtrata_8bpp};

class Background : public ::testing::Test {
protected:
    void SetUp() override
    {
        altezza = 5;
        larghezza = 13; // more pixels than one vector holds, fewer than two
        frames_per_secondo = 1;
        enumerazione_delle_masse_intruse_corrente = 0;
        numero_di_frames_attualmente_elaborati = 0;
        for (int k = 0; k < 3; ++k) {
            std::memset(background_planes[k], 0, plane_size);
            std::memset(filtered_planes[k], 0, plane_size);
        }
    }
    static uint32_t n() { return altezza * larghezza; }
    static void fill(uint8_t *const planes[3], uint8_t value)
    {
        for (int k = 0; k < 3; ++k)
            std::memset(planes[k], value, n());
    }
    // True when all three background planes hold `value` over the frame.
    static bool background_is(uint8_t value)
    {
        for (int k = 0; k < 3; ++k)
            for (uint32_t p = 0; p < n(); ++p)
                if (background_planes[k][p] != value)
                    return false;
        return true;
    }
};

TEST_F(Background, AdaptationSteps)
{
    struct Case {
        uint32_t mode;
        uint8_t background, current, expected;
    };
    const std::vector<Case> cases = {
        {11, 100, 200, 101}, {11, 100, 101, 101}, {11, 200, 100, 199}, {11, 100, 255, 102},
        {15, 100, 200, 112}, {15, 0, 255, 31},    {15, 255, 0, 224},   {16, 0, 10, 3},
        {17, 0, 255, 128},   {17, 255, 0, 127},   {18, 3, 250, 250},   {18, 250, 3, 3},
        {12, 77, 77, 77},    {14, 0, 0, 0},       {13, 255, 255, 255},
    };
    for (const Case &c : cases) {
        sostituzione_oppure_aggiornamento_dello_sfondo = c.mode;
        fill(background_planes, c.background);
        fill(filtered_planes, c.current);
        numero_di_frames_attualmente_elaborati = 41;
        Sostituzione_Oppure_Aggiornamento_Dello_Sfondo();
        EXPECT_TRUE(background_is(c.expected))
            << "mode " << c.mode << ": " << int(c.background) << " toward " << int(c.current)
            << " gives " << int(matrice_red_dello_sfondo_8bpp[0]) << ", want " << int(c.expected);
        EXPECT_EQ(numero_di_frames_attualmente_elaborati, 41u) << "adaptation leaves the counter";
    }
}

// Every pair of bytes, for whole and fractional percentages, against the double formula.
TEST_F(Background, AdaptationEqualsCeilingFormulaForEveryPair)
{
    altezza = 256;
    larghezza = 256;
    std::vector<uint8_t> bg(n()), cur(n());
    for (uint32_t p = 0; p < n(); ++p) {
        bg[p] = uint8_t(p >> 8);
        cur[p] = uint8_t(p);
    }
    std::vector<double> percents;
    for (int p = 0; p <= 100; ++p)
        percents.push_back(p);
    for (double p : {0.5, 12.5, 33.3, 99.99})
        percents.push_back(p);
    for (double percent : percents) {
        for (int k = 0; k < 3; ++k) {
            std::memcpy(background_planes[k], bg.data(), n());
            std::memcpy(filtered_planes[k], k == 1 ? bg.data() : cur.data(), n());
        }
        Adeguamento_Dello_Sfondo(background_planes[0], background_planes[1], background_planes[2],
                                 filtered_planes[0], filtered_planes[1], filtered_planes[2],
                                 altezza, larghezza, percent);
        int wrong = 0;
        for (uint32_t p = 0; p < n(); ++p) {
            const uint8_t b = bg[p], c = cur[p];
            const uint32_t d = b >= c ? b - c : c - b;
            const auto step = uint32_t(std::ceil(double(d) * percent / 100.0));
            const uint8_t want = uint8_t(b >= c ? b - step : b + step);
            wrong += matrice_red_dello_sfondo_8bpp[p] != want;
            wrong += matrice_blue_dello_sfondo_8bpp[p] != want;
            wrong += matrice_green_dello_sfondo_8bpp[p] != b; // current equal to background
        }
        EXPECT_EQ(wrong, 0) << "P = " << percent;
    }
}

TEST_F(Background, PercentagesOutsideTheRangeNeverOvershoot)
{
    struct Case {
        double percent;
        uint8_t expected; // for background 0 against current 255
    };
    const std::vector<Case> cases = {{150.0, 255},
                                     {1e300, 255},
                                     {std::numeric_limits<double>::infinity(), 255},
                                     {-5.0, 0},
                                     {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const Case &c : cases) {
        fill(background_planes, 0);
        fill(filtered_planes, 255);
        Adeguamento_Dello_Sfondo(background_planes[0], background_planes[1], background_planes[2],
                                 filtered_planes[0], filtered_planes[1], filtered_planes[2],
                                 altezza, larghezza, c.percent);
        EXPECT_TRUE(background_is(c.expected)) << "P = " << c.percent;
    }
}

TEST_F(Background, ModeEighteenCopiesTheFrame)
{
    sostituzione_oppure_aggiornamento_dello_sfondo = 18;
    for (int k = 0; k < 3; ++k)
        for (uint32_t p = 0; p < n(); ++p) {
            background_planes[k][p] = uint8_t(p * 37 + k);
            filtered_planes[k][p] = uint8_t(p * 101 + 7 * k);
        }
    Sostituzione_Oppure_Aggiornamento_Dello_Sfondo();
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(std::memcmp(background_planes[k], filtered_planes[k], n()), 0) << "plane " << k;
}

// Armed frames 1, 2, ... with the filtered frame holding its own number: the frames on which
// the background takes that number are the replacements.
std::set<uint32_t> replacement_frames(uint32_t frames, const std::set<uint32_t> &with_masses)
{
    std::set<uint32_t> replaced;
    for (uint32_t frame = 1; frame <= frames; ++frame) {
        ++numero_di_frames_attualmente_elaborati; // as the armed sequence does first
        enumerazione_delle_masse_intruse_corrente = with_masses.count(frame) ? 3 : 0;
        for (int k = 0; k < 3; ++k)
            std::memset(filtered_planes[k], int(frame), altezza * larghezza);
        Sostituzione_Oppure_Aggiornamento_Dello_Sfondo();
        if (matrice_blue_dello_sfondo_8bpp[altezza * larghezza - 1] == frame)
            replaced.insert(frame);
    }
    return replaced;
}

TEST_F(Background, ReplacementTiming)
{
    struct Case {
        std::string name;
        uint32_t mode, fps;
        std::set<uint32_t> masses, expected;
    };
    std::set<uint32_t> every_frame;
    for (uint32_t frame = 1; frame <= 30; ++frame)
        every_frame.insert(frame);
    const std::vector<Case> cases = {
        {"mode 10, no masses", 10, 1, {}, {7, 14, 21, 28}},
        {"masses on 7 to 13: the wait ends at twice the period", 10, 1,
         {7, 8, 9, 10, 11, 12, 13}, {14, 21, 28}},
        {"masses on 7 only", 10, 1, {7}, {8, 15, 22, 29}},
        {"masses on every frame", 10, 1, every_frame, {14, 28}},
        {"mode 9 at 2 frames a second", 9, 2, {}, {30}},
    };
    for (const Case &c : cases) {
        SetUp();
        sostituzione_oppure_aggiornamento_dello_sfondo = c.mode;
        frames_per_secondo = c.fps;
        EXPECT_EQ(replacement_frames(30, c.masses), c.expected) << c.name;
    }
}

TEST_F(Background, LongestPeriod)
{
    sostituzione_oppure_aggiornamento_dello_sfondo = 1;
    frames_per_secondo = 10; // 38,400 frames, 76,800 while masses persist
    struct Case {
        uint32_t counted;
        uint8_t masses;
        bool replaced;
    };
    const std::vector<Case> cases = {{38399, 0, false}, {38400, 0, true},  {38400, 1, false},
                                     {76799, 255, false}, {76800, 255, true}};
    for (const Case &c : cases) {
        fill(background_planes, 1);
        fill(filtered_planes, 2);
        numero_di_frames_attualmente_elaborati = c.counted;
        enumerazione_delle_masse_intruse_corrente = c.masses;
        Sostituzione_Oppure_Aggiornamento_Dello_Sfondo();
        EXPECT_EQ(background_is(2), c.replaced) << c.counted << " frames, " << int(c.masses);
        EXPECT_EQ(numero_di_frames_attualmente_elaborati, c.replaced ? 0u : c.counted);
    }
}

TEST_F(Background, UnknownModesChangeNothing)
{
    for (uint32_t mode : {0u, 19u, 100u, 0xFFFFFFFFu}) {
        sostituzione_oppure_aggiornamento_dello_sfondo = mode;
        fill(background_planes, 9);
        fill(filtered_planes, 200);
        numero_di_frames_attualmente_elaborati = 1000000;
        Sostituzione_Oppure_Aggiornamento_Dello_Sfondo();
        EXPECT_TRUE(background_is(9)) << "mode " << mode;
        EXPECT_EQ(numero_di_frames_attualmente_elaborati, 1000000u);
    }
}

TEST_F(Background, RectangleCopy)
{
    // 4 x 6 planes; '#' marks the bytes the rectangle must copy.
    struct Case {
        std::string name;
        uint32_t rows, columns, top, bottom, left, right;
        std::vector<std::string> copied;
    };
    const std::vector<Case> cases = {
        {"inner rectangle", 4, 6, 1, 2, 2, 4, {"......", "..###.", "..###.", "......"}},
        {"whole rows", 4, 6, 1, 3, 0, 5, {"......", "######", "######", "######"}},
        {"bounds past the plane are cut back", 4, 6, 2, 99, 4, 0xFFFFFFFF,
         {"......", "......", "....##", "....##"}},
        {"first row after the last", 4, 6, 3, 2, 0, 5, {"......", "......", "......", "......"}},
        {"first column after the last", 4, 6, 0, 3, 5, 4, {"......", "......", "......", "......"}},
        {"empty frame, last row 2^32 - 1", 0, 6, 0, 0xFFFFFFFF, 0, 5, {}},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> out[3], in[3];
        for (int k = 0; k < 3; ++k) {
            out[k].assign(64, 0);
            in[k].assign(64, uint8_t(10 + k));
        }
        Sostituzione_Del_Rettangolo_Di_Sfondo(out[0].data(), out[1].data(), out[2].data(),
                                              in[0].data(), in[1].data(), in[2].data(), c.rows,
                                              c.columns, c.top, c.bottom, c.left, c.right);
        for (int k = 0; k < 3; ++k)
            for (uint32_t p = 0; p < out[k].size(); ++p) {
                const uint32_t i = p / c.columns, j = p % c.columns;
                const bool want = i < c.copied.size() && c.copied[i][j] == '#';
                EXPECT_EQ(out[k][p], want ? 10 + k : 0) << c.name << " plane " << k << " at " << p;
            }
    }
}

} // namespace
