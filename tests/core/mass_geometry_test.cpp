// Geometric data and the size and density filter: measured boxes, extents and barycentres,
// truncating density, inclusive limits, the three rejection codes and the mass count.
#include "frame_buffer.h"
#include "mass_geometry.h"
#include "mass_labelling.h"
#include "parameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Picture = std::vector<std::string>;

// Digits are labels, '.' is no mass.
void load_labels(const Picture &picture)
{
    altezza = uint32_t(picture.size());
    larghezza = uint32_t(picture.at(0).size());
    for (uint32_t r = 0; r < altezza; ++r)
        for (uint32_t c = 0; c < larghezza; ++c)
            matrice_grayscale_delle_masse_intruse_8bpp[r * larghezza + c] =
                picture[r][c] == '.' ? 0 : uint8_t(picture[r][c] - '0');
}

// Wide limits: every mass accepted unless a test narrows them.
void accept_everything()
{
    altezza_minima_degli_oggetti_intrusi = 1;
    altezza_massima_degli_oggetti_intrusi = 1554;
    larghezza_minima_degli_oggetti_intrusi = 1;
    larghezza_massima_degli_oggetti_intrusi = 1554;
    densita_minima_degli_oggetti_intrusi = 1;
}

TEST(MassGeometry, MeasuresEachMass)
{
    accept_everything();
    Picture picture(12, std::string(12, '.'));
    picture[7][9] = '1';    // a single pixel
    picture[0][5] = '2';    // two pixels, rows 0 and 3 of column 5
    picture[3][5] = '2';
    load_labels(picture);
    Elaborazione_Dei_Dati_Geometrici();

    ASSERT_EQ(enumerazione_delle_masse_intruse_corrente, 2);
    EXPECT_EQ(estensione_della_massa_intrusa_corrente[1], 1u);
    EXPECT_EQ(riga_minima_della_massa_intrusa_corrente[1], 7u);
    EXPECT_EQ(riga_massima_della_massa_intrusa_corrente[1], 7u);
    EXPECT_EQ(colonna_minima_della_massa_intrusa_corrente[1], 9u);
    EXPECT_EQ(colonna_massima_della_massa_intrusa_corrente[1], 9u);
    EXPECT_EQ(riga_del_baricentro_della_massa_intrusa_corrente[1], 7.0);
    EXPECT_EQ(colonna_del_baricentro_della_massa_intrusa_corrente[1], 9.0);

    EXPECT_EQ(estensione_della_massa_intrusa_corrente[2], 2u);
    EXPECT_EQ(riga_minima_della_massa_intrusa_corrente[2], 0u);
    EXPECT_EQ(riga_massima_della_massa_intrusa_corrente[2], 3u);
    EXPECT_EQ(riga_del_baricentro_della_massa_intrusa_corrente[2], 1.5);
    EXPECT_EQ(colonna_del_baricentro_della_massa_intrusa_corrente[2], 5.0);

    // Density 2 * 100 / 4 = 50: accepted at a minimum of 50, rejected at 51.
    densita_minima_degli_oggetti_intrusi = 50;
    Elaborazione_Dei_Dati_Geometrici();
    EXPECT_EQ(tracciamento_della_massa_intrusa_corrente[2], 1u);
    densita_minima_degli_oggetti_intrusi = 51;
    Elaborazione_Dei_Dati_Geometrici();
    EXPECT_EQ(tracciamento_della_massa_intrusa_corrente[2], rejected_density);
}

// Density is truncated: 20 pixels in a 3 x 7 box give 2000 / 21 = 95, not 95.2 or 96.
TEST(MassGeometry, DensityTruncates)
{
    accept_everything();
    load_labels({"1111111",
                 "111111.",
                 "1111111"});
    for (const auto &[minimum, expected] : {std::pair{95u, 1u}, std::pair{96u, rejected_density}}) {
        densita_minima_degli_oggetti_intrusi = minimum;
        Elaborazione_Dei_Dati_Geometrici();
        EXPECT_EQ(tracciamento_della_massa_intrusa_corrente[1], expected) << "minimum " << minimum;
    }
}

// A 10 x 10 box half covered (density 50), judged against limits around its size.
TEST(MassGeometry, LimitsAreInclusiveAndCodesTellTheReason)
{
    Picture picture(10, std::string(10, '.'));
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c)
            if ((r + c) % 2 == 0)
                picture[r][c] = '1'; // a checkerboard: 50 pixels, corners (0, 0) and (9, 9)
    struct Case {
        uint32_t min_height, max_height, min_width, max_width, min_density, expected;
    };
    const Case cases[] = {
        {10, 10, 10, 10, 50, 1},
        {1, 10, 10, 1554, 50, 1},
        {11, 20, 1, 1554, 50, rejected_size},            // one row short of the minimum
        {1, 9, 1, 1554, 50, rejected_size},              // one row over the maximum
        {1, 1554, 1, 9, 50, rejected_size},              // too wide
        {1, 1554, 1, 1554, 60, rejected_density},
        {11, 1554, 1, 1554, 60, rejected_size_and_density},
        {1, 1554, 11, 1554, 60, rejected_size_and_density},
    };
    load_labels(picture);
    for (const Case &c : cases) {
        altezza_minima_degli_oggetti_intrusi = c.min_height;
        altezza_massima_degli_oggetti_intrusi = c.max_height;
        larghezza_minima_degli_oggetti_intrusi = c.min_width;
        larghezza_massima_degli_oggetti_intrusi = c.max_width;
        densita_minima_degli_oggetti_intrusi = c.min_density;
        Elaborazione_Dei_Dati_Geometrici();
        ASSERT_EQ(estensione_della_massa_intrusa_corrente[1], 50u);
        EXPECT_EQ(tracciamento_della_massa_intrusa_corrente[1], c.expected)
            << "height " << c.min_height << "-" << c.max_height << ", width " << c.min_width
            << "-" << c.max_width << ", density " << c.min_density;
    }
}

TEST(MassGeometry, RejectedMassesAreCountedAndNothingLeaksFromAnEarlierFrame)
{
    accept_everything();
    larghezza_massima_degli_oggetti_intrusi = 3;
    altezza_massima_degli_oggetti_intrusi = 2;
    load_labels({"111.2222.3",
                 "111......3",
                 "........33"});
    Elaborazione_Dei_Dati_Geometrici();
    ASSERT_EQ(enumerazione_delle_masse_intruse_corrente, 3);
    EXPECT_EQ(tracciamento_della_massa_intrusa_corrente[1], 1u);
    EXPECT_EQ(tracciamento_della_massa_intrusa_corrente[2], rejected_size);
    EXPECT_EQ(tracciamento_della_massa_intrusa_corrente[3], rejected_size);

    // A smaller next frame: mass 1 is measured afresh, masses 2 and 3 are gone.
    load_labels({"..", ".1"});
    Elaborazione_Dei_Dati_Geometrici();
    ASSERT_EQ(enumerazione_delle_masse_intruse_corrente, 1);
    EXPECT_EQ(estensione_della_massa_intrusa_corrente[1], 1u);
    EXPECT_EQ(riga_minima_della_massa_intrusa_corrente[1], 1u);
    EXPECT_EQ(colonna_minima_della_massa_intrusa_corrente[1], 1u);
    EXPECT_EQ(riga_del_baricentro_della_massa_intrusa_corrente[1], 1.0);

    load_labels({"....", "...."});
    Elaborazione_Dei_Dati_Geometrici();
    EXPECT_EQ(enumerazione_delle_masse_intruse_corrente, 0);
}

// The count stops at the first label without pixels.
TEST(MassGeometry, CountStopsAtFirstEmptyLabel)
{
    accept_everything();
    load_labels({"1.2.4"});
    Elaborazione_Dei_Dati_Geometrici();
    EXPECT_EQ(enumerazione_delle_masse_intruse_corrente, 2);
}

// A full 1920 x 1200 mass: sums then one division give the exact centre.
TEST(MassGeometry, BarycentreOfAFullFrameIsExact)
{
    accept_everything();
    altezza = max_rows;
    larghezza = max_columns;
    std::memset(matrice_grayscale_delle_masse_intruse_8bpp, 1, plane_size);
    Elaborazione_Dei_Dati_Geometrici();
    EXPECT_EQ(estensione_della_massa_intrusa_corrente[1], plane_size);
    EXPECT_EQ(riga_del_baricentro_della_massa_intrusa_corrente[1], 599.5);
    EXPECT_EQ(colonna_del_baricentro_della_massa_intrusa_corrente[1], 959.5);
    EXPECT_EQ(tracciamento_della_massa_intrusa_corrente[1], rejected_size);
    std::memset(matrice_grayscale_delle_masse_intruse_8bpp, 0, plane_size);
}

// Random planes of labels 1 ... 12 in runs of every length, measured here pixel by pixel.
TEST(MassGeometry, AgreesWithPixelByPixelMeasurement)
{
    accept_everything();
    std::mt19937 random(7);
    for (int trial = 0; trial < 20; ++trial) {
        altezza = 1 + random() % 90;
        larghezza = 1 + random() % 130;
        const uint32_t n = altezza * larghezza;
        for (uint32_t p = 0; p < n;) {
            const uint8_t label = random() % 3 == 0 ? 0 : uint8_t(1 + random() % 12);
            for (uint32_t run = 1 + random() % 20; run > 0 && p < n; --run)
                matrice_grayscale_delle_masse_intruse_8bpp[p++] = label;
        }
        uint32_t extent[13] = {}, r1[13], r2[13] = {}, c1[13], c2[13] = {};
        double rows[13] = {}, columns[13] = {};
        std::fill(std::begin(r1), std::end(r1), altezza - 1);
        std::fill(std::begin(c1), std::end(c1), larghezza - 1);
        for (uint32_t p = 0; p < n; ++p) {
            const uint8_t l = matrice_grayscale_delle_masse_intruse_8bpp[p];
            const uint32_t r = p / larghezza, c = p % larghezza;
            ++extent[l];
            r1[l] = std::min(r1[l], r);
            r2[l] = std::max(r2[l], r);
            c1[l] = std::min(c1[l], c);
            c2[l] = std::max(c2[l], c);
            rows[l] += r;
            columns[l] += c;
        }
        Elaborazione_Dei_Dati_Geometrici();
        uint32_t count = 0;
        while (count < 12 && extent[count + 1] != 0)
            ++count;
        ASSERT_EQ(enumerazione_delle_masse_intruse_corrente, count) << "trial " << trial;
        for (uint32_t k = 1; k <= count; ++k) {
            SCOPED_TRACE("trial " + std::to_string(trial) + ", mass " + std::to_string(k));
            EXPECT_EQ(estensione_della_massa_intrusa_corrente[k], extent[k]);
            EXPECT_EQ(riga_minima_della_massa_intrusa_corrente[k], r1[k]);
            EXPECT_EQ(riga_massima_della_massa_intrusa_corrente[k], r2[k]);
            EXPECT_EQ(colonna_minima_della_massa_intrusa_corrente[k], c1[k]);
            EXPECT_EQ(colonna_massima_della_massa_intrusa_corrente[k], c2[k]);
            EXPECT_EQ(riga_del_baricentro_della_massa_intrusa_corrente[k], rows[k] / extent[k]);
            EXPECT_EQ(colonna_del_baricentro_della_massa_intrusa_corrente[k],
                      columns[k] / extent[k]);
        }
    }
}

} // namespace
