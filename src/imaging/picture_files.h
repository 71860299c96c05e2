// Picture files and picture bytes: decoding any picture into the packed BGR frame buffer,
// and writing the frame buffer as a quality-100 JPEG.
#pragma once

#include <cstddef>
#include <cstdint>

// Decodes the picture in `bytes` straight into `matrice_rgb_24bpp` (capacity frame_buffer_size),
// three bytes per pixel, blue first, rows packed with no gap. JPEG goes through TurboJPEG, every
// other format through QImage; a picture over plane_size pixels is scaled down to fit, keeping
// its aspect. Sets `rows` and `columns` and returns true on success; returns false when the bytes
// are not a picture (the buffer may then hold part of one).
bool decode_picture(const uint8_t *bytes, size_t size, uint8_t *matrice_rgb_24bpp,
                    uint32_t &rows, uint32_t &columns);

// Reads the picture file into `matrice_rgb_24bpp` and sets altezza and larghezza.
// A missing or undecodable file ends the process with exit code 1.
void Lettura_Immagine_JPG(const char *file_jpg_da_leggere, uint8_t *matrice_rgb_24bpp);

// Writes the larghezza x altezza frame in `matrice_rgb_24bpp` as a quality-100 JPEG, replacing
// the file atomically with a short bounded retry. Returns false when no file could be written;
// the old file, if any, then stands.
bool Scrittura_Immagine_JPG(const char *file_jpg_da_scrivere, const uint8_t *matrice_rgb_24bpp);

// Index of the encoder for the MIME type `format` (exact, case-sensitive) among the encoders
// this layer offers, or -1 when there is none.
int GetEncoderClsid(const char *format);
