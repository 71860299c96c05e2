// Speed of the mass stages: labelling with merging, geometry, tracking with the archive copy,
// and the overlay, on intruding-pixel planes shaped like a few people plus scattered noise.
#include "frame_buffer.h"
#include "mass_geometry.h"
#include "mass_labelling.h"
#include "mass_tracking.h"
#include "parameters.h"
#include "tracking_overlay.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

void use_default_parameters()
{
    for (const ParameterSlot &slot : parameter_slots)
        *slot.value = slot.default_value;
}

void add_ellipse(std::vector<uint8_t> &plane, uint32_t width, uint32_t height, double row,
                 double column, double half_height, double half_width, std::mt19937 &random)
{
    std::uniform_int_distribution<int> dropout(0, 9);
    for (uint32_t r = 0; r < height; ++r)
        for (uint32_t c = 0; c < width; ++c) {
            const double dr = (r - row) / half_height, dc = (c - column) / half_width;
            if (dr * dr + dc * dc <= 1.0 && dropout(random) != 0) // the classifier misses some
                plane[r * width + c] = 1;
        }
}

// About 2 % intruding pixels: person-sized blobs (a fifth of the height tall) with holes, and
// one scattered noise pixel in 20,000.
std::vector<uint8_t> people_scene(uint32_t width, uint32_t height)
{
    std::mt19937 random(width * 7919u + height);
    std::vector<uint8_t> plane(size_t(width) * height, 0);
    const double tall = height / 10.0, wide = height / 30.0;
    std::uniform_real_distribution<double> row(tall, height - tall), column(wide, width - wide);
    auto intruding = [&] {
        size_t count = 0;
        for (uint8_t pixel : plane)
            count += pixel;
        return count;
    };
    while (intruding() < plane.size() * 18 / 1000)
        add_ellipse(plane, width, height, row(random), column(random), tall, wide, random);
    std::uniform_int_distribution<size_t> anywhere(0, plane.size() - 1);
    for (size_t k = 0; k < plane.size() / 20000; ++k)
        plane[anywhere(random)] = 1;
    return plane;
}

// A grid of 16 x 16 squares far enough apart to stay separate masses, each accepted by the
// default limits. A 16 x 16 grid gives 254 masses to track and draw; a 20 x 20 grid gives 400
// seeds, so the label byte wraps and shared labels chain the squares together.
std::vector<uint8_t> grid_scene(uint32_t width, uint32_t height, uint32_t grid)
{
    std::vector<uint8_t> plane(size_t(width) * height, 0);
    for (uint32_t i = 0; i < grid; ++i)
        for (uint32_t j = 0; j < grid; ++j) {
            const uint32_t r0 = 10 + i * (height / grid), c0 = 10 + j * (width / grid);
            for (uint32_t r = r0; r < r0 + 16; ++r)
                for (uint32_t c = c0; c < c0 + 16; ++c)
                    plane[r * width + c] = 1;
        }
    return plane;
}

void load_scene(const std::vector<uint8_t> &plane)
{
    std::memcpy(matrice_grayscale_dei_pixel_intrusi_8bpp, plane.data(), plane.size());
}

void count_masses(benchmark::State &state)
{
    state.counters["masses"] = enumerazione_delle_masse_intruse_corrente;
}

// Labelling, merging and geometry; the intruding plane is consumed, so it is reloaded untimed.
void BM_Tracking_Masses(benchmark::State &state)
{
    use_default_parameters();
    larghezza = uint32_t(state.range(0));
    altezza = uint32_t(state.range(1));
    const std::vector<uint8_t> scene = people_scene(larghezza, altezza);
    for (auto _ : state) {
        state.PauseTiming();
        load_scene(scene);
        state.ResumeTiming();
        Elaborazione_Delle_Masse_Intruse();
        Elaborazione_Dei_Dati_Geometrici();
        benchmark::ClobberMemory();
    }
    count_masses(state);
    size_t intruding = 0;
    for (uint8_t pixel : scene)
        intruding += pixel;
    state.counters["intruding_%"] = 100.0 * double(intruding) / double(scene.size());
}

// Tracking against the previous frame's masses, the archive copy, and the overlay.
void BM_Tracking_FollowAndDraw(benchmark::State &state)
{
    use_default_parameters();
    larghezza = uint32_t(state.range(0));
    altezza = uint32_t(state.range(1));
    load_scene(people_scene(larghezza, altezza));
    Elaborazione_Delle_Masse_Intruse();
    Elaborazione_Dei_Dati_Geometrici();
    enumerazione_delle_masse_intruse_archivio = 0;
    for (auto _ : state) {
        Elaborazione_Dei_Dati_Cinematici();
        Archiviazione_Dei_Dati_Cinematici();
        Incastonatura_Dei_Dati_Cinematici(matrice_rgb_24bpp_originale, altezza, larghezza);
        benchmark::ClobberMemory();
    }
    count_masses(state);
}

// The whole group as the armed frame runs it.
void run_whole_group(benchmark::State &state, const std::vector<uint8_t> &scene)
{
    enumerazione_delle_masse_intruse_archivio = 0;
    for (auto _ : state) {
        state.PauseTiming();
        load_scene(scene);
        state.ResumeTiming();
        Elaborazione_Delle_Masse_Intruse();
        Elaborazione_Dei_Dati_Geometrici();
        Elaborazione_Dei_Dati_Cinematici();
        Archiviazione_Dei_Dati_Cinematici();
        Incastonatura_Dei_Dati_Cinematici(matrice_rgb_24bpp_originale, altezza, larghezza);
        benchmark::ClobberMemory();
    }
    count_masses(state);
}

void BM_Tracking_WholeGroup(benchmark::State &state)
{
    use_default_parameters();
    larghezza = uint32_t(state.range(0));
    altezza = uint32_t(state.range(1));
    run_whole_group(state, people_scene(larghezza, altezza));
}

void BM_Tracking_WholeGroupManySeeds(benchmark::State &state)
{
    use_default_parameters();
    larghezza = max_columns;
    altezza = max_rows;
    run_whole_group(state, grid_scene(larghezza, altezza, uint32_t(state.range(0))));
}

// Every pixel intruding, as when the light changes at once: the fill does the most work.
void BM_Tracking_WholeGroupFullPlane(benchmark::State &state)
{
    use_default_parameters();
    larghezza = max_columns;
    altezza = max_rows;
    run_whole_group(state, std::vector<uint8_t>(plane_size, 1));
}

void frame_sizes(benchmark::internal::Benchmark *b)
{
    b->ArgNames({"w", "h"})->Args({640, 480})->Args({1280, 720})->Args({1920, 1200});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Tracking_Masses)->Apply(frame_sizes);
BENCHMARK(BM_Tracking_FollowAndDraw)->Apply(frame_sizes);
BENCHMARK(BM_Tracking_WholeGroup)->Apply(frame_sizes);
BENCHMARK(BM_Tracking_WholeGroupManySeeds)
    ->ArgName("grid")
    ->Arg(16)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tracking_WholeGroupFullPlane)->Unit(benchmark::kMillisecond);

} // namespace
