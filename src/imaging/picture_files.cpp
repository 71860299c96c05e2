// Picture input and output: TurboJPEG for JPEG, QImage for every other format, all into or out
// of the packed BGR frame buffer.
#include "picture_files.h"

#include "atomic_file.h"
#include "frame_buffer.h"

#include <QImage>
#include <turbojpeg.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

// The encoders this layer offers, in lookup order.
constexpr const char *encoders[] = {"image/jpeg"};

// Quality-100 output for every armed frame: keep full chroma resolution.
constexpr int jpeg_quality = 100;
constexpr int jpeg_subsampling = TJSAMP_444;

bool is_jpeg(const uint8_t *bytes, size_t size)
{
    return size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

tjhandle decompressor()
{
    static const tjhandle handle = tjInitDecompress(); // kept for the whole run
    return handle;
}

tjhandle compressor()
{
    static const tjhandle handle = tjInitCompress();
    return handle;
}

// Largest TurboJPEG scaling factor, never above 1, whose picture fits the frame buffer.
bool jpeg_scaled_size(int width, int height, int &scaled_width, int &scaled_height)
{
    int count = 0;
    const tjscalingfactor *factors = tjGetScalingFactors(&count);
    uint64_t best = 0;
    for (int i = 0; factors != nullptr && i < count; ++i) {
        const tjscalingfactor f = factors[i];
        if (f.num > f.denom)
            continue;
        const int w = TJSCALED(width, f);
        const int h = TJSCALED(height, f);
        const uint64_t pixels = uint64_t(w) * uint64_t(h);
        if (pixels <= plane_size && pixels > best) {
            best = pixels;
            scaled_width = w;
            scaled_height = h;
        }
    }
    return best > 0;
}

// Size that fits the frame buffer with the aspect of width x height, at least one pixel a side.
void fitted_size(uint64_t width, uint64_t height, uint32_t &fit_width, uint32_t &fit_height)
{
    const double scale = std::sqrt(double(plane_size) / (double(width) * double(height)));
    uint64_t h = std::max<uint64_t>(1, uint64_t(std::floor(double(height) * scale)));
    uint64_t w = std::max<uint64_t>(1, uint64_t(std::floor(double(width) * scale)));
    h = std::min<uint64_t>(h, plane_size);
    w = std::min<uint64_t>(w, plane_size / h); // rounding must never push it over
    fit_width = uint32_t(w);
    fit_height = uint32_t(h);
}

bool decode_other(const uint8_t *bytes, size_t size, uint8_t *bgr, uint32_t &rows,
                  uint32_t &columns)
{
    if (size > size_t(INT_MAX))
        return false;
    QImage image;
    if (!image.loadFromData(bytes, int(size)) || image.isNull())
        return false;
    if (uint64_t(image.width()) * uint64_t(image.height()) > plane_size) {
        uint32_t w = 0, h = 0;
        fitted_size(uint64_t(image.width()), uint64_t(image.height()), w, h);
        image = image.scaled(int(w), int(h), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    // Grayscale, palette and alpha pictures all become three bytes, blue first.
    const QImage packed = image.convertToFormat(QImage::Format_BGR888);
    if (packed.isNull())
        return false;
    const size_t row_bytes = 3 * size_t(packed.width());
    for (int r = 0; r < packed.height(); ++r) // QImage pads its rows; the frame buffer does not
        std::memcpy(bgr + size_t(r) * row_bytes, packed.constScanLine(r), row_bytes);
    rows = uint32_t(packed.height());
    columns = uint32_t(packed.width());
    return true;
}

bool decode_jpeg(const uint8_t *bytes, size_t size, uint8_t *bgr, uint32_t &rows,
                 uint32_t &columns)
{
    const tjhandle handle = decompressor();
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (handle == nullptr ||
        tjDecompressHeader3(handle, bytes, size, &width, &height, &subsampling, &colorspace) != 0 ||
        width <= 0 || height <= 0)
        return false;
    if (colorspace == TJCS_CMYK || colorspace == TJCS_YCCK)
        return decode_other(bytes, size, bgr, rows, columns); // TurboJPEG gives those only as CMYK
    int w = 0, h = 0;
    if (!jpeg_scaled_size(width, height, w, h))
        return false; // even the smallest scaling leaves it too large
    // The decoder reports a cut or damaged stream as a mere warning and fills it with grey, so
    // every complaint refuses the picture, except stray bytes between segments: some cameras
    // send them, and no pixel is lost.
    if (tjDecompress2(handle, bytes, size, bgr, w, 3 * w, h, TJPF_BGR, 0) != 0 &&
        (tjGetErrorCode(handle) == TJERR_FATAL ||
         std::strstr(tjGetErrorStr2(handle), "extraneous bytes before marker") == nullptr))
        return false;
    rows = uint32_t(h);
    columns = uint32_t(w);
    return true;
}

bool read_whole_file(const char *path, std::vector<uint8_t> &bytes)
{
    std::FILE *file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    uint8_t chunk[65536];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

} // namespace

bool decode_picture(const uint8_t *bytes, size_t size, uint8_t *matrice_rgb_24bpp,
                    uint32_t &rows, uint32_t &columns)
{
    if (bytes == nullptr || size == 0)
        return false;
    if (is_jpeg(bytes, size))
        return decode_jpeg(bytes, size, matrice_rgb_24bpp, rows, columns);
    return decode_other(bytes, size, matrice_rgb_24bpp, rows, columns);
}

void Lettura_Immagine_JPG(const char *file_jpg_da_leggere, uint8_t *matrice_rgb_24bpp)
{
    std::vector<uint8_t> bytes; // read once at start-up, so a plain vector will do
    uint32_t rows = 0, columns = 0;
    if (!read_whole_file(file_jpg_da_leggere, bytes) ||
        !decode_picture(bytes.data(), bytes.size(), matrice_rgb_24bpp, rows, columns))
        std::_Exit(1);
    altezza = rows;
    larghezza = columns;
}

bool Scrittura_Immagine_JPG(const char *file_jpg_da_scrivere, const uint8_t *matrice_rgb_24bpp)
{
    if (altezza == 0 || larghezza == 0 || uint64_t(altezza) * larghezza > plane_size ||
        GetEncoderClsid("image/jpeg") < 0 || compressor() == nullptr)
        return false;
    // One output buffer for the run; it grows only when a frame needs more than any before.
    static std::vector<unsigned char> output;
    const unsigned long bound = tjBufSize(int(larghezza), int(altezza), jpeg_subsampling);
    if (bound == static_cast<unsigned long>(-1))
        return false;
    if (output.size() < bound)
        output.resize(bound);
    unsigned char *destination = output.data();
    unsigned long jpeg_size = bound;
    if (tjCompress2(compressor(), matrice_rgb_24bpp, int(larghezza), int(3 * larghezza),
                    int(altezza), TJPF_BGR, &destination, &jpeg_size, jpeg_subsampling,
                    jpeg_quality, TJFLAG_NOREALLOC) != 0)
        return false;
    return write_file_atomically(file_jpg_da_scrivere, destination, jpeg_size);
}

int GetEncoderClsid(const char *format)
{
    if (format == nullptr)
        return -1;
    for (int i = 0; i < int(std::size(encoders)); ++i)
        if (std::strcmp(encoders[i], format) == 0)
            return i;
    return -1;
}
