// Picture files: decoding every kind of picture into the packed frame buffer, the start-up
// exits, and the quality-100 JPEG writer.
#include "picture_files.h"

#include "frame_buffer.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

// A picture with detail in every channel, so a wrong stride or byte order shows.
Bytes pattern(int width, int height)
{
    Bytes bgr(size_t(width) * height * 3);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            uint8_t *p = &bgr[(size_t(r) * width + c) * 3];
            p[0] = uint8_t(c * 7 + r);
            p[1] = uint8_t(r * 5);
            p[2] = uint8_t((c / 8 + r / 8) % 2 ? 220 : 30);
        }
    return bgr;
}

Bytes encode_jpeg(const Bytes &pixels, int width, int height, int pixel_format, int subsampling)
{
    tjhandle handle = tjInitCompress();
    unsigned char *jpeg = nullptr;
    unsigned long size = 0;
    const int pitch = width * tjPixelSize[pixel_format];
    EXPECT_EQ(tjCompress2(handle, pixels.data(), width, pitch, height, pixel_format, &jpeg, &size,
                          subsampling, 90, 0),
              0);
    Bytes out(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(handle);
    return out;
}

Bytes colour_jpeg(int width, int height)
{
    return encode_jpeg(pattern(width, height), width, height, TJPF_BGR, TJSAMP_420);
}

// Independent decode of a JPEG at the given output size, as the reference.
Bytes reference_decode(const Bytes &jpeg, int width, int height, int pixel_format = TJPF_BGR)
{
    tjhandle handle = tjInitDecompress();
    Bytes out(size_t(width) * height * tjPixelSize[pixel_format]);
    tjDecompress2(handle, jpeg.data(), jpeg.size(), out.data(), width, 0, height, pixel_format, 0);
    tjDestroy(handle);
    return out;
}

Bytes encode_qimage(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return Bytes(bytes.begin(), bytes.end());
}

Bytes frame_prefix(size_t bytes)
{
    return Bytes(matrice_rgb_24bpp_originale, matrice_rgb_24bpp_originale + bytes);
}

struct Decoded {
    bool ok;
    uint32_t rows, columns;
};

Decoded decode(const Bytes &bytes)
{
    Decoded d{false, 0, 0};
    d.ok = decode_picture(bytes.data(), bytes.size(), matrice_rgb_24bpp_originale, d.rows,
                          d.columns);
    return d;
}

class PictureFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("orvex_pictures_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::fill_n(matrice_rgb_24bpp_originale, frame_buffer_size, uint8_t(0xAB));
        altezza = larghezza = 0;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string file(const std::string &name, const Bytes &bytes)
    {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }
    Bytes read(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir;
};

TEST_F(PictureFiles, JpegSetsTheSizeAndRewritesOnlyItsOwnBytes)
{
    const Bytes jpeg = colour_jpeg(640, 480);
    Lettura_Immagine_JPG(file("Connecting.jpg", jpeg).c_str(), matrice_rgb_24bpp_originale);
    EXPECT_EQ(altezza, 480u);
    EXPECT_EQ(larghezza, 640u);
    EXPECT_EQ(frame_prefix(921600), reference_decode(jpeg, 640, 480));
    EXPECT_TRUE(std::all_of(matrice_rgb_24bpp_originale + 921600,
                            matrice_rgb_24bpp_originale + frame_buffer_size,
                            [](uint8_t b) { return b == 0xAB; }));
}

// A lossless picture drawn as text: each letter one pixel, five columns (not a multiple of 4).
const char *const letters[] = {
    "RGBWK",
    "KRGBW",
    "yKRGB",
};

QRgb colour_of(char letter)
{
    switch (letter) {
    case 'R': return qRgb(255, 0, 0);
    case 'G': return qRgb(0, 255, 0);
    case 'B': return qRgb(0, 0, 255);
    case 'W': return qRgb(255, 255, 255);
    case 'y': return qRgb(200, 180, 10);
    default: return qRgb(0, 0, 0);
    }
}

QImage letters_image(QImage::Format format)
{
    QImage image(5, 3, format);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            image.setPixel(c, r, colour_of(letters[r][c]));
    return image;
}

void expect_letters_in_frame()
{
    ASSERT_EQ(altezza, 3u);
    ASSERT_EQ(larghezza, 5u);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c) {
            const uint8_t *p = &matrice_rgb_24bpp_originale[(r * 5 + c) * 3];
            const QRgb want = colour_of(letters[r][c]);
            EXPECT_EQ((std::vector<int>{p[0], p[1], p[2]}),
                      (std::vector<int>{qBlue(want), qGreen(want), qRed(want)}))
                << "row " << r << " column " << c;
        }
    EXPECT_EQ(matrice_rgb_24bpp_originale[45], 0xAB); // packed: nothing past 5 x 3 x 3 bytes
}

TEST_F(PictureFiles, PngStoredAsConnectingJpgIsReadLikeAJpeg)
{
    const Bytes png = encode_qimage(letters_image(QImage::Format_RGB32), "PNG");
    const std::string path = file("Connecting.jpg", png);
    Lettura_Immagine_JPG(path.c_str(), matrice_rgb_24bpp_originale);
    expect_letters_in_frame();
}

TEST_F(PictureFiles, OtherFormatsAndAlphaBecomeThreeBytesPerPixel)
{
    for (const auto &[format, codec] :
         {std::pair{QImage::Format_ARGB32, "PNG"}, std::pair{QImage::Format_Indexed8, "PNG"},
          std::pair{QImage::Format_RGB32, "BMP"}, std::pair{QImage::Format_RGB32, "PPM"}}) {
        SCOPED_TRACE(std::string(codec) + " format " + std::to_string(int(format)));
        QImage image = letters_image(QImage::Format_RGB32).convertToFormat(format);
        const Decoded d = decode(encode_qimage(image, codec));
        ASSERT_TRUE(d.ok);
        altezza = d.rows;
        larghezza = d.columns;
        expect_letters_in_frame();
    }
}

TEST_F(PictureFiles, CmykJpegIsDecodedToo)
{
    const Bytes cmyk(40 * 30 * 4, 0); // print pictures: TurboJPEG alone cannot give them as BGR
    const Decoded d = decode(encode_jpeg(cmyk, 40, 30, TJPF_CMYK, TJSAMP_444));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rows, 30u);
    EXPECT_EQ(d.columns, 40u);
    EXPECT_EQ(matrice_rgb_24bpp_originale[40 * 30 * 3], 0xAB);
}

TEST_F(PictureFiles, GrayscalePicturesGiveThreeEqualBytes)
{
    Bytes gray(33 * 9);
    for (size_t i = 0; i < gray.size(); ++i)
        gray[i] = uint8_t(i * 13);
    const Bytes jpeg = encode_jpeg(gray, 33, 9, TJPF_GRAY, TJSAMP_GRAY);
    QImage png(33, 9, QImage::Format_Grayscale8);
    for (int r = 0; r < 9; ++r)
        std::copy_n(&gray[size_t(r) * 33], 33, png.scanLine(r));

    for (const auto &[bytes, expected] :
         {std::pair{jpeg, reference_decode(jpeg, 33, 9, TJPF_GRAY)},
          std::pair{encode_qimage(png, "PNG"), gray}}) {
        const Decoded d = decode(bytes);
        ASSERT_TRUE(d.ok);
        ASSERT_EQ(d.rows, 9u);
        ASSERT_EQ(d.columns, 33u);
        for (size_t p = 0; p < expected.size(); ++p) {
            const uint8_t *px = &matrice_rgb_24bpp_originale[3 * p];
            ASSERT_EQ((std::vector<int>{px[0], px[1], px[2]}),
                      (std::vector<int>(3, expected[p])))
                << "pixel " << p;
        }
    }
}

TEST_F(PictureFiles, AnyJpegWidthDecodesPacked)
{
    for (const auto &[width, height] : {std::pair{1, 5}, std::pair{3, 7}, std::pair{641, 3},
                                        std::pair{1001, 2}, std::pair{1920, 1200}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const Bytes jpeg = colour_jpeg(width, height);
        const Decoded d = decode(jpeg);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.rows, uint32_t(height));
        EXPECT_EQ(d.columns, uint32_t(width));
        EXPECT_EQ(frame_prefix(size_t(width) * height * 3), reference_decode(jpeg, width, height));
    }
}

TEST_F(PictureFiles, JpegLargerThanTheBufferIsScaledAtDecodeTime)
{
    // Expected sizes: the largest TurboJPEG factor (n/8, rounded up) that fits 2,304,000 pixels.
    struct Case {
        int width, height;
        uint32_t rows, columns;
    };
    for (const Case &c : {Case{2048, 1536, 1152, 1536}, Case{1921, 1200, 1050, 1681},
                          Case{4000, 600, 525, 3500}, Case{5000, 4000, 1000, 1250}}) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const Bytes jpeg = colour_jpeg(c.width, c.height);
        const Decoded d = decode(jpeg);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.rows, c.rows);
        EXPECT_EQ(d.columns, c.columns);
        ASSERT_LE(uint64_t(d.rows) * d.columns, plane_size);
        EXPECT_EQ(frame_prefix(size_t(d.rows) * d.columns * 3),
                  reference_decode(jpeg, int(d.columns), int(d.rows)));
    }
}

TEST_F(PictureFiles, OtherPictureLargerThanTheBufferIsScaledKeepingItsAspect)
{
    // Both sides scaled by sqrt(2,304,000 / pixels), rounded down; a single row stays one row.
    struct Case {
        int width, height;
        const char *codec;
        uint32_t rows, columns;
    };
    for (const Case &c : {Case{4000, 1000, "PNG", 758, 3035}, Case{1921, 1201, "PNG", 1200, 1919},
                          Case{2400000, 1, "BMP", 1, 2304000}}) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        QImage image(c.width, c.height, QImage::Format_RGB32);
        image.fill(qRgb(10, 20, 30));
        const Decoded d = decode(encode_qimage(image, c.codec));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.rows, c.rows);
        EXPECT_EQ(d.columns, c.columns);
        const size_t pixels = size_t(d.rows) * d.columns;
        const uint8_t *last = &matrice_rgb_24bpp_originale[(pixels - 1) * 3];
        EXPECT_EQ((std::vector<int>{last[0], last[1], last[2]}), (std::vector<int>{30, 20, 10}));
        if (pixels < plane_size) {
            EXPECT_EQ(matrice_rgb_24bpp_originale[pixels * 3], 0xAB);
        }
    }
}

TEST_F(PictureFiles, JpegWithStrayBytesBeforeItsEndMarkerStillDecodes)
{
    const Bytes jpeg = colour_jpeg(64, 48);
    Bytes stray(jpeg.begin(), jpeg.end() - 2);
    stray.insert(stray.end(), {0x00, 0x17, 0xFF, 0xD9}); // two bytes no segment claims
    const Decoded d = decode(stray);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(frame_prefix(64 * 48 * 3), reference_decode(jpeg, 64, 48));
}

// Copies a JPEG with the frame size in its SOF header replaced, and no picture data behind it
// that could matter: the size alone must decide.
Bytes with_header_size(Bytes jpeg, int width, int height)
{
    for (size_t i = 2; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = uint8_t(height >> 8);
            jpeg[i + 6] = uint8_t(height);
            jpeg[i + 7] = uint8_t(width >> 8);
            jpeg[i + 8] = uint8_t(width);
            break;
        }
    return jpeg;
}

TEST_F(PictureFiles, BytesThatAreNotAPictureAreRefused)
{
    const Bytes jpeg = colour_jpeg(64, 48);
    const Bytes big_jpeg = colour_jpeg(640, 480);
    const Bytes png = encode_qimage(letters_image(QImage::Format_RGB32), "PNG");
    const Bytes text = {'<', 'h', 't', 'm', 'l', '>', 'n', 'o', '<', '/', 'h', 't', 'm', 'l', '>'};
    struct Case {
        const char *what;
        Bytes bytes;
    };
    const auto first = [](const Bytes &b, size_t n) {
        return Bytes(b.begin(), b.begin() + long(n));
    };
    for (const Case &c : {Case{"empty", {}},
                          Case{"text", text},
                          Case{"jpeg cut before its scan", first(jpeg, jpeg.size() / 2)},
                          Case{"jpeg cut in its scan", first(big_jpeg, big_jpeg.size() * 3 / 5)},
                          Case{"jpeg start marker only", first(jpeg, 3)},
                          Case{"png cut in half", first(png, png.size() / 2)},
                          Case{"jpeg of 60000 x 60000", with_header_size(jpeg, 60000, 60000)}}) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(decode(c.bytes).ok);
    }
}

TEST_F(PictureFiles, MissingOrUndecodableStartUpPictureEndsWithExitCode1)
{
    const Bytes jpeg = colour_jpeg(64, 48);
    const std::string paths[] = {
        (dir / "missing.jpg").string(),
        file("empty.jpg", {}),
        file("text.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}),
        file("cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + 200)),
        dir.string(), // a folder under the picture's name
    };
    for (const std::string &path : paths) {
        SCOPED_TRACE(path);
        EXPECT_EXIT(Lettura_Immagine_JPG(path.c_str(), matrice_rgb_24bpp_originale),
                    ::testing::ExitedWithCode(1), "");
    }
}

// All quantisation values of every DQT segment before the scan, or empty if there is none.
std::vector<int> quantisation_values(const Bytes &jpeg)
{
    std::vector<int> values;
    size_t i = 2;
    while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF && jpeg[i + 1] != 0xDA) {
        const size_t length = size_t(jpeg[i + 2]) << 8 | jpeg[i + 3];
        if (jpeg[i + 1] == 0xDB)
            for (size_t t = i + 4; t < i + 2 + length;) {
                const bool sixteen_bit = jpeg[t] >> 4;
                ++t;
                for (int k = 0; k < 64; ++k, t += sixteen_bit ? 2 : 1)
                    values.push_back(sixteen_bit ? jpeg[t] << 8 | jpeg[t + 1] : jpeg[t]);
            }
        i += 2 + length;
    }
    return values;
}

TEST_F(PictureFiles, WrittenJpegHasTheFrameSizeAndQuality100Tables)
{
    for (const auto &[width, height] :
         {std::pair{641, 479}, std::pair{640, 480}, std::pair{1, 1}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const Bytes frame = pattern(width, height);
        std::copy(frame.begin(), frame.end(), matrice_rgb_24bpp_originale);
        larghezza = uint32_t(width);
        altezza = uint32_t(height);
        const std::string path = (dir / "Last_Image.jpg").string();
        ASSERT_TRUE(Scrittura_Immagine_JPG(path.c_str(), matrice_rgb_24bpp_originale));

        const Bytes jpeg = read(path);
        tjhandle handle = tjInitDecompress();
        int w = 0, h = 0, subsampling = -1, colorspace = -1;
        ASSERT_EQ(tjDecompressHeader3(handle, jpeg.data(), jpeg.size(), &w, &h, &subsampling,
                                      &colorspace),
                  0);
        tjDestroy(handle);
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
        EXPECT_EQ(subsampling, TJSAMP_444);
        const std::vector<int> q = quantisation_values(jpeg);
        EXPECT_EQ(q.size(), 128u); // luminance and chrominance
        EXPECT_TRUE(std::all_of(q.begin(), q.end(), [](int v) { return v == 1; }));

        const Bytes back = reference_decode(jpeg, width, height);
        int worst = 0;
        for (size_t i = 0; i < frame.size(); ++i)
            worst = std::max(worst, std::abs(int(back[i]) - int(frame[i])));
        EXPECT_LE(worst, 8);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1)
            << "no temporary file left beside it";
    }
}

TEST_F(PictureFiles, WriterReportsWhatItCannotWrite)
{
    larghezza = 64;
    altezza = 48;
    EXPECT_FALSE(Scrittura_Immagine_JPG((dir / "no_folder" / "Last_Image.jpg").c_str(),
                                        matrice_rgb_24bpp_originale));
    const std::string path = (dir / "Last_Image.jpg").string();
    for (const auto &[rows, columns] : {std::pair{0u, 64u}, std::pair{48u, 0u},
                                        std::pair{1201u, 1920u}}) {
        altezza = rows;
        larghezza = columns;
        EXPECT_FALSE(Scrittura_Immagine_JPG(path.c_str(), matrice_rgb_24bpp_originale));
    }
    EXPECT_FALSE(fs::exists(path));
}

TEST(EncoderLookup, ExactCaseSensitiveMimeType)
{
    struct Case {
        const char *format;
        int index;
    };
    for (const Case &c : {Case{"image/jpeg", 0}, Case{"image/JPEG", -1}, Case{"Image/jpeg", -1},
                          Case{"image/jpeg ", -1}, Case{"image/jpg", -1}, Case{"image/png", -1},
                          Case{"", -1}, Case{nullptr, -1}}) {
        SCOPED_TRACE(c.format ? c.format : "null");
        EXPECT_EQ(GetEncoderClsid(c.format), c.index);
    }
}

} // namespace
