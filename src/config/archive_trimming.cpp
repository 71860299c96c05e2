// Archive trimming: the ten-digit archive names, the deletion loop and the arming's trimming rule.
// The system never writes archive files; it only deletes the oldest when the limit is lowered.
#include "archive_trimming.h"

#include <cstdio>

#include "parameters.h"

uint32_t numero_massimo_di_immagini_archiviate_precedente = 0;

void Conversione_Numero_Stringa(uint32_t numero, char *stringa)
{
    stringa[0] = char('0' + numero / 1000000000u);
    uint32_t divisore = 1000000000u;
    for (int posizione = 1; posizione < 10; ++posizione) {
        stringa[posizione] = char('0' + numero % divisore / (divisore / 10));
        divisore /= 10;
    }
}

void Rimozione_Immagini_JPG(uint32_t prima_immagine_da_rimuovere,
                            uint32_t ultima_immagine_da_rimuovere)
{
    if (prima_immagine_da_rimuovere > ultima_immagine_da_rimuovere)
        return;
    char image_name[] = "Image_Archive/Image_0000000000.jpg";
    char analytics_name[] = "Analytics_Archive/Analytics_0000000000.bin";
    constexpr int image_digits = 20;     // after "Image_Archive/Image_"
    constexpr int analytics_digits = 28; // after "Analytics_Archive/Analytics_"
    for (uint32_t n = prima_immagine_da_rimuovere;; ++n) {
        Conversione_Numero_Stringa(n, image_name + image_digits);
        Conversione_Numero_Stringa(n, analytics_name + analytics_digits);
        std::remove(image_name); // a missing file is no error here
        std::remove(analytics_name);
        if (n == ultima_immagine_da_rimuovere) // tested before ++n, so 4294967295 cannot wrap
            break;
    }
}

void apply_archive_trimming_rule()
{
    const uint32_t limit = numero_massimo_di_immagini_archiviate;
    const uint32_t previous_limit = numero_massimo_di_immagini_archiviate_precedente;
    const uint32_t newest = progressivo_ultima_immagine_archiviata;
    if (limit >= previous_limit || newest <= limit)
        return;
    const uint32_t last = newest - limit;
    // The old limit already cut everything before newest - previous_limit + 1.
    const uint32_t first = newest >= previous_limit ? newest - previous_limit + 1 : 1;
    Rimozione_Immagini_JPG(first, last);
}
