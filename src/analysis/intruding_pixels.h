// Intruding pixels: each sensitive pixel's filtered colour vector against the background's, by
// the angle between them when both are long enough, otherwise by the difference of lengths.
#pragma once

#include <cstdint>

// sqrt((first * first + second * second) + third * third).
double Norma_Euclidea_Del_Vettore(double prima_componente_del_vettore,
                                  double seconda_componente_del_vettore,
                                  double terza_componente_del_vettore);

// arccos(dot / (la * lb)) * 180.0 / 3.1416, unclamped: NaN for a zero vector or a ratio above 1.
double Angolo_In_Gradi_Tra_Due_Vettori(double prima_componente_del_primo_vettore,
                                       double seconda_componente_del_primo_vettore,
                                       double terza_componente_del_primo_vettore,
                                       double prima_componente_del_secondo_vettore,
                                       double seconda_componente_del_secondo_vettore,
                                       double terza_componente_del_secondo_vettore);

// Writes 1 (intruding) or 0 for every pixel of the frame. A pixel whose mask byte is 0 is 0.
// Both lengths >= T: 1 when the angle >= V (a NaN angle gives 0). Otherwise 1 when the
// lengths differ by >= M.
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
                                      uint32_t variazione_modulare_rgb_sospetta);
