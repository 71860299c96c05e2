// Speed of one whole armed frame at each size: decoding the camera's JPEG, the analysis from
// the plane split to the overlay, and writing the latest-image file.
#include "frame_buffer.h"
#include "frame_sequence.h"
#include "mass_labelling.h"
#include "parameters.h"
#include "picture_files.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string scratch_jpeg = "/tmp/orvex_bench_frame.jpg";

void use_defaults()
{
    for (const auto &slot : parameter_slots)
        *slot.value = slot.default_value;
    std::fill_n(matrice_grayscale_dei_pixel_sensibili_8bpp, plane_size, uint8_t(1));
}

// A street-like picture with sensor noise; `step` moves a dark person-sized block.
void render(uint32_t width, uint32_t height, uint32_t step)
{
    altezza = height;
    larghezza = width;
    uint32_t noise = 2463534242u + step;
    const uint32_t top = height / 3, bottom = top + height / 4;
    const uint32_t left = width / 4 + step * (width / 64), right = left + width / 24;
    for (uint32_t i = 0; i < height; ++i)
        for (uint32_t j = 0; j < width; ++j) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const int grain = int(noise % 7) - 3;
            int value = 110 + int((i / 16 + j / 32) % 3) * 25 + grain;
            if (i >= top && i < bottom && j >= left && j < right)
                value = 25 + grain;
            uint8_t *pixel = matrice_rgb_24bpp_originale + 3 * (size_t(i) * width + j);
            pixel[0] = uint8_t(value);
            pixel[1] = uint8_t(value + 10);
            pixel[2] = uint8_t(value + 20);
        }
}

std::vector<uint8_t> camera_jpeg(uint32_t width, uint32_t height)
{
    render(width, height, 0);
    Scrittura_Immagine_JPG(scratch_jpeg.c_str(), matrice_rgb_24bpp_originale);
    std::ifstream in(scratch_jpeg, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void BM_Frame_DecodeJpeg(benchmark::State &state)
{
    const std::vector<uint8_t> bytes = camera_jpeg(uint32_t(state.range(0)), uint32_t(state.range(1)));
    for (auto _ : state) {
        uint32_t rows = 0, columns = 0;
        decode_picture(bytes.data(), bytes.size(), matrice_rgb_24bpp_originale, rows, columns);
        benchmark::DoNotOptimize(rows);
    }
    state.counters["jpeg_kB"] = double(bytes.size()) / 1000.0;
}

void BM_Frame_ArmedAnalysis(benchmark::State &state)
{
    use_defaults();
    const uint32_t width = uint32_t(state.range(0)), height = uint32_t(state.range(1));
    render(width, height, 0);
    analyse_disarmed_frame();
    enumerazione_delle_masse_intruse_archivio = 0;
    uint32_t step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        render(width, height, ++step % 8);
        state.ResumeTiming();
        analyse_armed_frame(nullptr);
    }
    state.counters["masses"] = enumerazione_delle_masse_intruse_corrente;
}

void BM_Frame_SplitPlanes(benchmark::State &state)
{
    render(uint32_t(state.range(0)), uint32_t(state.range(1)), 0);
    for (auto _ : state) {
        Estrazione_Matrici_Red_Green_Blue_8bpp(matrice_rgb_24bpp_originale, matrice_red_8bpp,
                                               matrice_green_8bpp, matrice_blue_8bpp, altezza,
                                               larghezza);
        benchmark::ClobberMemory();
    }
}

void BM_Frame_MarkInsensitive(benchmark::State &state)
{
    render(uint32_t(state.range(0)), uint32_t(state.range(1)), 0);
    // Half the picture insensitive, in stripes, as a painted mask would leave it.
    for (uint32_t p = 0; p < altezza * larghezza; ++p)
        matrice_grayscale_dei_pixel_sensibili_8bpp[p] = uint8_t((p / 64) % 2);
    for (auto _ : state) {
        Marcatura_Dei_Pixel_Non_Sensibili(matrice_rgb_24bpp_originale,
                                          matrice_grayscale_dei_pixel_sensibili_8bpp, altezza,
                                          larghezza);
        benchmark::ClobberMemory();
    }
}

void BM_Frame_WriteLatestImage(benchmark::State &state)
{
    render(uint32_t(state.range(0)), uint32_t(state.range(1)), 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(Scrittura_Immagine_JPG(scratch_jpeg.c_str(), matrice_rgb_24bpp_originale));
    std::remove(scratch_jpeg.c_str());
}

#define FRAME_SIZES Args({640, 480})->Args({1280, 720})->Args({1920, 1200})
BENCHMARK(BM_Frame_DecodeJpeg)->FRAME_SIZES->ArgNames({"w", "h"})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame_ArmedAnalysis)->FRAME_SIZES->ArgNames({"w", "h"})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame_SplitPlanes)->FRAME_SIZES->ArgNames({"w", "h"})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame_MarkInsensitive)->FRAME_SIZES->ArgNames({"w", "h"})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame_WriteLatestImage)->FRAME_SIZES->ArgNames({"w", "h"})->Unit(benchmark::kMillisecond);

} // namespace
