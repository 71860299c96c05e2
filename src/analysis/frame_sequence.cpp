// The two paths of the frame cycle, each the list of its stages in order.
#include "frame_sequence.h"

#include "background.h"
#include "box_filter.h"
#include "frame_buffer.h"
#include "intruding_pixels.h"
#include "mass_geometry.h"
#include "mass_labelling.h"
#include "mass_tracking.h"
#include "parameters.h"
#include "tracking_overlay.h"

#include <cstring>

namespace {

void split_and_smooth()
{
    Estrazione_Matrici_Red_Green_Blue_8bpp(matrice_rgb_24bpp_originale, matrice_red_8bpp,
                                           matrice_green_8bpp, matrice_blue_8bpp, altezza,
                                           larghezza);
    Filtrazione_Della_Matrice_Grayscale(matrice_red_8bpp, matrice_red_filtrata_8bpp, altezza,
                                        larghezza, raggio_della_filtrazione_immagine);
    Filtrazione_Della_Matrice_Grayscale(matrice_green_8bpp, matrice_green_filtrata_8bpp, altezza,
                                        larghezza, raggio_della_filtrazione_immagine);
    Filtrazione_Della_Matrice_Grayscale(matrice_blue_8bpp, matrice_blue_filtrata_8bpp, altezza,
                                        larghezza, raggio_della_filtrazione_immagine);
}

} // namespace

void analyse_disarmed_frame()
{
    numero_di_frames_attualmente_elaborati = 0;
    split_and_smooth();
    const size_t n = size_t(altezza) * larghezza;
    std::memcpy(matrice_red_dello_sfondo_8bpp, matrice_red_filtrata_8bpp, n);
    std::memcpy(matrice_green_dello_sfondo_8bpp, matrice_green_filtrata_8bpp, n);
    std::memcpy(matrice_blue_dello_sfondo_8bpp, matrice_blue_filtrata_8bpp, n);
    Marcatura_Dei_Pixel_Non_Sensibili(matrice_rgb_24bpp_originale,
                                      matrice_grayscale_dei_pixel_sensibili_8bpp, altezza,
                                      larghezza);
}

void analyse_armed_frame(void (*write_latest_image)())
{
    ++numero_di_frames_attualmente_elaborati;
    split_and_smooth();
    Individuazione_Dei_Pixel_Intrusi(
        matrice_red_dello_sfondo_8bpp, matrice_green_dello_sfondo_8bpp,
        matrice_blue_dello_sfondo_8bpp, matrice_red_filtrata_8bpp, matrice_green_filtrata_8bpp,
        matrice_blue_filtrata_8bpp, matrice_grayscale_dei_pixel_sensibili_8bpp,
        matrice_grayscale_dei_pixel_intrusi_8bpp, altezza, larghezza, magnitudine_rgb_di_soglia,
        variazione_angolare_rgb_sospetta, variazione_modulare_rgb_sospetta);
    Elaborazione_Delle_Masse_Intruse();
    Elaborazione_Dei_Dati_Geometrici();
    Elaborazione_Dei_Dati_Cinematici();
    Archiviazione_Dei_Dati_Cinematici();
    Sostituzione_Oppure_Aggiornamento_Dello_Sfondo();
    if (write_latest_image != nullptr)
        write_latest_image();
    Marcatura_Dei_Pixel_Non_Sensibili(matrice_rgb_24bpp_originale,
                                      matrice_grayscale_dei_pixel_sensibili_8bpp, altezza,
                                      larghezza);
    Incastonatura_Dei_Dati_Cinematici(matrice_rgb_24bpp_originale, altezza, larghezza);
}
