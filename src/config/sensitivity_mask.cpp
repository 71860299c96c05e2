// Sensitivity mask editing: the clipped rectangle fills, the four mouse edits and the mask file.
// Only 0 and 1 are ever written; any non-zero byte read from a file counts as sensitive.
#include "sensitivity_mask.h"

#include <algorithm>
#include <cstring>

#include "atomic_file.h"
#include "frame_buffer.h"
#include "parameters.h"

namespace {

constexpr uint32_t display_width = 640;
constexpr uint32_t display_height = 480;

void fill_rectangle(uint8_t *plane, uint32_t rows, uint32_t columns, uint32_t first_row,
                    uint32_t last_row, uint32_t first_column, uint32_t last_column, uint8_t value)
{
    if (rows == 0 || columns == 0)
        return;
    last_row = std::min(last_row, rows - 1);
    last_column = std::min(last_column, columns - 1);
    if (first_row > last_row || first_column > last_column)
        return;
    // 64-bit indices: row * columns may pass 2^32 for a bad size, and must then stop, not wrap.
    for (uint64_t row = first_row; row <= last_row; ++row) {
        const uint64_t begin = row * columns + first_column;
        if (begin >= plane_size)
            return;
        const uint64_t end = std::min<uint64_t>(row * columns + last_column + 1, plane_size);
        std::memset(plane + begin, value, end - begin);
    }
}

} // namespace

void Desensibilizzazione_Del_Rettangolo(uint8_t *matrice_grayscale_da_desensibilizzare,
                                        uint32_t righe_della_matrice,
                                        uint32_t colonne_della_matrice,
                                        uint32_t riga_minima_del_rettangolo,
                                        uint32_t riga_massima_del_rettangolo,
                                        uint32_t colonna_minima_del_rettangolo,
                                        uint32_t colonna_massima_del_rettangolo)
{
    fill_rectangle(matrice_grayscale_da_desensibilizzare, righe_della_matrice,
                   colonne_della_matrice, riga_minima_del_rettangolo, riga_massima_del_rettangolo,
                   colonna_minima_del_rettangolo, colonna_massima_del_rettangolo, 0);
}

void Sensibilizzazione_Del_Rettangolo(uint8_t *matrice_grayscale_da_sensibilizzare,
                                      uint32_t righe_della_matrice,
                                      uint32_t colonne_della_matrice,
                                      uint32_t riga_minima_del_rettangolo,
                                      uint32_t riga_massima_del_rettangolo,
                                      uint32_t colonna_minima_del_rettangolo,
                                      uint32_t colonna_massima_del_rettangolo)
{
    fill_rectangle(matrice_grayscale_da_sensibilizzare, righe_della_matrice,
                   colonne_della_matrice, riga_minima_del_rettangolo, riga_massima_del_rettangolo,
                   colonna_minima_del_rettangolo, colonna_massima_del_rettangolo, 1);
}

void read_sensitivity_mask(const char *path)
{
    if (read_file_prefix(path, matrice_grayscale_dei_pixel_sensibili_8bpp, plane_size) < 0)
        std::memset(matrice_grayscale_dei_pixel_sensibili_8bpp, 1, plane_size);
}

bool write_sensitivity_mask(const char *path)
{
    return write_file_atomically(path, matrice_grayscale_dei_pixel_sensibili_8bpp, plane_size);
}

bool edit_sensitivity_mask(MaskClick click, int x, int y)
{
    if (x < 0 || y < 0 || altezza == 0 || larghezza == 0)
        return false;
    // The frame is drawn stretched over the display area, so this is the pixel under the cursor;
    // 64-bit products keep a far-away point from wrapping back into the image.
    const uint64_t row = uint64_t(altezza) * uint64_t(y) / display_height;
    const uint64_t column = uint64_t(larghezza) * uint64_t(x) / display_width;
    if (row >= altezza || column >= larghezza)
        return false;

    uint8_t *mask = matrice_grayscale_dei_pixel_sensibili_8bpp;
    const uint32_t a = std::max<uint32_t>(area_elementare_di_desensibilizzazione, 1);
    const uint32_t r0 = uint32_t(row) / a * a; // cells of a fixed grid anchored at the top left
    const uint32_t c0 = uint32_t(column) / a * a;
    const size_t whole_image = std::min<uint64_t>(uint64_t(altezza) * larghezza, plane_size);
    switch (click) {
    case MaskClick::LeftDown:
        Desensibilizzazione_Del_Rettangolo(mask, altezza, larghezza, r0, r0 + a - 1, c0,
                                           c0 + a - 1);
        break;
    case MaskClick::LeftDoubleClick:
        Sensibilizzazione_Del_Rettangolo(mask, altezza, larghezza, r0, r0 + a - 1, c0,
                                         c0 + a - 1);
        break;
    case MaskClick::RightDown:
        std::memset(mask, 1, whole_image);
        break;
    case MaskClick::RightDoubleClick:
        std::memset(mask, 0, whole_image);
        break;
    }
    write_sensitivity_mask(sensitive_pixels_path);
    return true;
}
