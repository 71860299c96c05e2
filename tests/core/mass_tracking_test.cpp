// Kinematic tracking and the archive copy: inclusive tolerances, many-to-many linking, rejected
// masses on either side, and the count that stops at 999999.
#include "frame_buffer.h"
#include "mass_geometry.h"
#include "mass_labelling.h"
#include "mass_tracking.h"
#include "parameters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Mass {
    double row, column;
    uint32_t tracking;
};

void set_current(const std::vector<Mass> &masses)
{
    enumerazione_delle_masse_intruse_corrente = uint8_t(masses.size());
    for (size_t k = 0; k < masses.size(); ++k) {
        riga_del_baricentro_della_massa_intrusa_corrente[k + 1] = masses[k].row;
        colonna_del_baricentro_della_massa_intrusa_corrente[k + 1] = masses[k].column;
        tracciamento_della_massa_intrusa_corrente[k + 1] = masses[k].tracking;
    }
}

void set_archive(const std::vector<Mass> &masses)
{
    enumerazione_delle_masse_intruse_archivio = uint8_t(masses.size());
    for (size_t k = 0; k < masses.size(); ++k) {
        riga_del_baricentro_della_massa_intrusa_archivio[k + 1] = masses[k].row;
        colonna_del_baricentro_della_massa_intrusa_archivio[k + 1] = masses[k].column;
        tracciamento_della_massa_intrusa_archivio[k + 1] = masses[k].tracking;
    }
}

std::vector<uint32_t> tracked()
{
    Elaborazione_Dei_Dati_Cinematici();
    return {tracciamento_della_massa_intrusa_corrente + 1,
            tracciamento_della_massa_intrusa_corrente + 1 +
                enumerazione_delle_masse_intruse_corrente};
}

struct TrackCase {
    const char *name;
    uint32_t vertical, horizontal;
    std::vector<Mass> archive, current;
    std::vector<uint32_t> expected;
};

TEST(MassTracking, Cases)
{
    const TrackCase cases[] = {
        {"empty archive: accepted masses start at 1, rejected keep their code", 30, 30, {},
         {{10, 10, 1}, {50, 50, rejected_size}, {90, 90, rejected_density}},
         {1, rejected_size, rejected_density}},
        {"moved 3.5 rows and 12 columns, tolerance 5 x 10", 5, 10, {{100, 100, 4}},
         {{103.5, 112, 1}}, {1}},
        {"moved 3.5 rows and 12 columns, tolerance 5 x 15", 5, 15, {{100, 100, 4}},
         {{96.5, 88, 1}}, {5}},
        {"a move equal to both tolerances is compatible", 10, 20, {{50, 60, 2}},
         {{60, 40, 1}}, {3}},
        {"the largest compatible count wins, 3 first", 30, 30, {{10, 10, 3}, {12, 12, 7}},
         {{11, 11, 1}}, {8}},
        {"the largest compatible count wins, 7 first", 30, 30, {{12, 12, 7}, {10, 10, 3}},
         {{11, 11, 1}}, {8}},
        {"one archived mass continues in two current masses", 30, 30, {{40, 40, 5}},
         {{30, 35, 1}, {50, 45, 1}}, {6, 6}},
        {"a rejected archived mass is never a source", 30, 30,
         {{40, 40, rejected_size}, {40, 40, rejected_density},
          {40, 40, rejected_size_and_density}},
         {{40, 40, 1}}, {1}},
        {"a rejected current mass keeps its code", 30, 30, {{40, 40, 5}},
         {{40, 40, rejected_size_and_density}}, {rejected_size_and_density}},
        {"a count at the limit stays there", 30, 30, {{40, 40, 999999}, {80, 80, 999998}},
         {{40, 40, 1}, {80, 80, 1}}, {999999, 999999}},
    };
    for (const TrackCase &test : cases) {
        SCOPED_TRACE(test.name);
        spostamento_verticale_compatibile = test.vertical;
        spostamento_orizzontale_compatibile = test.horizontal;
        set_archive(test.archive);
        set_current(test.current);
        EXPECT_EQ(tracked(), test.expected);
    }
}

TEST(MassTracking, ArchiveCopiesEveryFieldOfMasses1ToCount)
{
    for (uint32_t k = 0; k < mass_table_size; ++k) {
        estensione_della_massa_intrusa_corrente[k] = 1000 + k;
        riga_minima_della_massa_intrusa_corrente[k] = 2000 + k;
        riga_massima_della_massa_intrusa_corrente[k] = 3000 + k;
        colonna_minima_della_massa_intrusa_corrente[k] = 4000 + k;
        colonna_massima_della_massa_intrusa_corrente[k] = 5000 + k;
        riga_del_baricentro_della_massa_intrusa_corrente[k] = 6000.25 + k;
        colonna_del_baricentro_della_massa_intrusa_corrente[k] = 7000.75 + k;
        tracciamento_della_massa_intrusa_corrente[k] = 8000 + k;
        tracciamento_della_massa_intrusa_archivio[k] = 0;
    }
    enumerazione_delle_masse_intruse_corrente = 254;
    Archiviazione_Dei_Dati_Cinematici();
    EXPECT_EQ(enumerazione_delle_masse_intruse_archivio, 254);
    for (uint32_t k = 1; k <= 254; ++k) {
        ASSERT_EQ(estensione_della_massa_intrusa_archivio[k], 1000 + k);
        ASSERT_EQ(riga_minima_della_massa_intrusa_archivio[k], 2000 + k);
        ASSERT_EQ(riga_massima_della_massa_intrusa_archivio[k], 3000 + k);
        ASSERT_EQ(colonna_minima_della_massa_intrusa_archivio[k], 4000 + k);
        ASSERT_EQ(colonna_massima_della_massa_intrusa_archivio[k], 5000 + k);
        ASSERT_EQ(riga_del_baricentro_della_massa_intrusa_archivio[k], 6000.25 + k);
        ASSERT_EQ(colonna_del_baricentro_della_massa_intrusa_archivio[k], 7000.75 + k);
        ASSERT_EQ(tracciamento_della_massa_intrusa_archivio[k], 8000 + k);
    }
    EXPECT_EQ(tracciamento_della_massa_intrusa_archivio[0], 0u);
    EXPECT_EQ(tracciamento_della_massa_intrusa_archivio[255], 0u);
}

// Three frames of one mass drifting within the tolerances, then a frame where it is missing.
TEST(MassTracking, CountGrowsFrameByFrameAndRestartsAfterAGap)
{
    spostamento_verticale_compatibile = 10;
    spostamento_orizzontale_compatibile = 10;
    enumerazione_delle_masse_intruse_archivio = 0; // as arming leaves it
    const std::vector<std::vector<Mass>> frames = {
        {{100, 100, 1}}, {{105, 108, 1}}, {{110, 116, 1}}, {}, {{112, 118, 1}}};
    const std::vector<std::vector<uint32_t>> expected = {{1}, {2}, {3}, {}, {1}};
    for (size_t f = 0; f < frames.size(); ++f) {
        set_current(frames[f]);
        EXPECT_EQ(tracked(), expected[f]) << "frame " << f;
        Archiviazione_Dei_Dati_Cinematici();
    }
}

// The stages in frame order on a 20 x 20 square that moves a few pixels a frame, beside a
// single noise pixel that the size filter rejects every time.
TEST(MassTracking, StagesInFrameOrderFollowAMovingSquare)
{
    for (const ParameterSlot &slot : parameter_slots)
        *slot.value = slot.default_value;
    altezza = 60;
    larghezza = 80;
    enumerazione_delle_masse_intruse_archivio = 0;
    const uint32_t offsets[] = {10, 14, 18, 22};
    for (uint32_t frame = 0; frame < 4; ++frame) {
        std::memset(matrice_grayscale_dei_pixel_intrusi_8bpp, 0, altezza * larghezza);
        const uint32_t o = offsets[frame];
        for (uint32_t r = o; r < o + 20; ++r)
            for (uint32_t c = o; c < o + 20; ++c)
                matrice_grayscale_dei_pixel_intrusi_8bpp[r * larghezza + c] = 1;
        matrice_grayscale_dei_pixel_intrusi_8bpp[55 * larghezza + 75] = 1;
        Elaborazione_Delle_Masse_Intruse();
        Elaborazione_Dei_Dati_Geometrici();
        Elaborazione_Dei_Dati_Cinematici();
        Archiviazione_Dei_Dati_Cinematici();
        ASSERT_EQ(enumerazione_delle_masse_intruse_corrente, 2) << "frame " << frame;
        EXPECT_EQ(riga_del_baricentro_della_massa_intrusa_corrente[1], o + 9.5);
        EXPECT_EQ(tracciamento_della_massa_intrusa_corrente[1], frame + 1);
        EXPECT_EQ(tracciamento_della_massa_intrusa_corrente[2], rejected_size);
    }
}

} // namespace
