// Box smoothing of one plane: every pixel becomes the truncated mean of the square window of
// radius r around it, the window cut back at the plane's edges.
#pragma once

#include <cstdint>

// Fills destination pixels 0 ... R x C - 1. Source and destination must be distinct planes.
// Radius 0 copies; any radius keeps the window rule (a radius reaching past the plane averages
// the whole plane).
void Filtrazione_Della_Matrice_Grayscale(const uint8_t *matrice_da_filtrare,
                                         uint8_t *matrice_filtrata, uint32_t righe_della_matrice,
                                         uint32_t colonne_della_matrice,
                                         uint32_t raggio_della_filtrazione);

// Truncated mean of the rectangle with inclusive bounds; the rectangle must lie inside the
// plane, minimum <= maximum in both directions.
uint8_t Valore_Medio_Sul_Rettangolo(const uint8_t *matrice_del_supporto,
                                    uint32_t righe_della_matrice, uint32_t colonne_della_matrice,
                                    uint32_t riga_minima_del_rettangolo,
                                    uint32_t riga_massima_del_rettangolo,
                                    uint32_t colonna_minima_del_rettangolo,
                                    uint32_t colonna_massima_del_rettangolo);
