// Speed of the analysis stages (smoothing, intruding pixels, background) on a generated scene,
// each beside a memcpy of the frame buffer measured in the same run as the memory floor.
#include "background.h"
#include "box_filter.h"
#include "frame_buffer.h"
#include "intruding_pixels.h"
#include "mass_labelling.h"
#include "parameters.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

namespace {

uint8_t copy_target[frame_buffer_size];

// Median time of a memcpy of the frame buffer at this frame size, measured once per run.
double memcpy_floor_seconds(uint32_t pixels)
{
    static std::map<uint32_t, double> measured;
    if (auto it = measured.find(pixels); it != measured.end())
        return it->second;
    std::vector<double> times;
    for (int k = 0; k < 31; ++k) {
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(copy_target, matrice_rgb_24bpp_originale, size_t(3) * pixels);
        benchmark::ClobberMemory();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
                            .count());
    }
    std::nth_element(times.begin(), times.begin() + 15, times.end());
    return measured[pixels] = times[15];
}

// Prints the floor beside the figure, so each time reads as a multiple of it.
void report_against_floor(benchmark::State &state)
{
    state.counters["memcpy_ms"] = memcpy_floor_seconds(altezza * larghezza) * 1e3;
}

// A deterministic picture: a textured wall with a floor gradient, a person-sized object whose
// place depends on the frame number, and sensor noise of a few levels.
void draw_scene(uint32_t width, uint32_t height, uint32_t frame)
{
    uint32_t noise = 12345u + frame * 7919u;
    const double object_row = height * 0.35, object_column = width * (0.3 + 0.02 * frame);
    const double half_height = height / 8.0, half_width = height / 24.0;
    for (uint32_t i = 0; i < height; ++i)
        for (uint32_t j = 0; j < width; ++j) {
            const bool brick = ((i / 24) + (j / 48)) % 2 == 0;
            const double shade = 0.6 + 0.4 * std::sin(i * 0.013) * std::cos(j * 0.007);
            double b = (brick ? 95 : 70) * shade + 20, g = (brick ? 120 : 90) * shade + 20,
                   r = (brick ? 150 : 110) * shade + 25;
            const double dr = (i - object_row) / half_height, dc = (j - object_column) / half_width;
            if (dr * dr + dc * dc <= 1.0) { // a person in a dark blue coat
                b = 110;
                g = 60;
                r = 45;
            }
            uint8_t *pixel = matrice_rgb_24bpp_originale + 3 * (size_t(i) * width + j);
            const double channel[3] = {b, g, r};
            for (int k = 0; k < 3; ++k) {
                noise = noise * 1664525u + 1013904223u;
                const int level = int(channel[k]) + int(noise >> 29) - 4; // -4 ... +3
                pixel[k] = uint8_t(std::clamp(level, 0, 255));
            }
        }
}

void filter_planes(uint32_t radius)
{
    Filtrazione_Della_Matrice_Grayscale(matrice_red_8bpp, matrice_red_filtrata_8bpp, altezza,
                                        larghezza, radius);
    Filtrazione_Della_Matrice_Grayscale(matrice_green_8bpp, matrice_green_filtrata_8bpp, altezza,
                                        larghezza, radius);
    Filtrazione_Della_Matrice_Grayscale(matrice_blue_8bpp, matrice_blue_filtrata_8bpp, altezza,
                                        larghezza, radius);
}

// Background from frame 0, current filtered planes from frame 1, the top eighth insensitive.
void prepare(uint32_t width, uint32_t height)
{
    for (const ParameterSlot &slot : parameter_slots)
        *slot.value = slot.default_value;
    larghezza = width;
    altezza = height;
    const uint32_t n = width * height;
    draw_scene(width, height, 0);
    Estrazione_Matrici_Red_Green_Blue_8bpp(matrice_rgb_24bpp_originale, matrice_red_8bpp,
                                           matrice_green_8bpp, matrice_blue_8bpp, height, width);
    filter_planes(raggio_della_filtrazione_immagine);
    std::memcpy(matrice_red_dello_sfondo_8bpp, matrice_red_filtrata_8bpp, n);
    std::memcpy(matrice_green_dello_sfondo_8bpp, matrice_green_filtrata_8bpp, n);
    std::memcpy(matrice_blue_dello_sfondo_8bpp, matrice_blue_filtrata_8bpp, n);
    draw_scene(width, height, 1);
    Estrazione_Matrici_Red_Green_Blue_8bpp(matrice_rgb_24bpp_originale, matrice_red_8bpp,
                                           matrice_green_8bpp, matrice_blue_8bpp, height, width);
    filter_planes(raggio_della_filtrazione_immagine);
    std::memset(matrice_grayscale_dei_pixel_sensibili_8bpp, 1, n);
    std::memset(matrice_grayscale_dei_pixel_sensibili_8bpp, 0, n / 8);
}

void BM_Memcpy_Floor(benchmark::State &state)
{
    prepare(uint32_t(state.range(0)), uint32_t(state.range(1)));
    const size_t bytes = size_t(3) * altezza * larghezza;
    for (auto _ : state) {
        std::memcpy(copy_target, matrice_rgb_24bpp_originale, bytes);
        benchmark::ClobberMemory();
    }
    report_against_floor(state);
}

// The three filter calls of one frame.
void BM_Analysis_Filter(benchmark::State &state)
{
    prepare(uint32_t(state.range(0)), uint32_t(state.range(1)));
    const auto radius = uint32_t(state.range(2));
    for (auto _ : state) {
        filter_planes(radius);
        benchmark::ClobberMemory();
    }
    report_against_floor(state);
}

void BM_Analysis_Classify(benchmark::State &state)
{
    prepare(uint32_t(state.range(0)), uint32_t(state.range(1)));
    const auto threshold = uint32_t(state.range(2));
    for (auto _ : state) {
        Individuazione_Dei_Pixel_Intrusi(
            matrice_red_dello_sfondo_8bpp, matrice_green_dello_sfondo_8bpp,
            matrice_blue_dello_sfondo_8bpp, matrice_red_filtrata_8bpp, matrice_green_filtrata_8bpp,
            matrice_blue_filtrata_8bpp, matrice_grayscale_dei_pixel_sensibili_8bpp,
            matrice_grayscale_dei_pixel_intrusi_8bpp, altezza, larghezza, threshold,
            variazione_angolare_rgb_sospetta, variazione_modulare_rgb_sospetta);
        benchmark::ClobberMemory();
    }
    size_t intruding = 0;
    for (uint32_t p = 0; p < altezza * larghezza; ++p)
        intruding += matrice_grayscale_dei_pixel_intrusi_8bpp[p];
    state.counters["intruding_%"] = 100.0 * double(intruding) / (altezza * larghezza);
    report_against_floor(state);
}

// One adaptation step at 12 %, from the same background each time.
void BM_Analysis_Adapt(benchmark::State &state)
{
    prepare(uint32_t(state.range(0)), uint32_t(state.range(1)));
    sostituzione_oppure_aggiornamento_dello_sfondo = 15;
    const uint32_t n = altezza * larghezza;
    std::vector<uint8_t> saved(size_t(3) * n);
    std::memcpy(saved.data(), matrice_red_dello_sfondo_8bpp, n);
    std::memcpy(saved.data() + n, matrice_green_dello_sfondo_8bpp, n);
    std::memcpy(saved.data() + 2 * n, matrice_blue_dello_sfondo_8bpp, n);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(matrice_red_dello_sfondo_8bpp, saved.data(), n);
        std::memcpy(matrice_green_dello_sfondo_8bpp, saved.data() + n, n);
        std::memcpy(matrice_blue_dello_sfondo_8bpp, saved.data() + 2 * n, n);
        state.ResumeTiming();
        Sostituzione_Oppure_Aggiornamento_Dello_Sfondo();
        benchmark::ClobberMemory();
    }
    report_against_floor(state);
}

// A frame on which the period has elapsed (mode 10, 7 frames, no masses).
void BM_Analysis_Replace(benchmark::State &state)
{
    prepare(uint32_t(state.range(0)), uint32_t(state.range(1)));
    sostituzione_oppure_aggiornamento_dello_sfondo = 10;
    frames_per_secondo = 1;
    enumerazione_delle_masse_intruse_corrente = 0;
    for (auto _ : state) {
        numero_di_frames_attualmente_elaborati = 7;
        Sostituzione_Oppure_Aggiornamento_Dello_Sfondo();
        benchmark::ClobberMemory();
    }
    report_against_floor(state);
}

constexpr int64_t sizes[3][2] = {{640, 480}, {1280, 720}, {1920, 1200}};

void with_sizes(benchmark::internal::Benchmark *b, std::vector<int64_t> third = {})
{
    for (const auto &size : sizes) {
        if (third.empty())
            b->Args({size[0], size[1]});
        for (int64_t value : third)
            b->Args({size[0], size[1], value});
    }
    b->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_Memcpy_Floor)->ArgNames({"w", "h"})->Apply([](auto *b) { with_sizes(b); });
BENCHMARK(BM_Analysis_Filter)->ArgNames({"w", "h", "r"})->Apply([](auto *b) {
    with_sizes(b, {2, 15});
});
BENCHMARK(BM_Analysis_Classify)->ArgNames({"w", "h", "T"})->Apply([](auto *b) {
    with_sizes(b, {450, 100});
});
BENCHMARK(BM_Analysis_Adapt)->ArgNames({"w", "h"})->Apply([](auto *b) { with_sizes(b); });
BENCHMARK(BM_Analysis_Replace)->ArgNames({"w", "h"})->Apply([](auto *b) { with_sizes(b); });

} // namespace
