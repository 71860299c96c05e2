// Box smoothing by running sums: per column a sum over the row window, per row a prefix of those
// sums, so a pixel costs the same few operations at every radius.
#include "box_filter.h"

#include "frame_buffer.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Windows up to this many pixels divide by a multiply and a shift (see reciprocals below).
constexpr uint32_t max_fast_area = 4104;

// ceil(2^32 / d). For a window of d pixels the sum s is at most 255 d, and with
// 255 d^2 <= 2^32 the error of s * ceil(2^32 / d) / 2^32 stays below 1 / d, so
// (s * reciprocal) >> 32 is exactly s / d with the remainder dropped.
constexpr auto reciprocals = [] {
    std::array<uint32_t, max_fast_area + 1> table{};
    for (uint64_t d = 2; d <= max_fast_area; ++d)
        table[d] = uint32_t(((uint64_t(1) << 32) + d - 1) / d);
    return table;
}();

// Sized for a plane of one row: any aspect whose pixels fit a plane is a valid frame.
uint32_t column_sums[plane_size]; // per column, the sum over the rows of the current window
uint32_t row_prefix[plane_size + 1]; // row_prefix[k] = column_sums[0] + ... + column_sums[k - 1]

#define HOT_LOOP __attribute__((target_clones("avx2", "default")))

HOT_LOOP void add_row(const uint8_t *row, uint32_t columns)
{
    for (uint32_t j = 0; j < columns; ++j)
        column_sums[j] += row[j];
}

HOT_LOOP void subtract_row(const uint8_t *row, uint32_t columns)
{
    for (uint32_t j = 0; j < columns; ++j)
        column_sums[j] -= row[j];
}

HOT_LOOP void slide_rows(const uint8_t *entering, const uint8_t *leaving, uint32_t columns)
{
    for (uint32_t j = 0; j < columns; ++j)
        column_sums[j] += uint32_t(entering[j]) - leaving[j]; // wraps back to the true sum
}

void prefix_of_column_sums(uint32_t columns)
{
    uint32_t sum = 0;
    row_prefix[0] = 0;
    for (uint32_t j = 0; j < columns; ++j) {
        sum += column_sums[j];
        row_prefix[j + 1] = sum;
    }
}

inline uint8_t divide(uint32_t sum, uint32_t count, bool fast)
{
    return uint8_t(fast ? (uint64_t(sum) * reciprocals[count]) >> 32 : sum / count);
}

// Columns whose window is cut by the left or right edge of the plane.
void average_clipped_columns(uint8_t *out, uint32_t first, uint32_t last_plus_one,
                             uint32_t columns, uint32_t radius, uint32_t window_rows, bool fast)
{
    for (uint32_t j = first; j < last_plus_one; ++j) {
        const uint32_t lo = j > radius ? j - radius : 0;
        const uint32_t hi = std::min(j + radius + 1, columns);
        out[j] = divide(row_prefix[hi] - row_prefix[lo], window_rows * (hi - lo), fast);
    }
}

// Columns whose window is the full 2r + 1 wide: one divisor for the whole stretch.
HOT_LOOP void average_full_columns(uint8_t *out, uint32_t first, uint32_t last_plus_one,
                                   uint32_t radius, uint32_t count, bool fast)
{
    const uint32_t *ahead = row_prefix + first + radius + 1; // window end, one past
    const uint32_t *behind = row_prefix + (first - radius);  // window start
    const size_t length = last_plus_one - first;
    uint8_t *o = out + first;
    if (fast) {
        const uint64_t reciprocal = reciprocals[count];
        for (size_t k = 0; k < length; ++k)
            o[k] = uint8_t((uint64_t(ahead[k] - behind[k]) * reciprocal) >> 32);
    } else {
        for (size_t k = 0; k < length; ++k)
            o[k] = uint8_t((ahead[k] - behind[k]) / count);
    }
}

} // namespace

void Filtrazione_Della_Matrice_Grayscale(const uint8_t *matrice_da_filtrare,
                                         uint8_t *matrice_filtrata, uint32_t righe_della_matrice,
                                         uint32_t colonne_della_matrice,
                                         uint32_t raggio_della_filtrazione)
{
    const uint32_t rows = righe_della_matrice, columns = colonne_della_matrice;
    const uint32_t n = rows * columns;
    if (n == 0)
        return;
    if (raggio_della_filtrazione == 0 || n == 1) { // every window is the pixel itself
        std::memcpy(matrice_filtrata, matrice_da_filtrare, n);
        return;
    }
    // A radius past the plane's extent gives the same windows as the extent itself, and keeps
    // every bound below 2^32.
    const uint32_t row_radius = std::min(raggio_della_filtrazione, rows);
    const uint32_t col_radius = std::min(raggio_della_filtrazione, columns);
    const uint32_t widest = std::min(2 * col_radius + 1, columns);
    const uint32_t tallest = std::min(2 * row_radius + 1, rows);
    const bool fast = uint64_t(widest) * tallest <= max_fast_area;

    // Column bands: clipped on the left, full width, clipped on the right.
    const uint32_t left_end = std::min(col_radius, columns);
    const uint32_t right_start = std::max(col_radius, columns - col_radius);
    const uint32_t full_count_per_row = 2 * col_radius + 1;

    // Fill: the window of row 0 is rows 0 ... r.
    std::memset(column_sums, 0, columns * sizeof column_sums[0]);
    for (uint32_t i = 0; i <= row_radius && i < rows; ++i)
        add_row(matrice_da_filtrare + i * columns, columns);

    for (uint32_t i = 0; i < rows; ++i) {
        if (i > 0) {
            const bool grows = i + row_radius < rows; // row i + r enters the window
            const bool shrinks = i > row_radius;      // row i - r - 1 leaves it
            const uint8_t *entering = grows ? matrice_da_filtrare + (i + row_radius) * columns
                                            : nullptr;
            const uint8_t *leaving = shrinks
                                         ? matrice_da_filtrare + (i - row_radius - 1) * columns
                                         : nullptr;
            if (grows && shrinks)
                slide_rows(entering, leaving, columns); // Slide: interior rows.
            else if (grows)
                add_row(entering, columns); // Grow: near the top.
            else if (shrinks)
                subtract_row(leaving, columns); // Shrink: near the bottom.
        }
        const uint32_t top = i > row_radius ? i - row_radius : 0;
        const uint32_t bottom = std::min(i + row_radius, rows - 1);
        const uint32_t window_rows = bottom - top + 1;

        prefix_of_column_sums(columns);
        uint8_t *out = matrice_filtrata + i * columns;
        average_clipped_columns(out, 0, left_end, columns, col_radius, window_rows, fast);
        if (right_start > left_end)
            average_full_columns(out, left_end, right_start, col_radius,
                                 window_rows * full_count_per_row, fast);
        average_clipped_columns(out, right_start, columns, columns, col_radius, window_rows,
                                fast);
    }
}

uint8_t Valore_Medio_Sul_Rettangolo(const uint8_t *matrice_del_supporto,
                                    uint32_t /*righe_della_matrice*/,
                                    uint32_t colonne_della_matrice,
                                    uint32_t riga_minima_del_rettangolo,
                                    uint32_t riga_massima_del_rettangolo,
                                    uint32_t colonna_minima_del_rettangolo,
                                    uint32_t colonna_massima_del_rettangolo)
{
    const uint32_t h = riga_massima_del_rettangolo - riga_minima_del_rettangolo + 1;
    const uint32_t w = colonna_massima_del_rettangolo - colonna_minima_del_rettangolo + 1;
    uint32_t sum = 0;
    for (uint32_t i = riga_minima_del_rettangolo; i <= riga_massima_del_rettangolo; ++i)
        for (uint32_t j = colonna_minima_del_rettangolo; j <= colonna_massima_del_rettangolo; ++j)
            sum += matrice_del_supporto[i * colonne_della_matrice + j];
    return uint8_t(sum / (w * h));
}
