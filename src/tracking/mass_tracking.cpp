// Kinematic tracking between consecutive armed frames, and the archive copy the next frame
// compares against. Linking is many-to-many: no archived mass is ever used up.
#include "mass_tracking.h"

#include "mass_labelling.h"
#include "parameters.h"

#include <cmath>

void Elaborazione_Dei_Dati_Cinematici()
{
    const double vertical = double(spostamento_verticale_compatibile);
    const double horizontal = double(spostamento_orizzontale_compatibile);

    for (uint32_t i = 1; i <= enumerazione_delle_masse_intruse_corrente; ++i) {
        if (tracciamento_della_massa_intrusa_corrente[i] >= rejected_size_and_density)
            continue;
        uint32_t best = 1;
        for (uint32_t j = 1; j <= enumerazione_delle_masse_intruse_archivio; ++j) {
            const uint32_t t = tracciamento_della_massa_intrusa_archivio[j];
            if (t >= rejected_size_and_density)
                continue;
            const bool compatible =
                std::fabs(riga_del_baricentro_della_massa_intrusa_corrente[i] -
                          riga_del_baricentro_della_massa_intrusa_archivio[j]) <= vertical &&
                std::fabs(colonna_del_baricentro_della_massa_intrusa_corrente[i] -
                          colonna_del_baricentro_della_massa_intrusa_archivio[j]) <= horizontal;
            if (compatible && t + 1 > best)
                best = t + 1;
        }
        // A count that reached the limit stays there while the mass is followed.
        tracciamento_della_massa_intrusa_corrente[i] =
            best > max_tracking_count ? max_tracking_count : best;
    }
}

void Archiviazione_Dei_Dati_Cinematici()
{
    const uint32_t count = enumerazione_delle_masse_intruse_corrente;
    enumerazione_delle_masse_intruse_archivio = enumerazione_delle_masse_intruse_corrente;
    for (uint32_t k = 1; k <= count; ++k) {
        estensione_della_massa_intrusa_archivio[k] = estensione_della_massa_intrusa_corrente[k];
        riga_minima_della_massa_intrusa_archivio[k] = riga_minima_della_massa_intrusa_corrente[k];
        riga_massima_della_massa_intrusa_archivio[k] = riga_massima_della_massa_intrusa_corrente[k];
        colonna_minima_della_massa_intrusa_archivio[k] =
            colonna_minima_della_massa_intrusa_corrente[k];
        colonna_massima_della_massa_intrusa_archivio[k] =
            colonna_massima_della_massa_intrusa_corrente[k];
        riga_del_baricentro_della_massa_intrusa_archivio[k] =
            riga_del_baricentro_della_massa_intrusa_corrente[k];
        colonna_del_baricentro_della_massa_intrusa_archivio[k] =
            colonna_del_baricentro_della_massa_intrusa_corrente[k];
        tracciamento_della_massa_intrusa_archivio[k] = tracciamento_della_massa_intrusa_corrente[k];
    }
}
