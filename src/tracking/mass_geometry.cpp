// Geometric data of the merged masses and the size and density filter. One pass over the label
// plane gathers extents, boxes and coordinate sums; a short loop over the labels finishes them.
#include "mass_geometry.h"

#include "frame_buffer.h"
#include "mass_labelling.h"
#include "parameters.h"

namespace {

uint32_t judge(uint32_t height, uint32_t width, uint32_t density)
{
    const bool size_ok = altezza_minima_degli_oggetti_intrusi <= height &&
                         height <= altezza_massima_degli_oggetti_intrusi &&
                         larghezza_minima_degli_oggetti_intrusi <= width &&
                         width <= larghezza_massima_degli_oggetti_intrusi;
    const bool density_ok = density >= densita_minima_degli_oggetti_intrusi;
    if (size_ok)
        return density_ok ? 1 : rejected_density;
    return density_ok ? rejected_size : rejected_size_and_density;
}

} // namespace

void Elaborazione_Dei_Dati_Geometrici()
{
    uint32_t *extent = estensione_della_massa_intrusa_corrente;
    uint32_t *first_row = riga_minima_della_massa_intrusa_corrente;
    uint32_t *last_row = riga_massima_della_massa_intrusa_corrente;
    uint32_t *first_column = colonna_minima_della_massa_intrusa_corrente;
    uint32_t *last_column = colonna_massima_della_massa_intrusa_corrente;
    double *row_mean = riga_del_baricentro_della_massa_intrusa_corrente;
    double *column_mean = colonna_del_baricentro_della_massa_intrusa_corrente;

    for (uint32_t k = 1; k <= max_masses; ++k) {
        extent[k] = 0;
        first_row[k] = altezza - 1;
        last_row[k] = 0;
        first_column[k] = larghezza - 1;
        last_column[k] = 0;
        row_mean[k] = 0.0;
        column_mean[k] = 0.0;
    }

    // The barycentre fields hold coordinate sums during the scan, added a run of one label at a
    // time. Every sum is a whole number far below 2^53, so the double additions are exact and
    // give the same totals as adding pixel by pixel.
    const uint8_t *plane = matrice_grayscale_delle_masse_intruse_8bpp;
    const uint32_t rows = larghezza > 0 ? altezza : 0;
    for (uint32_t row = 0; row < rows; ++row) {
        const uint32_t start = row * larghezza, end = start + larghezza;
        uint32_t p = next_marked_pixel(plane, start, end);
        while (p < end) {
            const uint8_t label = plane[p];
            const uint32_t after = end_of_run(plane, p, end);
            const uint32_t first = p - start, last = after - 1 - start, length = after - p;
            extent[label] += length;
            if (row < first_row[label])
                first_row[label] = row;
            if (row > last_row[label])
                last_row[label] = row;
            if (first < first_column[label])
                first_column[label] = first;
            if (last > last_column[label])
                last_column[label] = last;
            row_mean[label] += double(uint64_t(row) * length);
            column_mean[label] += double((uint64_t(first) + last) * length / 2);
            p = next_marked_pixel(plane, after, end);
        }
    }

    enumerazione_delle_masse_intruse_corrente = 0;
    for (uint32_t k = 1; k <= max_masses && extent[k] != 0; ++k) {
        enumerazione_delle_masse_intruse_corrente = uint8_t(k);
        row_mean[k] /= double(extent[k]);
        column_mean[k] /= double(extent[k]);
        const uint32_t height = last_row[k] - first_row[k] + 1;
        const uint32_t width = last_column[k] - first_column[k] + 1;
        const uint32_t density = extent[k] * 100 / (width * height);
        tracciamento_della_massa_intrusa_corrente[k] = judge(height, width, density);
    }
}
