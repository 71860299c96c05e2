// Merging of intruding masses: masses whose grown bounding boxes touch at a corner, directly or
// through a chain of others, become one mass; groups are renumbered 1, 2, ... by first label.
#pragma once

#include <cstdint>

// Rewrites the label plane in place with the group labels. `estensione` is the distance each
// box grows on every side before the corner test. Raw label 255 ends as 0 (no mass).
void Accorpamento_Delle_Masse_Intruse(uint8_t *matrice_grayscale_delle_masse_intruse,
                                      uint32_t righe_della_matrice, uint32_t colonne_della_matrice,
                                      uint32_t estensione);
