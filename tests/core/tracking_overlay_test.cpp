// Overlay of tracking data: colours by state, marker shape and orientation by tracking value,
// the fit rule, drawing order, and the outline, area and cross routines at their edges.
#include "mass_labelling.h"
#include "parameters.h"
#include "tracking_overlay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Picture = std::vector<std::string>;

// '.' untouched; R, Y, G for red, yellow, green as stored (byte 0 blue, byte 2 red).
char colour_char(const uint8_t *b)
{
    if (b[0] == 10 && b[1] == 0 && b[2] == 0)
        return '.';
    if (b[0] == 0 && b[1] == 0 && b[2] == 255)
        return 'R';
    if (b[0] == 0 && b[1] == 255 && b[2] == 255)
        return 'Y';
    if (b[0] == 0 && b[1] == 255 && b[2] == 0)
        return 'G';
    return '?';
}

// A frame whose pixels look like the insensitive area (bytes 10, 0, 0), with guard bytes after
// it that no routine may touch.
struct Frame {
    uint32_t rows, columns;
    std::vector<uint8_t> bytes;
    static constexpr size_t guard = 64;

    Frame(uint32_t rows, uint32_t columns)
        : rows(rows), columns(columns), bytes(size_t(rows) * columns * 3 + guard, 0xEE)
    {
        for (size_t p = 0; p < size_t(rows) * columns; ++p) {
            bytes[3 * p] = 10;
            bytes[3 * p + 1] = 0;
            bytes[3 * p + 2] = 0;
        }
    }
    uint8_t *data() { return bytes.data(); }

    Picture region(uint32_t r1, uint32_t r2, uint32_t c1, uint32_t c2) const
    {
        Picture picture;
        for (uint32_t r = r1; r <= r2; ++r) {
            std::string line;
            for (uint32_t c = c1; c <= c2; ++c)
                line += colour_char(&bytes[3 * (size_t(r) * columns + c)]);
            picture.push_back(line);
        }
        return picture;
    }
    Picture whole() const { return region(0, rows - 1, 0, columns - 1); }
    bool guard_intact() const
    {
        for (size_t i = bytes.size() - guard; i < bytes.size(); ++i)
            if (bytes[i] != 0xEE)
                return false;
        return true;
    }
};

struct Mass {
    uint32_t first_row, last_row, first_column, last_column;
    double row, column;
    uint32_t tracking;
};

void set_masses(const std::vector<Mass> &masses)
{
    enumerazione_delle_masse_intruse_corrente = uint8_t(masses.size());
    for (size_t i = 0; i < masses.size(); ++i) {
        const size_t k = i + 1;
        riga_minima_della_massa_intrusa_corrente[k] = masses[i].first_row;
        riga_massima_della_massa_intrusa_corrente[k] = masses[i].last_row;
        colonna_minima_della_massa_intrusa_corrente[k] = masses[i].first_column;
        colonna_massima_della_massa_intrusa_corrente[k] = masses[i].last_column;
        riga_del_baricentro_della_massa_intrusa_corrente[k] = masses[i].row;
        colonna_del_baricentro_della_massa_intrusa_corrente[k] = masses[i].column;
        tracciamento_della_massa_intrusa_corrente[k] = masses[i].tracking;
    }
}

Picture paint(Picture picture, char colour)
{
    for (auto &line : picture)
        for (auto &pixel : line)
            if (pixel == 'x')
                pixel = colour;
    return picture;
}

// The box rows 10-20, columns 30-40 with barycentre (15.7, 35.2), shown with a one-pixel margin.
struct MarkerCase {
    uint32_t tracking, validating;
    char colour;
    Picture drawing;
};

TEST(TrackingOverlay, ColourAndMarkerFollowTheTrackingValue)
{
    const Picture full_2 = {
        ".............",
        ".xxxxxxxxxxx.",
        ".x.........x.",
        ".x....xxxx.x.",
        ".x....xxxx.x.",
        ".x....xxxx.x.",
        ".x.xxxxxxx.x.",
        ".x.x..x....x.",
        ".x.x..x....x.",
        ".x.xxxx....x.",
        ".x.........x.",
        ".xxxxxxxxxxx.",
        "............."};
    const Picture full_0 = {
        ".............",
        ".xxxxxxxxxxx.",
        ".x.........x.",
        ".x....xxxx.x.",
        ".x....x..x.x.",
        ".x....x..x.x.",
        ".x.xxxxxxx.x.",
        ".x.xxxx....x.",
        ".x.xxxx....x.",
        ".x.xxxx....x.",
        ".x.........x.",
        ".xxxxxxxxxxx.",
        "............."};
    const Picture empty_1 = {
        ".............",
        ".xxxxxxxxxxx.",
        ".x.........x.",
        ".x.xxxx....x.",
        ".x.x..x....x.",
        ".x.x..x....x.",
        ".x.xxxxxxx.x.",
        ".x....x..x.x.",
        ".x....x..x.x.",
        ".x....xxxx.x.",
        ".x.........x.",
        ".xxxxxxxxxxx.",
        "............."};
    const Picture empty_0 = {
        ".............",
        ".xxxxxxxxxxx.",
        ".x.........x.",
        ".x....xxxx.x.",
        ".x....x..x.x.",
        ".x....x..x.x.",
        ".x.xxxxxxx.x.",
        ".x.x..x....x.",
        ".x.x..x....x.",
        ".x.xxxx....x.",
        ".x.........x.",
        ".xxxxxxxxxxx.",
        "............."};
    const Picture full_1 = {
        ".............",
        ".xxxxxxxxxxx.",
        ".x.........x.",
        ".x.xxxx....x.",
        ".x.xxxx....x.",
        ".x.xxxx....x.",
        ".x.xxxxxxx.x.",
        ".x....x..x.x.",
        ".x....x..x.x.",
        ".x....xxxx.x.",
        ".x.........x.",
        ".xxxxxxxxxxx.",
        "............."};
    const Picture full_3 = {
        ".............",
        ".xxxxxxxxxxx.",
        ".x.........x.",
        ".x.xxxx....x.",
        ".x.x..x....x.",
        ".x.x..x....x.",
        ".x.xxxxxxx.x.",
        ".x....xxxx.x.",
        ".x....xxxx.x.",
        ".x....xxxx.x.",
        ".x.........x.",
        ".xxxxxxxxxxx.",
        "............."};
    const MarkerCase cases[] = {
        {6, 5, 'R', full_2},
        {4, 5, 'Y', full_0},
        {5, 5, 'R', full_1},
        {7, 5, 'R', full_3},
        {999999, 5, 'R', full_3},
        {1, 3, 'Y', empty_1},
        {1, 1, 'R', empty_1},
        {rejected_size, 3, 'G', full_2},
        {rejected_density, 3, 'G', full_0},
        {rejected_size_and_density, 3, 'G', empty_0},
    };
    for (const MarkerCase &test : cases) {
        SCOPED_TRACE("t = " + std::to_string(test.tracking) + ", validating " +
                     std::to_string(test.validating));
        tracciamenti_consecutivi_validanti = test.validating;
        set_masses({{10, 20, 30, 40, 15.7, 35.2, test.tracking}});
        Frame frame(25, 45);
        Incastonatura_Dei_Dati_Cinematici(frame.data(), frame.rows, frame.columns);
        EXPECT_EQ(frame.region(9, 21, 29, 41), paint(test.drawing, test.colour));
        EXPECT_EQ(frame.region(0, 8, 0, 44), Frame(9, 45).whole()); // nothing above the box
    }
}

TEST(TrackingOverlay, MarkerOnlyWhenItFitsInsideTheBox)
{
    tracciamenti_consecutivi_validanti = 3;
    struct Case {
        const char *name;
        Mass mass;
        Picture drawing;
    };
    const Case cases[] = {
        {"barycentre row 1.2 in rows 0-5", {0, 5, 0, 9, 1.2, 4.5, 2},
         {"YYYYYYYYYY",
          "Y........Y",
          "Y........Y",
          "Y........Y",
          "Y........Y",
          "YYYYYYYYYY",
          ".........."}},
        {"a box of six rows", {0, 5, 0, 9, 3.0, 4.0, 2},
         {"YYYYYYYYYY",
          "Y........Y",
          "Y........Y",
          "Y........Y",
          "Y........Y",
          "YYYYYYYYYY",
          ".........."}},
        {"a 7 x 7 box centred on its middle pixel", {0, 6, 0, 6, 3.9, 3.0, 2},
         {"YYYYYYY...",
          "Y..YYYY...",
          "Y..YYYY...",
          "YYYYYYY...",
          "Y..Y..Y...",
          "Y..Y..Y...",
          "YYYYYYY..."}},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        set_masses({test.mass});
        Frame frame(7, 10);
        Incastonatura_Dei_Dati_Cinematici(frame.data(), frame.rows, frame.columns);
        EXPECT_EQ(frame.whole(), test.drawing);
    }
}

TEST(TrackingOverlay, LaterMassesDrawOverEarlierOnes)
{
    tracciamenti_consecutivi_validanti = 2;
    set_masses({{0, 2, 0, 3, 1.0, 1.0, rejected_size}, {1, 3, 2, 5, 2.0, 3.0, 2}});
    Frame frame(4, 6);
    Incastonatura_Dei_Dati_Cinematici(frame.data(), frame.rows, frame.columns);
    EXPECT_EQ(frame.whole(), Picture({"GGGG..",
                                      "G.RRRR",
                                      "GGRG.R",
                                      "..RRRR"}));

    set_masses({});
    Frame untouched(4, 6);
    Incastonatura_Dei_Dati_Cinematici(untouched.data(), untouched.rows, untouched.columns);
    EXPECT_EQ(untouched.whole(), Frame(4, 6).whole());
}

// Each routine call on a 4 x 6 frame in red; limits past the frame are clipped.
TEST(TrackingOverlay, DrawingRoutinesAtTheirEdges)
{
    struct Case {
        const char *name;
        bool area;
        uint32_t r1, r2, c1, c2;
        Picture drawing;
    };
    const Case cases[] = {
        {"outline", false, 0, 3, 1, 4, {".RRRR.", ".R..R.", ".R..R.", ".RRRR."}},
        {"one-column outline is a line", false, 1, 2, 3, 3, {"......", "...R..", "...R..", "......"}},
        {"one-row outline", false, 2, 2, 0, 5, {"......", "......", "RRRRRR", "......"}},
        {"single-pixel outline", false, 1, 1, 1, 1, {"......", ".R....", "......", "......"}},
        {"outline past the frame is clipped", false, 2, 9, 4, 99, {"......", "......", "....RR", "....R."}},
        {"area", true, 1, 2, 1, 3, {"......", ".RRR..", ".RRR..", "......"}},
        {"area past the frame is clipped", true, 2, 50, 3, 70, {"......", "......", "...RRR", "...RRR"}},
        {"area with first row after last is empty", true, 2, 1, 0, 5, {"......", "......", "......", "......"}},
        {"area with first column after last is empty", true, 0, 3, 4, 3, {"......", "......", "......", "......"}},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        Frame frame(4, 6);
        if (test.area)
            Incastonatura_Della_Area_Rettangolare(frame.data(), frame.rows, frame.columns, test.r1,
                                                  test.r2, test.c1, test.c2, 255, 0, 0);
        else
            Incastonatura_Del_Perimetro_Rettangolare(frame.data(), frame.rows, frame.columns,
                                                     test.r1, test.r2, test.c1, test.c2, 255, 0, 0);
        EXPECT_EQ(frame.whole(), test.drawing);
        EXPECT_TRUE(frame.guard_intact());
    }
}

TEST(TrackingOverlay, CrossOrientationsBeyond3DrawNothing)
{
    for (uint8_t orientation : {uint8_t(4), uint8_t(255)}) {
        Frame frame(9, 9);
        Incastonatura_Della_Croce_Greca_Piena(frame.data(), 9, 9, 4, 4, 3, 255, 0, 0, orientation);
        Incastonatura_Della_Croce_Greca_Vuota(frame.data(), 9, 9, 4, 4, 3, 255, 0, 0, orientation);
        EXPECT_EQ(frame.whole(), Frame(9, 9).whole());
    }
}

} // namespace
