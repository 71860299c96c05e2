// The frame buffer and the pixel planes every stage shares, sized for the largest frame.
// Pixel p = row * larghezza + column; the frame buffer holds pixel p at bytes 3p, 3p+1, 3p+2.
#pragma once

#include <cstdint>

constexpr uint32_t max_columns = 1920;
constexpr uint32_t max_rows = 1200;
constexpr uint32_t plane_size = max_columns * max_rows; // 2,304,000
constexpr uint32_t frame_buffer_size = 3 * plane_size;       // 6,912,000

// Current frame size, set by every capture and by the start-up picture.
extern uint32_t altezza;
extern uint32_t larghezza;

// The picture as decoded: byte 0 blue, byte 1 green, byte 2 red.
extern uint8_t matrice_rgb_24bpp_originale[frame_buffer_size];

// Colour planes are named by byte position: "red" holds byte 0, "blue" byte 2.
extern uint8_t matrice_red_8bpp[plane_size];
extern uint8_t matrice_green_8bpp[plane_size];
extern uint8_t matrice_blue_8bpp[plane_size];
extern uint8_t matrice_red_filtrata_8bpp[plane_size];
extern uint8_t matrice_green_filtrata_8bpp[plane_size];
extern uint8_t matrice_blue_filtrata_8bpp[plane_size];
extern uint8_t matrice_red_dello_sfondo_8bpp[plane_size];
extern uint8_t matrice_green_dello_sfondo_8bpp[plane_size];
extern uint8_t matrice_blue_dello_sfondo_8bpp[plane_size];
extern uint8_t matrice_grayscale_dei_pixel_sensibili_8bpp[plane_size]; // 0 = not sensitive
extern uint8_t matrice_grayscale_dei_pixel_intrusi_8bpp[plane_size];   // 1 = intruding
extern uint8_t matrice_grayscale_delle_masse_intruse_8bpp[plane_size]; // mass label, 0 = none

// Splits the frame buffer into its three byte planes.
void Estrazione_Matrici_Red_Green_Blue_8bpp(const uint8_t *matrice_rgb_24bpp_originale,
                                            uint8_t *matrice_red_8bpp, uint8_t *matrice_green_8bpp,
                                            uint8_t *matrice_blue_8bpp,
                                            uint32_t righe_della_immagine,
                                            uint32_t colonne_della_immagine);

// Clears bytes 1 and 2 of every pixel whose mask byte is 0, so the insensitive area shows blue.
void Marcatura_Dei_Pixel_Non_Sensibili(uint8_t *matrice_rgb_24bpp_originale,
                                       const uint8_t *matrice_grayscale_dei_pixel_sensibili_8bpp,
                                       uint32_t righe_della_immagine,
                                       uint32_t colonne_della_immagine);
