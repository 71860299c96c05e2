// Overlay of the tracking data on the displayed frame: each mass's bounding box outline and, when
// it fits inside the box, a Greek-cross marker at the barycentre. Green rejected, yellow
// candidate, red confirmed. Colours are stored blue in byte 0, green in byte 1, red in byte 2.
#pragma once

#include <cstdint>

// Draws masses 1 ... enumerazione_delle_masse_intruse_corrente into the frame buffer.
void Incastonatura_Dei_Dati_Cinematici(uint8_t *matrice_rgb_24bpp_del_supporto,
                                       uint32_t righe_della_matrice,
                                       uint32_t colonne_della_matrice);

// The drawing routines take inclusive limits and clip to the frame; whatever lies inside the
// frame is drawn unchanged.

// One-pixel outline of a rectangle.
void Incastonatura_Del_Perimetro_Rettangolare(
    uint8_t *matrice_rgb_24bpp_del_supporto, uint32_t righe_della_matrice,
    uint32_t colonne_della_matrice, uint32_t riga_minima_del_perimetro,
    uint32_t riga_massima_del_perimetro, uint32_t colonna_minima_del_perimetro,
    uint32_t colonna_massima_del_perimetro, uint8_t componente_rossa, uint8_t componente_verde,
    uint8_t componente_blu);

// Every pixel of a rectangle.
void Incastonatura_Della_Area_Rettangolare(
    uint8_t *matrice_rgb_24bpp_del_supporto, uint32_t righe_della_matrice,
    uint32_t colonne_della_matrice, uint32_t riga_minima_della_area,
    uint32_t riga_massima_della_area, uint32_t colonna_minima_della_area,
    uint32_t colonna_massima_della_area, uint8_t componente_rossa, uint8_t componente_verde,
    uint8_t componente_blu);

// Greek cross of four (arm + 1)-pixel squares meeting at the centre: one square filled and the
// opposite one outlined; the orientation 0 ... 3 picks the pair, any other value draws nothing.
void Incastonatura_Della_Croce_Greca_Piena(
    uint8_t *matrice_rgb_24bpp_del_supporto, uint32_t righe_della_matrice,
    uint32_t colonne_della_matrice, uint32_t riga_del_centro_della_croce,
    uint32_t colonna_del_centro_della_croce, uint32_t braccio_della_croce, uint8_t componente_rossa,
    uint8_t componente_verde, uint8_t componente_blu, uint8_t orientamento_della_croce_greca);

// The same cross with both squares of the pair outlined.
void Incastonatura_Della_Croce_Greca_Vuota(
    uint8_t *matrice_rgb_24bpp_del_supporto, uint32_t righe_della_matrice,
    uint32_t colonne_della_matrice, uint32_t riga_del_centro_della_croce,
    uint32_t colonna_del_centro_della_croce, uint32_t braccio_della_croce, uint8_t componente_rossa,
    uint8_t componente_verde, uint8_t componente_blu, uint8_t orientamento_della_croce_greca);
