// The frame buffer and the pixel planes, plus the plane split and the insensitive-pixel marking.
// All storage is static and lives for the whole run; nothing here allocates.
#include "frame_buffer.h"

uint32_t altezza = 0;
uint32_t larghezza = 0;

uint8_t matrice_rgb_24bpp_originale[frame_buffer_size];
uint8_t matrice_red_8bpp[plane_size];
uint8_t matrice_green_8bpp[plane_size];
uint8_t matrice_blue_8bpp[plane_size];
uint8_t matrice_red_filtrata_8bpp[plane_size];
uint8_t matrice_green_filtrata_8bpp[plane_size];
uint8_t matrice_blue_filtrata_8bpp[plane_size];
uint8_t matrice_red_dello_sfondo_8bpp[plane_size];
uint8_t matrice_green_dello_sfondo_8bpp[plane_size];
uint8_t matrice_blue_dello_sfondo_8bpp[plane_size];
uint8_t matrice_grayscale_dei_pixel_sensibili_8bpp[plane_size];
uint8_t matrice_grayscale_dei_pixel_intrusi_8bpp[plane_size];
uint8_t matrice_grayscale_delle_masse_intruse_8bpp[plane_size];

void Estrazione_Matrici_Red_Green_Blue_8bpp(const uint8_t *rgb, uint8_t *red, uint8_t *green,
                                            uint8_t *blue, uint32_t righe_della_immagine,
                                            uint32_t colonne_della_immagine)
{
    const uint32_t n = righe_della_immagine * colonne_della_immagine;
    for (uint32_t p = 0; p < n; ++p) {
        red[p] = rgb[3 * p];
        green[p] = rgb[3 * p + 1];
        blue[p] = rgb[3 * p + 2];
    }
}

void Marcatura_Dei_Pixel_Non_Sensibili(uint8_t *rgb, const uint8_t *sensibili,
                                       uint32_t righe_della_immagine,
                                       uint32_t colonne_della_immagine)
{
    const uint32_t n = righe_della_immagine * colonne_della_immagine;
    for (uint32_t p = 0; p < n; ++p) {
        if (sensibili[p] == 0) {
            rgb[3 * p + 1] = 0;
            rgb[3 * p + 2] = 0;
        }
    }
}
