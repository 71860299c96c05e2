// Labelling of intruding masses: one raster scan, and from each untaken intruding pixel a fill
// confined to a window around it. The mass tables live here too; later stages fill them.
#include "mass_labelling.h"

#include "frame_buffer.h"
#include "mass_merging.h"
#include "parameters.h"

#include <cstddef>
#include <initializer_list>

uint8_t etichetta_della_massa_intrusa = 0;

uint32_t riga_minima_di_ricerca = 0;
uint32_t riga_massima_di_ricerca = 0;
uint32_t colonna_minima_di_ricerca = 0;
uint32_t colonna_massima_di_ricerca = 0;

uint32_t estensione_della_massa_intrusa_corrente[mass_table_size];
uint32_t riga_minima_della_massa_intrusa_corrente[mass_table_size];
uint32_t riga_massima_della_massa_intrusa_corrente[mass_table_size];
uint32_t colonna_minima_della_massa_intrusa_corrente[mass_table_size];
uint32_t colonna_massima_della_massa_intrusa_corrente[mass_table_size];
double riga_del_baricentro_della_massa_intrusa_corrente[mass_table_size];
double colonna_del_baricentro_della_massa_intrusa_corrente[mass_table_size];
uint32_t tracciamento_della_massa_intrusa_corrente[mass_table_size];

uint32_t estensione_della_massa_intrusa_archivio[mass_table_size];
uint32_t riga_minima_della_massa_intrusa_archivio[mass_table_size];
uint32_t riga_massima_della_massa_intrusa_archivio[mass_table_size];
uint32_t colonna_minima_della_massa_intrusa_archivio[mass_table_size];
uint32_t colonna_massima_della_massa_intrusa_archivio[mass_table_size];
double riga_del_baricentro_della_massa_intrusa_archivio[mass_table_size];
double colonna_del_baricentro_della_massa_intrusa_archivio[mass_table_size];
uint32_t tracciamento_della_massa_intrusa_archivio[mass_table_size];

uint8_t enumerazione_delle_masse_intruse_corrente = 0;
uint8_t enumerazione_delle_masse_intruse_archivio = 0;

namespace {

// The fill works on runs: a row's stretch of intruding pixels is taken whole, then the rows above
// and below are searched one column wider on each side, which is where its 8-neighbours lie.
// A run is queued once, when its pixels are cleared, and a window holds at most (2 * 40 + 1)^2
// pixels, so the stack can never overflow.
constexpr uint32_t window_side = 2 * search_half_size + 1;
constexpr uint32_t fill_stack_capacity = window_side * window_side;

struct Run {
    uint32_t row, first_column, last_column;
};
Run fill_stack[fill_stack_capacity];

} // namespace

void Elaborazione_Della_Massa_Intrusa(uint32_t riga_di_partenza, uint32_t colonna_di_partenza)
{
    uint8_t *intrusi = matrice_grayscale_dei_pixel_intrusi_8bpp;
    uint8_t *masse = matrice_grayscale_delle_masse_intruse_8bpp;
    const size_t width = larghezza;
    const uint8_t label = etichetta_della_massa_intrusa;
    const uint32_t top = riga_minima_di_ricerca, bottom = riga_massima_di_ricerca;
    const uint32_t left = colonna_minima_di_ricerca, right = colonna_massima_di_ricerca;

    uint32_t depth = 0;
    // Takes the run through (r, c), as far as it goes inside the window; returns its last column.
    auto take_run = [&](uint32_t r, uint32_t c) {
        uint8_t *row = intrusi + r * width;
        uint32_t first = c, last = c;
        while (first > left && row[first - 1] != 0)
            --first;
        while (last < right && row[last + 1] != 0)
            ++last;
        std::memset(row + first, 0, last - first + 1);
        std::memset(masse + r * width + first, label, last - first + 1);
        if (depth < fill_stack_capacity) // full only for a window wider than the pass sets
            fill_stack[depth++] = {r, first, last};
        return last;
    };

    take_run(riga_di_partenza, colonna_di_partenza);
    while (depth > 0) {
        const Run run = fill_stack[--depth];
        const uint32_t from = run.first_column > left ? run.first_column - 1 : left;
        const uint32_t to = run.last_column < right ? run.last_column + 1 : right;
        for (const bool above : {true, false}) {
            if (above ? run.row <= top : run.row >= bottom)
                continue;
            const uint32_t r = above ? run.row - 1 : run.row + 1;
            const uint8_t *row = intrusi + r * width;
            for (uint32_t c = from; c <= to; ++c)
                if (row[c] != 0)
                    c = take_run(r, c) + 1; // the pixel after a run is not intruding
        }
    }
}

void Elaborazione_Delle_Masse_Intruse()
{
    const uint32_t n = altezza * larghezza;
    if (n > 0)
        std::memset(matrice_grayscale_delle_masse_intruse_8bpp, 0, n);
    etichetta_della_massa_intrusa = 0;

    for (uint32_t p = next_marked_pixel(matrice_grayscale_dei_pixel_intrusi_8bpp, 0, n); p < n;
         p = next_marked_pixel(matrice_grayscale_dei_pixel_intrusi_8bpp, p + 1, n)) {
        const uint32_t r0 = p / larghezza, c0 = p % larghezza;
        riga_minima_di_ricerca = r0 >= search_half_size ? r0 - search_half_size : 0;
        riga_massima_di_ricerca =
            r0 + search_half_size < altezza - 1 ? r0 + search_half_size : altezza - 1;
        colonna_minima_di_ricerca = c0 >= search_half_size ? c0 - search_half_size : 0;
        colonna_massima_di_ricerca =
            c0 + search_half_size < larghezza - 1 ? c0 + search_half_size : larghezza - 1;
        ++etichetta_della_massa_intrusa; // the 256th seed gets 0: its pixels join no mass
        Elaborazione_Della_Massa_Intrusa(r0, c0);
    }

    Accorpamento_Delle_Masse_Intruse(matrice_grayscale_delle_masse_intruse_8bpp, altezza, larghezza,
                                     distanza_di_clustering);
}
