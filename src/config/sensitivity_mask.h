// The operator's sensitivity mask: rectangle fills, the mouse edits and the 2,304,000-byte file
// "Resources_Archive/Sensitive_Pixels.bin" (the whole plane, byte for byte, no header).
#pragma once

#include <cstdint>

constexpr const char *sensitive_pixels_path = "Resources_Archive/Sensitive_Pixels.bin";

// Set the bytes of rows riga_minima..riga_massima, columns colonna_minima..colonna_massima
// (inclusive) to 0 (insensitive) or 1 (sensitive); colonne_della_matrice is the row stride.
// The rectangle is cut to the image (rows < righe, columns < colonne) and to the plane, so a
// square past the last column never spills into the next row.
void Desensibilizzazione_Del_Rettangolo(uint8_t *matrice_grayscale_da_desensibilizzare,
                                        uint32_t righe_della_matrice,
                                        uint32_t colonne_della_matrice,
                                        uint32_t riga_minima_del_rettangolo,
                                        uint32_t riga_massima_del_rettangolo,
                                        uint32_t colonna_minima_del_rettangolo,
                                        uint32_t colonna_massima_del_rettangolo);
void Sensibilizzazione_Del_Rettangolo(uint8_t *matrice_grayscale_da_sensibilizzare,
                                      uint32_t righe_della_matrice,
                                      uint32_t colonne_della_matrice,
                                      uint32_t riga_minima_del_rettangolo,
                                      uint32_t riga_massima_del_rettangolo,
                                      uint32_t colonna_minima_del_rettangolo,
                                      uint32_t colonna_massima_del_rettangolo);

// Start-up read into matrice_grayscale_dei_pixel_sensibili_8bpp: no file makes every byte 1;
// otherwise the file's first bytes (up to the whole plane) are copied and the rest is left as is.
void read_sensitivity_mask(const char *path);

// Writes the whole plane atomically; false when it could not be written (the plane stands).
bool write_sensitivity_mask(const char *path);

enum class MaskClick { LeftDown, LeftDoubleClick, RightDown, RightDoubleClick };

// One mouse message on the display area, client point (x, y), while disarmed: left press
// clears the brush cell under the cursor, left double-click sets it, right press makes the
// whole image sensitive and right double-click insensitive; then the file is rewritten.
// Points outside the 640 x 480 display area change and write nothing. Returns whether the mask
// was edited (a failed write still leaves the edit in memory).
bool edit_sensitivity_mask(MaskClick click, int x, int y);
