// Background model: replaced by the filtered frame once a period of armed frames has passed
// (later while masses are present), or moved towards it by a percentage on every armed frame.
#pragma once

#include <cstdint>

// Armed frames since the last replacement or the last disarmed frame. The frame cycle sets it
// to 0 on disarmed frames and adds 1 at the start of each armed frame; a replacement resets it.
extern uint32_t numero_di_frames_attualmente_elaborati;

// Once per armed frame: the mode (1-10 replace, 11-18 adapt) decides; other modes change nothing.
void Sostituzione_Oppure_Aggiornamento_Dello_Sfondo();

// Copies the rectangle (inclusive bounds) of the three input planes into the three output
// planes. Bounds beyond the planes are cut back to them.
void Sostituzione_Del_Rettangolo_Di_Sfondo(uint8_t *matrice_red_di_output,
                                           uint8_t *matrice_green_di_output,
                                           uint8_t *matrice_blue_di_output,
                                           const uint8_t *matrice_red_di_input,
                                           const uint8_t *matrice_green_di_input,
                                           const uint8_t *matrice_blue_di_input,
                                           uint32_t righe_delle_matrici,
                                           uint32_t colonne_delle_matrici,
                                           uint32_t riga_minima_del_rettangolo,
                                           uint32_t riga_massima_del_rettangolo,
                                           uint32_t colonna_minima_del_rettangolo,
                                           uint32_t colonna_massima_del_rettangolo);

// Moves every background byte towards the current byte by ceil(difference x P / 100.0), never
// past it. P is taken within 0 ... 100.
void Adeguamento_Dello_Sfondo(uint8_t *matrice_red_dello_sfondo,
                              uint8_t *matrice_green_dello_sfondo,
                              uint8_t *matrice_blue_dello_sfondo,
                              const uint8_t *matrice_red_corrente,
                              const uint8_t *matrice_green_corrente,
                              const uint8_t *matrice_blue_corrente, uint32_t righe_delle_matrici,
                              uint32_t colonne_delle_matrici, double percentuale_di_adeguamento);
