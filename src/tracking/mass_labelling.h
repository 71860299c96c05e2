// Labelling of intruding masses: the raster scan, the windowed 8-connected fill, and the mass
// tables (current frame and previous armed frame) that the later tracking stages fill and read.
#pragma once

#include <cstdint>
#include <cstring>

// Per-mass tables are indexed by label; entry 0 is "no mass" and a count never exceeds 254.
constexpr uint32_t mass_table_size = 256;
constexpr uint32_t max_masses = 254;
// Half-size of the search window around a mass's seed, in rows and in columns.
constexpr uint32_t search_half_size = 40;

// Label of the mass being filled; wraps modulo 256.
extern uint8_t etichetta_della_massa_intrusa;

// Search window of the current fill, inclusive bounds.
extern uint32_t riga_minima_di_ricerca;
extern uint32_t riga_massima_di_ricerca;
extern uint32_t colonna_minima_di_ricerca;
extern uint32_t colonna_massima_di_ricerca;

// Masses of the current frame.
extern uint32_t estensione_della_massa_intrusa_corrente[mass_table_size];
extern uint32_t riga_minima_della_massa_intrusa_corrente[mass_table_size];
extern uint32_t riga_massima_della_massa_intrusa_corrente[mass_table_size];
extern uint32_t colonna_minima_della_massa_intrusa_corrente[mass_table_size];
extern uint32_t colonna_massima_della_massa_intrusa_corrente[mass_table_size];
extern double riga_del_baricentro_della_massa_intrusa_corrente[mass_table_size];
extern double colonna_del_baricentro_della_massa_intrusa_corrente[mass_table_size];
extern uint32_t tracciamento_della_massa_intrusa_corrente[mass_table_size];

// The same table as it stood at the end of the previous armed frame.
extern uint32_t estensione_della_massa_intrusa_archivio[mass_table_size];
extern uint32_t riga_minima_della_massa_intrusa_archivio[mass_table_size];
extern uint32_t riga_massima_della_massa_intrusa_archivio[mass_table_size];
extern uint32_t colonna_minima_della_massa_intrusa_archivio[mass_table_size];
extern uint32_t colonna_massima_della_massa_intrusa_archivio[mass_table_size];
extern double riga_del_baricentro_della_massa_intrusa_archivio[mass_table_size];
extern double colonna_del_baricentro_della_massa_intrusa_archivio[mass_table_size];
extern uint32_t tracciamento_della_massa_intrusa_archivio[mass_table_size];

// Masses found in the current frame and kept in the archive for the next frame's tracking.
extern uint8_t enumerazione_delle_masse_intruse_corrente;
extern uint8_t enumerazione_delle_masse_intruse_archivio;

// Tracking values of 1000000 and above mark a mass rejected by the size and density filter.
constexpr uint32_t rejected_size_and_density = 1000000;
constexpr uint32_t rejected_density = 1000001;
constexpr uint32_t rejected_size = 1000002;
constexpr uint32_t max_tracking_count = 999999;

// Labels every intruding pixel of the current frame (clearing it in the intruding-pixel plane),
// then merges close masses with distanza_di_clustering.
void Elaborazione_Delle_Masse_Intruse();

// Gives the current label to the seed's 8-connected intruding component inside the window.
void Elaborazione_Della_Massa_Intrusa(uint32_t riga_di_partenza, uint32_t colonna_di_partenza);

// First index in [p, end) whose byte is non-zero, or end. Planes are mostly zero, so it skips
// eight bytes at a time; a word is zero exactly when all its bytes are, so no byte is missed.
inline uint32_t next_marked_pixel(const uint8_t *plane, uint32_t p, uint32_t end)
{
    while (p < end && (p & 7) != 0 && plane[p] == 0)
        ++p;
    while (end - p >= 8) {
        uint64_t word;
        std::memcpy(&word, plane + p, sizeof word);
        if (word != 0)
            break;
        p += 8;
    }
    while (p < end && plane[p] == 0)
        ++p;
    return p;
}

// First index in (p, end) whose byte differs from byte p, or end: where a run of one value stops.
// Whole words are compared with the value repeated eight times, which matches only when every
// byte does.
inline uint32_t end_of_run(const uint8_t *plane, uint32_t p, uint32_t end)
{
    const uint8_t value = plane[p];
    const uint64_t repeated = 0x0101010101010101ull * value;
    ++p;
    while (end - p >= 8) {
        uint64_t word;
        std::memcpy(&word, plane + p, sizeof word);
        if (word != repeated)
            break;
        p += 8;
    }
    while (p < end && plane[p] == value)
        ++p;
    return p;
}
