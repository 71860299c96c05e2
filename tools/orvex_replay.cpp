// orvex-replay: runs recorded frames through the same analysis the window runs, without a
// window, and prints the masses of every armed frame; optionally writes the overlaid frames.
#include "frame_buffer.h"
#include "frame_sequence.h"
#include "mass_labelling.h"
#include "parameters.h"
#include "picture_files.h"
#include "sensitivity_mask.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr const char *usage_text =
    "Usage: orvex-replay [options] FRAME.jpg...\n"
    "Runs the frames in order: the first ones disarmed (learning the background), the rest armed.\n"
    "  --parameters FILE  parameter file (80 bytes); default: every default value\n"
    "  --mask FILE        sensitivity mask (2,304,000 bytes); default: all sensitive\n"
    "  --arm-at N         first armed frame, counted from 1 (default: 5)\n"
    "  --out DIR          write every frame as shown (marked, with the overlay) to DIR\n";

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "orvex-replay: %s\n\n%s", message.c_str(), usage_text);
    std::exit(2);
}

bool load_frame(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    return decode_picture(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(),
                          matrice_rgb_24bpp_originale, altezza, larghezza);
}

const char *state_of(uint32_t tracking)
{
    if (tracking >= 1000000)
        return "rejected";
    return tracking >= tracciamenti_consecutivi_validanti ? "confirmed" : "candidate";
}

} // namespace

int main(int argc, char **argv)
{
    std::string parameters = "/nonexistent/Combo_Box_Parameters.bin";
    std::string mask;
    std::string out;
    unsigned long arm_at = 5;
    std::vector<std::string> frames;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage_text, stdout);
            return 0;
        } else if (arg == "--parameters" && has_value) {
            parameters = argv[++i];
        } else if (arg == "--mask" && has_value) {
            mask = argv[++i];
        } else if (arg == "--out" && has_value) {
            out = argv[++i];
        } else if (arg == "--arm-at" && has_value) {
            char *end = nullptr;
            arm_at = std::strtoul(argv[++i], &end, 10);
            if (*end != '\0' || arm_at == 0)
                fail("bad --arm-at value");
        } else if (arg.rfind("--", 0) == 0) {
            fail("unknown option or missing value: " + arg);
        } else {
            frames.push_back(arg);
        }
    }
    if (frames.empty())
        fail("no frames given");

    Lettura_Dei_Parametri(parameters.c_str());
    if (mask.empty())
        std::memset(matrice_grayscale_dei_pixel_sensibili_8bpp, 1, plane_size);
    else
        read_sensitivity_mask(mask.c_str());

    for (size_t k = 0; k < frames.size(); ++k) {
        if (!load_frame(frames[k])) {
            std::fprintf(stderr, "orvex-replay: cannot read a picture from %s\n", frames[k].c_str());
            return 1;
        }
        const bool armed = k + 1 >= arm_at;
        if (k + 1 == arm_at)
            enumerazione_delle_masse_intruse_archivio = 0; // arming empties the tracking archive
        if (armed)
            analyse_armed_frame(nullptr);
        else
            analyse_disarmed_frame();

        std::printf("frame %zu %s %ux%u", k + 1, armed ? "armed" : "disarmed", larghezza, altezza);
        if (armed) {
            std::printf(" masses %u\n", unsigned(enumerazione_delle_masse_intruse_corrente));
            for (unsigned m = 1; m <= enumerazione_delle_masse_intruse_corrente; ++m)
                std::printf("  mass %u rows %u-%u columns %u-%u pixels %u tracking %u %s\n", m,
                            riga_minima_della_massa_intrusa_corrente[m],
                            riga_massima_della_massa_intrusa_corrente[m],
                            colonna_minima_della_massa_intrusa_corrente[m],
                            colonna_massima_della_massa_intrusa_corrente[m],
                            estensione_della_massa_intrusa_corrente[m],
                            tracciamento_della_massa_intrusa_corrente[m],
                            state_of(tracciamento_della_massa_intrusa_corrente[m]));
        } else {
            std::printf("\n");
        }
        if (!out.empty()) {
            char name[32];
            std::snprintf(name, sizeof name, "/frame_%06zu.jpg", k + 1);
            if (!Scrittura_Immagine_JPG((out + name).c_str(), matrice_rgb_24bpp_originale)) {
                std::fprintf(stderr, "orvex-replay: cannot write %s%s\n", out.c_str(), name);
                return 1;
            }
        }
    }
    return 0;
}
