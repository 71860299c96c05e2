// The 20 settings (19 operator parameters and the archive counter) and their 80-byte file:
// 20 unsigned 32-bit little-endian values in the order below, no header.
#pragma once

#include <cstddef>
#include <cstdint>

extern uint32_t sostituzione_oppure_aggiornamento_dello_sfondo; // 1-10 replace, 11-18 adapt
extern uint32_t frames_per_secondo;
extern uint32_t raggio_della_filtrazione_immagine;
extern uint32_t magnitudine_rgb_di_soglia;
extern uint32_t variazione_angolare_rgb_sospetta;
extern uint32_t variazione_modulare_rgb_sospetta;
extern uint32_t tracciamenti_consecutivi_validanti;
extern uint32_t spostamento_verticale_compatibile;
extern uint32_t spostamento_orizzontale_compatibile;
extern uint32_t distanza_di_clustering;
extern uint32_t altezza_minima_degli_oggetti_intrusi;
extern uint32_t altezza_massima_degli_oggetti_intrusi;
extern uint32_t larghezza_minima_degli_oggetti_intrusi;
extern uint32_t larghezza_massima_degli_oggetti_intrusi;
extern uint32_t densita_minima_degli_oggetti_intrusi;
extern uint32_t attivazione_iniziale;
extern uint32_t attivazione_consecutivo;
extern uint32_t area_elementare_di_desensibilizzazione;
extern uint32_t numero_massimo_di_immagini_archiviate;
extern uint32_t progressivo_ultima_immagine_archiviata;

constexpr size_t parameter_count = 20;
constexpr size_t parameter_file_size = 4 * parameter_count; // 80

// The settings in file order, with their defaults; used by the reader, the writer and tests.
struct ParameterSlot {
    uint32_t *value;
    uint32_t default_value;
};
extern const ParameterSlot parameter_slots[parameter_count];

// Reads the settings. A missing file gives every default; settings a short file does not
// reach take their defaults; a value that would be a divisor or an unknown background mode
// takes its default; every other stored value is kept as it is.
void Lettura_Dei_Parametri(const char *nome_del_file_bin_da_leggere);

// Writes all 20 settings, replacing the file atomically. A failed write leaves the settings in
// memory as they are; returns false then.
bool Scrittura_Dei_Parametri(const char *nome_del_file_bin_da_scrivere);

// The 80 bytes of the file for the settings as they are now.
void encode_parameters(uint8_t out[parameter_file_size]);
