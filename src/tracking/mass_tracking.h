// Kinematic tracking: each accepted mass of this frame continues the longest count among the
// previous armed frame's accepted masses whose barycentre lies within the displacement limits.
#pragma once

// Sets the tracking value of every accepted current mass: 1 + the best compatible archived
// count, or 1 when none is compatible. Counts stop at 999999 instead of becoming a rejection.
void Elaborazione_Dei_Dati_Cinematici();

// Copies entries 1 ... count of the current mass table, and the count, into the archive.
void Archiviazione_Dei_Dati_Cinematici();
