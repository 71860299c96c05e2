// Intruding pixels in two passes: whole-number arithmetic settles almost every pixel exactly,
// and the few it cannot settle get the double-precision formula itself.
#include "intruding_pixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

double Norma_Euclidea_Del_Vettore(double prima_componente_del_vettore,
                                  double seconda_componente_del_vettore,
                                  double terza_componente_del_vettore)
{
    return std::sqrt((prima_componente_del_vettore * prima_componente_del_vettore +
                      seconda_componente_del_vettore * seconda_componente_del_vettore) +
                     terza_componente_del_vettore * terza_componente_del_vettore);
}

double Angolo_In_Gradi_Tra_Due_Vettori(double prima_componente_del_primo_vettore,
                                       double seconda_componente_del_primo_vettore,
                                       double terza_componente_del_primo_vettore,
                                       double prima_componente_del_secondo_vettore,
                                       double seconda_componente_del_secondo_vettore,
                                       double terza_componente_del_secondo_vettore)
{
    const double a1 = prima_componente_del_primo_vettore, a2 = seconda_componente_del_primo_vettore,
                 a3 = terza_componente_del_primo_vettore;
    const double b1 = prima_componente_del_secondo_vettore,
                 b2 = seconda_componente_del_secondo_vettore,
                 b3 = terza_componente_del_secondo_vettore;
    const double dot = (a1 * b1 + a2 * b2) + a3 * b3;
    const double la = Norma_Euclidea_Del_Vettore(a1, a2, a3);
    const double lb = Norma_Euclidea_Del_Vettore(b1, b2, b3);
    const double ratio = dot / (la * lb);
    return std::acos(ratio) * 180.0 / 3.1416;
}

namespace {

constexpr uint8_t undecided = 2; // left by the first pass for the second

// No vector of bytes is 442 long (the longest is 441.67...), so larger T or M act like 442.
constexpr uint32_t beyond_any_length = 442;

// The formula itself for one pixel.
uint8_t classify_by_formula(uint8_t br, uint8_t bg, uint8_t bb, uint8_t cr, uint8_t cg, uint8_t cb,
                            double t, double v, double m)
{
    const double nb = Norma_Euclidea_Del_Vettore(br, bg, bb);
    const double nf = Norma_Euclidea_Del_Vettore(cr, cg, cb);
    if (nb >= t && nf >= t)
        return Angolo_In_Gradi_Tra_Due_Vettori(br, bg, bb, cr, cg, cb) >= v ? 1 : 0;
    return (nb - nf >= m || nf - nb >= m) ? 1 : 0;
}

struct Thresholds {
    int32_t t_squared;    // a length reaches T exactly when its square reaches T^2
    int32_t m_squared;
    double four_m_squared;
    double certainly_at_least_v; // ratio^2 below this: the angle is at least V
    double certainly_below_v;    // ratio^2 above this: the angle is below V
};

Thresholds thresholds_for(uint32_t t, uint32_t v, uint32_t m)
{
    Thresholds k{};
    const int32_t tt = int32_t(std::min(t, beyond_any_length));
    const int32_t mm = int32_t(std::min(m, beyond_any_length));
    k.t_squared = tt * tt;
    k.m_squared = mm * mm;
    k.four_m_squared = 4.0 * double(k.m_squared);

    // The angle is the decreasing arc cosine of the ratio, whose slope is at least 1, so a ratio
    // 1e-9 away from cos(V) is an angle far beyond every rounding of the formula (~1e-15).
    // Ratios are never negative (bytes are), so the band is compared squared.
    constexpr double band = 1e-9;
    k.certainly_at_least_v = -1.0; // never, unless set below
    k.certainly_below_v = -1.0;    // every non-zero pair, unless set below
    if (v < 180) { // from 180 on, V lies beyond the largest angle the formula gives (179.9996)
        const double c = std::cos(double(v) * 3.1416 / 180.0);
        if (c - band > 0)
            k.certainly_at_least_v = (c - band) * (c - band);
        if (c + band > 0)
            k.certainly_below_v = (c + band) * (c + band);
    }
    return k;
}

// First pass: 0 or 1 where whole numbers decide exactly, `undecided` elsewhere. Every product
// below is a whole number under 2^53, so exact in doubles; s is a squared length.
// Length test: |Nb - Nf| >= M exactly when D = |sb - sf| - M^2 >= 0 and D^2 >= 4 M^2 min(sb, sf).
// Off equality the true difference lies over 1e-9 from M, far beyond the formula's rounding
// (1e-13); at equality both lengths are whole and the formula is exact, so the two agree.
// Angle test: ratio^2 = dot^2 / (sb sf), against the band above; inside it, the formula decides.
// Not trapping on compares (no floating-point flag is ever read here) lets them run on vectors.
__attribute__((target_clones("avx2", "default"), optimize("no-trapping-math"))) void
classify_exactly_where_possible(const uint8_t *__restrict br, const uint8_t *__restrict bg,
                                const uint8_t *__restrict bb, const uint8_t *__restrict cr,
                                const uint8_t *__restrict cg, const uint8_t *__restrict cb,
                                const uint8_t *__restrict mask, uint8_t *__restrict out,
                                uint32_t n, const Thresholds k)
{
    for (uint32_t p = 0; p < n; ++p) {
        const int32_t b0 = br[p], b1 = bg[p], b2 = bb[p];
        const int32_t c0 = cr[p], c1 = cg[p], c2 = cb[p];
        const int32_t sb = b0 * b0 + b1 * b1 + b2 * b2;
        const int32_t sf = c0 * c0 + c1 * c1 + c2 * c2;
        const int32_t dot = b0 * c0 + b1 * c1 + b2 * c2;

        // Written without branches so that the loop runs on vectors.
        const int32_t gap = (sb > sf ? sb - sf : sf - sb) - k.m_squared;
        const double g = double(gap);
        const int32_t by_length =
            int32_t(gap >= 0) & int32_t(g * g >= k.four_m_squared * double(sb < sf ? sb : sf));

        const double x = double(dot) * double(dot), y = double(sb) * double(sf);
        const int32_t at_least_v = x < k.certainly_at_least_v * y;
        const int32_t below_v = x > k.certainly_below_v * y; // never together with at_least_v
        const int32_t by_angle = at_least_v + undecided * (1 - at_least_v - below_v);

        const int32_t angle_test = int32_t(sb >= k.t_squared) & int32_t(sf >= k.t_squared);
        const int32_t code = angle_test ? by_angle : by_length;
        out[p] = uint8_t(mask[p] != 0 ? code : 0);
    }
}

uint32_t next_undecided(const uint8_t *out, uint32_t from, uint32_t n)
{
    if (from >= n)
        return n;
    const void *hit = std::memchr(out + from, undecided, n - from);
    return hit != nullptr ? uint32_t(static_cast<const uint8_t *>(hit) - out) : n;
}

} // namespace

void Individuazione_Dei_Pixel_Intrusi(const uint8_t *matrice_red_dello_sfondo,
                                      const uint8_t *matrice_green_dello_sfondo,
                                      const uint8_t *matrice_blue_dello_sfondo,
                                      const uint8_t *matrice_red_filtrata,
                                      const uint8_t *matrice_green_filtrata,
                                      const uint8_t *matrice_blue_filtrata,
                                      const uint8_t *matrice_grayscale_dei_pixel_sensibili,
                                      uint8_t *matrice_grayscale_dei_pixel_intrusi,
                                      uint32_t righe_delle_matrici, uint32_t colonne_delle_matrici,
                                      uint32_t magnitudine_rgb_di_soglia,
                                      uint32_t variazione_angolare_rgb_sospetta,
                                      uint32_t variazione_modulare_rgb_sospetta)
{
    const uint32_t n = righe_delle_matrici * colonne_delle_matrici;
    if (n == 0)
        return;
    uint8_t *out = matrice_grayscale_dei_pixel_intrusi;
    classify_exactly_where_possible(matrice_red_dello_sfondo, matrice_green_dello_sfondo,
                                    matrice_blue_dello_sfondo, matrice_red_filtrata,
                                    matrice_green_filtrata, matrice_blue_filtrata,
                                    matrice_grayscale_dei_pixel_sensibili, out, n,
                                    thresholds_for(magnitudine_rgb_di_soglia,
                                                   variazione_angolare_rgb_sospetta,
                                                   variazione_modulare_rgb_sospetta));

    const double t = magnitudine_rgb_di_soglia, v = variazione_angolare_rgb_sospetta,
                 m = variazione_modulare_rgb_sospetta;
    for (uint32_t p = next_undecided(out, 0, n); p < n; p = next_undecided(out, p + 1, n))
        out[p] = classify_by_formula(matrice_red_dello_sfondo[p], matrice_green_dello_sfondo[p],
                                     matrice_blue_dello_sfondo[p], matrice_red_filtrata[p],
                                     matrice_green_filtrata[p], matrice_blue_filtrata[p], t, v, m);
}
