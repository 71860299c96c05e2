// Labelling of intruding masses: the label plane's tables and counts.
#pragma once

#include <cstdint>

// Masses found in the current frame and kept in the archive for the next frame's tracking.
extern uint8_t enumerazione_delle_masse_intruse_corrente;
extern uint8_t enumerazione_delle_masse_intruse_archivio;
