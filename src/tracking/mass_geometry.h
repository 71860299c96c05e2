// Geometric data of the merged masses: extent, bounding box and barycentre of every label, the
// current mass count, and the size and density filter that marks rejected masses.
#pragma once

// Measures labels 1, 2, ... of the label plane until the first empty label and sets each
// mass's first tracking value: 1 when accepted, otherwise a rejection code.
void Elaborazione_Dei_Dati_Geometrici();
