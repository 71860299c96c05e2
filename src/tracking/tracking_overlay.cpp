// Overlay of the tracking data: box outlines and Greek-cross markers drawn straight into the
// frame buffer. Markers tell the rejection reason, a first sighting, or turn with the count.
#include "tracking_overlay.h"

#include "mass_labelling.h"
#include "parameters.h"

#include <cstddef>
#include <initializer_list>

namespace {

constexpr uint32_t marker_arm = 3;

struct Colour {
    uint8_t red, green, blue;
};
constexpr Colour rejected_colour = {0, 255, 0};
constexpr Colour candidate_colour = {255, 255, 0};
constexpr Colour confirmed_colour = {255, 0, 0};

void put_pixel(uint8_t *frame, uint32_t columns, uint32_t row, uint32_t column, uint8_t red,
               uint8_t green, uint8_t blue)
{
    uint8_t *pixel = frame + 3 * (size_t(row) * columns + column);
    pixel[0] = blue;
    pixel[1] = green;
    pixel[2] = red;
}

uint32_t smaller(uint32_t a, uint32_t b) { return a < b ? a : b; }

struct Square {
    uint32_t first_row, last_row, first_column, last_column;
};
enum Corner { upper_left, upper_right, lower_left, lower_right };

Square square_of(Corner corner, uint32_t row, uint32_t column, uint32_t arm)
{
    const bool upper = corner == upper_left || corner == upper_right;
    const bool left = corner == upper_left || corner == lower_left;
    return {upper ? row - arm : row, upper ? row : row + arm, left ? column - arm : column,
            left ? column : column + arm};
}

// The pair of squares each orientation draws: the first is the filled one of a full cross.
struct SquarePair {
    Corner first, second;
};
constexpr SquarePair cross_pairs[4] = {
    {lower_left, upper_right},
    {upper_left, lower_right},
    {upper_right, lower_left},
    {lower_right, upper_left},
};

} // namespace

void Incastonatura_Del_Perimetro_Rettangolare(uint8_t *frame, uint32_t rows, uint32_t columns,
                                              uint32_t r1, uint32_t r2, uint32_t c1, uint32_t c2,
                                              uint8_t componente_rossa, uint8_t componente_verde,
                                              uint8_t componente_blu)
{
    if (rows == 0 || columns == 0)
        return;
    const uint8_t red = componente_rossa, green = componente_verde, blue = componente_blu;
    if (r1 <= r2)
        for (uint32_t r = r1; r <= smaller(r2, rows - 1); ++r) {
            if (c1 < columns)
                put_pixel(frame, columns, r, c1, red, green, blue);
            if (c2 < columns)
                put_pixel(frame, columns, r, c2, red, green, blue);
        }
    if (c1 < c2 && c2 - c1 > 1) // the inner columns of the top and bottom edges
        for (uint32_t c = c1 + 1; c <= smaller(c2 - 1, columns - 1); ++c) {
            if (r1 < rows)
                put_pixel(frame, columns, r1, c, red, green, blue);
            if (r2 < rows)
                put_pixel(frame, columns, r2, c, red, green, blue);
        }
}

void Incastonatura_Della_Area_Rettangolare(uint8_t *frame, uint32_t rows, uint32_t columns,
                                           uint32_t r1, uint32_t r2, uint32_t c1, uint32_t c2,
                                           uint8_t componente_rossa, uint8_t componente_verde,
                                           uint8_t componente_blu)
{
    if (rows == 0 || columns == 0 || r1 > r2 || c1 > c2)
        return;
    for (uint32_t r = r1; r <= smaller(r2, rows - 1); ++r)
        for (uint32_t c = c1; c <= smaller(c2, columns - 1); ++c)
            put_pixel(frame, columns, r, c, componente_rossa, componente_verde, componente_blu);
}

void Incastonatura_Della_Croce_Greca_Piena(uint8_t *frame, uint32_t rows, uint32_t columns,
                                           uint32_t row, uint32_t column, uint32_t arm,
                                           uint8_t componente_rossa, uint8_t componente_verde,
                                           uint8_t componente_blu, uint8_t orientamento)
{
    if (orientamento > 3)
        return;
    const Square filled = square_of(cross_pairs[orientamento].first, row, column, arm);
    const Square outlined = square_of(cross_pairs[orientamento].second, row, column, arm);
    Incastonatura_Della_Area_Rettangolare(frame, rows, columns, filled.first_row, filled.last_row,
                                          filled.first_column, filled.last_column,
                                          componente_rossa, componente_verde, componente_blu);
    Incastonatura_Del_Perimetro_Rettangolare(
        frame, rows, columns, outlined.first_row, outlined.last_row, outlined.first_column,
        outlined.last_column, componente_rossa, componente_verde, componente_blu);
}

void Incastonatura_Della_Croce_Greca_Vuota(uint8_t *frame, uint32_t rows, uint32_t columns,
                                           uint32_t row, uint32_t column, uint32_t arm,
                                           uint8_t componente_rossa, uint8_t componente_verde,
                                           uint8_t componente_blu, uint8_t orientamento)
{
    if (orientamento > 3)
        return;
    const SquarePair pair = cross_pairs[orientamento];
    for (const Corner corner : {pair.first, pair.second}) {
        const Square square = square_of(corner, row, column, arm);
        Incastonatura_Del_Perimetro_Rettangolare(
            frame, rows, columns, square.first_row, square.last_row, square.first_column,
            square.last_column, componente_rossa, componente_verde, componente_blu);
    }
}

void Incastonatura_Dei_Dati_Cinematici(uint8_t *frame, uint32_t rows, uint32_t columns)
{
    for (uint32_t k = 1; k <= enumerazione_delle_masse_intruse_corrente; ++k) {
        const uint32_t t = tracciamento_della_massa_intrusa_corrente[k];
        const uint32_t first_row = riga_minima_della_massa_intrusa_corrente[k];
        const uint32_t last_row = riga_massima_della_massa_intrusa_corrente[k];
        const uint32_t first_column = colonna_minima_della_massa_intrusa_corrente[k];
        const uint32_t last_column = colonna_massima_della_massa_intrusa_corrente[k];
        // Barycentres are never negative, so the conversion keeps the integer part.
        const uint32_t row = uint32_t(riga_del_baricentro_della_massa_intrusa_corrente[k]);
        const uint32_t column = uint32_t(colonna_del_baricentro_della_massa_intrusa_corrente[k]);

        const Colour colour = t >= rejected_size_and_density           ? rejected_colour
                              : t < tracciamenti_consecutivi_validanti ? candidate_colour
                                                                       : confirmed_colour;
        Incastonatura_Del_Perimetro_Rettangolare(frame, rows, columns, first_row, last_row,
                                                 first_column, last_column, colour.red,
                                                 colour.green, colour.blue);

        const bool marker_fits = row >= first_row + marker_arm && row + marker_arm <= last_row &&
                                 column >= first_column + marker_arm &&
                                 column + marker_arm <= last_column;
        if (!marker_fits)
            continue;
        const auto full = [&](uint8_t orientation) {
            Incastonatura_Della_Croce_Greca_Piena(frame, rows, columns, row, column, marker_arm,
                                                  colour.red, colour.green, colour.blue,
                                                  orientation);
        };
        const auto empty = [&](uint8_t orientation) {
            Incastonatura_Della_Croce_Greca_Vuota(frame, rows, columns, row, column, marker_arm,
                                                  colour.red, colour.green, colour.blue,
                                                  orientation);
        };
        if (t == rejected_size_and_density)
            empty(0);
        else if (t == rejected_density)
            full(0);
        else if (t == rejected_size)
            full(2);
        else if (t == 1)
            empty(1);
        else if (t >= 2 && t < rejected_size_and_density)
            full(uint8_t(t % 4));
    }
}
