// The settings and their file. Values are stored little-endian byte by byte, so the file is the
// same whatever the machine's byte order.
#include "parameters.h"

#include "atomic_file.h"

uint32_t sostituzione_oppure_aggiornamento_dello_sfondo = 0;
uint32_t frames_per_secondo = 0;
uint32_t raggio_della_filtrazione_immagine = 0;
uint32_t magnitudine_rgb_di_soglia = 0;
uint32_t variazione_angolare_rgb_sospetta = 0;
uint32_t variazione_modulare_rgb_sospetta = 0;
uint32_t tracciamenti_consecutivi_validanti = 0;
uint32_t spostamento_verticale_compatibile = 0;
uint32_t spostamento_orizzontale_compatibile = 0;
uint32_t distanza_di_clustering = 0;
uint32_t altezza_minima_degli_oggetti_intrusi = 0;
uint32_t altezza_massima_degli_oggetti_intrusi = 0;
uint32_t larghezza_minima_degli_oggetti_intrusi = 0;
uint32_t larghezza_massima_degli_oggetti_intrusi = 0;
uint32_t densita_minima_degli_oggetti_intrusi = 0;
uint32_t attivazione_iniziale = 0;
uint32_t attivazione_consecutivo = 0;
uint32_t area_elementare_di_desensibilizzazione = 0;
uint32_t numero_massimo_di_immagini_archiviate = 0;
uint32_t progressivo_ultima_immagine_archiviata = 0;

const ParameterSlot parameter_slots[parameter_count] = {
    {&sostituzione_oppure_aggiornamento_dello_sfondo, 15},
    {&frames_per_secondo, 1},
    {&raggio_della_filtrazione_immagine, 2},
    {&magnitudine_rgb_di_soglia, 450},
    {&variazione_angolare_rgb_sospetta, 5},
    {&variazione_modulare_rgb_sospetta, 50},
    {&tracciamenti_consecutivi_validanti, 3},
    {&spostamento_verticale_compatibile, 30},
    {&spostamento_orizzontale_compatibile, 30},
    {&distanza_di_clustering, 10},
    {&altezza_minima_degli_oggetti_intrusi, 15},
    {&altezza_massima_degli_oggetti_intrusi, 251},
    {&larghezza_minima_degli_oggetti_intrusi, 15},
    {&larghezza_massima_degli_oggetti_intrusi, 251},
    {&densita_minima_degli_oggetti_intrusi, 10},
    {&attivazione_iniziale, 5},
    {&attivazione_consecutivo, 40},
    {&area_elementare_di_desensibilizzazione, 64},
    {&numero_massimo_di_immagini_archiviate, 6400},
    {&progressivo_ultima_immagine_archiviata, 0},
};

void Lettura_Dei_Parametri(const char *nome_del_file_bin_da_leggere)
{
    uint8_t bytes[parameter_file_size] = {};
    long got = read_file_prefix(nome_del_file_bin_da_leggere, bytes, sizeof bytes);
    if (got < 0)
        got = 0;
    const size_t complete = static_cast<size_t>(got) / 4;

    for (size_t k = 0; k < parameter_count; ++k) {
        const ParameterSlot &slot = parameter_slots[k];
        if (k < complete) {
            const uint8_t *b = bytes + 4 * k;
            *slot.value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                          uint32_t(b[3]) << 24;
        } else {
            *slot.value = slot.default_value;
        }
    }

    // Values the program would divide by, or a background mode no stage knows.
    if (frames_per_secondo == 0)
        frames_per_secondo = parameter_slots[1].default_value;
    if (area_elementare_di_desensibilizzazione == 0)
        area_elementare_di_desensibilizzazione = parameter_slots[17].default_value;
    if (sostituzione_oppure_aggiornamento_dello_sfondo < 1 ||
        sostituzione_oppure_aggiornamento_dello_sfondo > 18)
        sostituzione_oppure_aggiornamento_dello_sfondo = parameter_slots[0].default_value;
}

void encode_parameters(uint8_t out[parameter_file_size])
{
    for (size_t k = 0; k < parameter_count; ++k) {
        const uint32_t v = *parameter_slots[k].value;
        out[4 * k] = uint8_t(v);
        out[4 * k + 1] = uint8_t(v >> 8);
        out[4 * k + 2] = uint8_t(v >> 16);
        out[4 * k + 3] = uint8_t(v >> 24);
    }
}

bool Scrittura_Dei_Parametri(const char *nome_del_file_bin_da_scrivere)
{
    uint8_t bytes[parameter_file_size];
    encode_parameters(bytes);
    return write_file_atomically(nome_del_file_bin_da_scrivere, bytes, sizeof bytes);
}
