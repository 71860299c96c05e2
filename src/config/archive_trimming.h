// Trimming of the numbered image archive when arming after the archive limit was lowered:
// "Image_Archive/Image_NNNNNNNNNN.jpg" and "Analytics_Archive/Analytics_NNNNNNNNNN.bin".
#pragma once

#include <cstdint>

// The archive limit as it was at the last disarming; 0 until the first disarming.
extern uint32_t numero_massimo_di_immagini_archiviate_precedente;

// Writes the ten zero-padded decimal digits of numero into stringa[0..9], no terminator.
void Conversione_Numero_Stringa(uint32_t numero, char *stringa);

// Deletes the image and the analytics file of every number from first to last inclusive;
// missing files are passed over. Nothing happens when first > last.
void Rimozione_Immagini_JPG(uint32_t prima_immagine_da_rimuovere,
                            uint32_t ultima_immagine_da_rimuovere);

// The arming's first step: when the limit was lowered since the last disarming and more
// images are numbered than it keeps, deletes the ones the old limit kept and the new does not.
void apply_archive_trimming_rule();
