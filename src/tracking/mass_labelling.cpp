// Labelling of intruding masses.
#include "mass_labelling.h"

uint8_t enumerazione_delle_masse_intruse_corrente = 0;
uint8_t enumerazione_delle_masse_intruse_archivio = 0;
