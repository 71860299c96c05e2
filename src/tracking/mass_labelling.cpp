// Labelling of intruding masses: one raster scan, and from each untaken intruding pixel a fill
// confined to a window around it. The mass tables live here too; later stages fill them.
#include "mass_labelling.h"

#include "frame_buffer.h"
#include "mass_merging.h"
#include "parameters.h"

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

// A window is at most (2 * 40 + 1) pixels on each side, and a pixel is pushed only once (it is
// cleared as it is pushed), so this stack can never overflow.
constexpr uint32_t window_side = 2 * search_half_size + 1;
constexpr uint32_t fill_stack_capacity = window_side * window_side;

struct PixelPosition {
    uint32_t row;
    uint32_t column;
};
PixelPosition fill_stack[fill_stack_capacity];

} // namespace

void Elaborazione_Della_Massa_Intrusa(uint32_t riga_di_partenza, uint32_t colonna_di_partenza)
{
    uint8_t *intrusi = matrice_grayscale_dei_pixel_intrusi_8bpp;
    uint8_t *masse = matrice_grayscale_delle_masse_intruse_8bpp;
    const uint32_t width = larghezza;
    const uint8_t label = etichetta_della_massa_intrusa;
    const uint32_t top = riga_minima_di_ricerca, bottom = riga_massima_di_ricerca;
    const uint32_t left = colonna_minima_di_ricerca, right = colonna_massima_di_ricerca;

    uint32_t depth = 0;
    // Taking a pixel clears it at once, so it is never pushed twice.
    auto take = [&](uint32_t r, uint32_t c) {
        const uint32_t p = r * width + c;
        if (intrusi[p] == 0 || depth == fill_stack_capacity)
            return;
        intrusi[p] = 0;
        masse[p] = label;
        fill_stack[depth++] = {r, c};
    };

    take(riga_di_partenza, colonna_di_partenza);
    while (depth > 0) {
        const auto [r, c] = fill_stack[--depth];
        const bool up = r > top, down = r < bottom;
        const bool toward_left = c > left, toward_right = c < right;
        if (up)
            take(r - 1, c);
        if (up && toward_right)
            take(r - 1, c + 1);
        if (toward_right)
            take(r, c + 1);
        if (down && toward_right)
            take(r + 1, c + 1);
        if (down)
            take(r + 1, c);
        if (down && toward_left)
            take(r + 1, c - 1);
        if (toward_left)
            take(r, c - 1);
        if (up && toward_left)
            take(r - 1, c - 1);
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
