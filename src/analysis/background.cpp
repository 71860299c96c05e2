// Background replacement and percentage adaptation, and the armed-frame counter that times the
// replacements.
#include "background.h"

#include "frame_buffer.h"
#include "mass_labelling.h"
#include "parameters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

uint32_t numero_di_frames_attualmente_elaborati = 0;

namespace {

// Modes 1 ... 10: seconds between replacements; modes 11 ... 18: percentage of adaptation.
constexpr uint32_t replacement_seconds[10] = {3840, 1920, 960, 480, 240, 120, 60, 30, 15, 7};
constexpr uint32_t adaptation_percent[8] = {1, 2, 3, 6, 12, 25, 50, 100};

// For whole d in 0 ... 255 and whole P in 0 ... 100, ceil(d * P / 100.0) is (d * P + 99) / 100:
// d * P is exact, and a quotient that is not whole lies at least 0.01 from the next integer.
// x / 100 is (x * 5243) >> 19 for every x below 43,699 (here x <= 25,599), which lets the loop
// run on 16-bit vector lanes.
__attribute__((target_clones("avx2", "default"))) void
adapt_plane(uint8_t *__restrict background, const uint8_t *__restrict current, uint32_t n,
            uint16_t percent)
{
    for (uint32_t p = 0; p < n; ++p) {
        const uint16_t b = background[p], c = current[p];
        const uint16_t d = b >= c ? b - c : c - b;
        const uint16_t x = uint16_t(d * percent + 99);
        const uint16_t step = uint16_t((uint32_t(x) * 5243u) >> 19);
        background[p] = uint8_t(b >= c ? b - step : b + step);
    }
}

// Any other percentage: the double formula itself, one step per difference.
void adapt_plane_by_formula(uint8_t *background, const uint8_t *current, uint32_t n,
                            double percent)
{
    uint8_t step[256];
    for (uint32_t d = 0; d < 256; ++d)
        step[d] = uint8_t(std::ceil(double(d) * percent / 100.0)); // at most d, as percent <= 100
    for (uint32_t p = 0; p < n; ++p) {
        const uint8_t b = background[p], c = current[p];
        background[p] = b >= c ? uint8_t(b - step[b - c]) : uint8_t(b + step[c - b]);
    }
}

} // namespace

void Sostituzione_Del_Rettangolo_Di_Sfondo(uint8_t *matrice_red_di_output,
                                           uint8_t *matrice_green_di_output,
                                           uint8_t *matrice_blue_di_output,
                                           const uint8_t *matrice_red_di_input,
                                           const uint8_t *matrice_green_di_input,
                                           const uint8_t *matrice_blue_di_input,
                                           uint32_t righe_delle_matrici,
                                           uint32_t colonne_delle_matrici,
                                           uint32_t riga_minima_del_rettangolo,
                                           uint32_t riga_massima_del_rettangolo,
                                           uint32_t colonna_minima_del_rettangolo,
                                           uint32_t colonna_massima_del_rettangolo)
{
    const uint32_t rows = righe_delle_matrici, columns = colonne_delle_matrici;
    if (rows == 0 || columns == 0) // an empty frame's "last row" would be 2^32 - 1
        return;
    const uint32_t top = riga_minima_del_rettangolo;
    const uint32_t bottom = std::min(riga_massima_del_rettangolo, rows - 1);
    const uint32_t left = colonna_minima_del_rettangolo;
    const uint32_t right = std::min(colonna_massima_del_rettangolo, columns - 1);
    if (top > bottom || left > right)
        return;

    uint8_t *const out[3] = {matrice_red_di_output, matrice_green_di_output,
                             matrice_blue_di_output};
    const uint8_t *const in[3] = {matrice_red_di_input, matrice_green_di_input,
                                  matrice_blue_di_input};
    const uint32_t width = right - left + 1;
    for (int k = 0; k < 3; ++k) {
        if (width == columns) { // whole rows lie back to back
            std::memcpy(out[k] + top * columns, in[k] + top * columns,
                        size_t(bottom - top + 1) * columns);
            continue;
        }
        for (uint32_t i = top; i <= bottom; ++i)
            std::memcpy(out[k] + i * columns + left, in[k] + i * columns + left, width);
    }
}

void Adeguamento_Dello_Sfondo(uint8_t *matrice_red_dello_sfondo,
                              uint8_t *matrice_green_dello_sfondo,
                              uint8_t *matrice_blue_dello_sfondo,
                              const uint8_t *matrice_red_corrente,
                              const uint8_t *matrice_green_corrente,
                              const uint8_t *matrice_blue_corrente, uint32_t righe_delle_matrici,
                              uint32_t colonne_delle_matrici, double percentuale_di_adeguamento)
{
    const uint32_t n = righe_delle_matrici * colonne_delle_matrici;
    // Beyond 100 % a byte would overshoot the current byte and wrap; below 0 it would move away.
    double percent = percentuale_di_adeguamento;
    if (!(percent >= 0.0))
        percent = 0.0;
    percent = std::min(percent, 100.0);

    uint8_t *const background[3] = {matrice_red_dello_sfondo, matrice_green_dello_sfondo,
                                    matrice_blue_dello_sfondo};
    const uint8_t *const current[3] = {matrice_red_corrente, matrice_green_corrente,
                                       matrice_blue_corrente};
    // Each byte depends only on its own pair, so plane after plane gives the same bytes as
    // pixel after pixel.
    for (int k = 0; k < 3; ++k) {
        if (percent == std::floor(percent))
            adapt_plane(background[k], current[k], n, uint16_t(percent));
        else
            adapt_plane_by_formula(background[k], current[k], n, percent);
    }
}

void Sostituzione_Oppure_Aggiornamento_Dello_Sfondo()
{
    const uint32_t mode = sostituzione_oppure_aggiornamento_dello_sfondo;
    if (mode >= 1 && mode <= 10) {
        // Counted in 64 bits so that no stored frame rate can wrap the period.
        const uint64_t period = uint64_t(frames_per_secondo) * replacement_seconds[mode - 1];
        const uint64_t counted = numero_di_frames_attualmente_elaborati;
        if (counted < period)
            return;
        if (enumerazione_delle_masse_intruse_corrente != 0 && counted < 2 * period)
            return; // wait for the masses to leave, up to twice the period
        numero_di_frames_attualmente_elaborati = 0;
        Sostituzione_Del_Rettangolo_Di_Sfondo(
            matrice_red_dello_sfondo_8bpp, matrice_green_dello_sfondo_8bpp,
            matrice_blue_dello_sfondo_8bpp, matrice_red_filtrata_8bpp, matrice_green_filtrata_8bpp,
            matrice_blue_filtrata_8bpp, altezza, larghezza, 0, altezza - 1, 0, larghezza - 1);
    } else if (mode >= 11 && mode <= 18) {
        Adeguamento_Dello_Sfondo(matrice_red_dello_sfondo_8bpp, matrice_green_dello_sfondo_8bpp,
                                 matrice_blue_dello_sfondo_8bpp, matrice_red_filtrata_8bpp,
                                 matrice_green_filtrata_8bpp, matrice_blue_filtrata_8bpp, altezza,
                                 larghezza, double(adaptation_percent[mode - 11]));
    }
    // Any other mode leaves the background as it is.
}
