// orvex-camera: a demo network camera on 127.0.0.1 serving GET /snapshot.jpg, either a synthetic
// scene (still wall and pavement, a person walking across now and then) or the JPEGs of a folder.
#include <httplib.h>
#include <turbojpeg.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>
#include <unistd.h>

namespace {

constexpr const char *usage_text =
    "Usage: orvex-camera [options]\n"
    "Serves http://127.0.0.1:PORT/snapshot.jpg, a JPEG snapshot per request.\n"
    "\n"
    "  --port N             listening port on 127.0.0.1 (default 8554; 0 picks a free one)\n"
    "  --size WxH           size of the synthetic scene (default 640x480)\n"
    "  --user U --password P  require these HTTP Basic credentials (401 otherwise)\n"
    "  --folder DIR         serve the .jpg files of DIR in name order, one per request, in turn\n"
    "  --status CODE        answer every request with this HTTP status and no picture\n"
    "  --time SECONDS       freeze the scene clock at this moment (repeatable pictures)\n"
    "  --help               show this text\n"
    "\n"
    "The scene: a person walks across for about 30 s, first 3 s after start, then after\n"
    "pauses of 6 s, at no more than 12 pixels a second, under a slowly changing light.\n";

// Scene timing, in seconds of the camera's clock.
constexpr double first_walk_at = 3.0;
constexpr double walk_duration = 30.0;
constexpr double pause_between_walks = 6.0;
constexpr double walk_speed = 12.0;         // pixels/s at 640 wide; the detector links <= 30 px/frame
constexpr double brightness_period = 90.0;  // one slow swing of the global light
constexpr double brightness_swing = 0.12;   // +-12 %
constexpr int noise_amplitude = 3;          // grey levels of sensor noise, either way

struct Options {
    int port = 8554;
    int width = 640;
    int height = 480;
    std::string user;
    std::string password;
    bool credentials = false;
    std::string folder;
    int status = 0;
    std::optional<double> frozen_time;
};

[[noreturn]] void fail_usage(const std::string &message)
{
    std::fprintf(stderr, "orvex-camera: %s\n\n%s", message.c_str(), usage_text);
    std::exit(2);
}

int parse_int(const std::string &text, const char *what, int low, int high)
{
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high)
        fail_usage(std::string("bad ") + what + ": " + text);
    return int(value);
}

Options parse_options(int argc, char **argv)
{
    Options o;
    bool user_given = false, password_given = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage_text, stdout);
            std::exit(0);
        }
        if (i + 1 >= argc)
            fail_usage("unknown option or missing value: " + arg);
        const std::string value = argv[++i];
        if (arg == "--port") {
            o.port = parse_int(value, "port", 0, 65535);
        } else if (arg == "--size") {
            const size_t x = value.find('x');
            if (x == std::string::npos)
                fail_usage("bad size: " + value);
            o.width = parse_int(value.substr(0, x), "width", 16, 4096);
            o.height = parse_int(value.substr(x + 1), "height", 16, 4096);
        } else if (arg == "--user") {
            o.user = value;
            user_given = true;
        } else if (arg == "--password") {
            o.password = value;
            password_given = true;
        } else if (arg == "--folder") {
            o.folder = value;
        } else if (arg == "--status") {
            o.status = parse_int(value, "status", 400, 599);
        } else if (arg == "--time") {
            char *end = nullptr;
            const double t = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !std::isfinite(t) || t < 0)
                fail_usage("bad time: " + value);
            o.frozen_time = t;
        } else {
            fail_usage("unknown option: " + arg);
        }
    }
    if (user_given != password_given)
        fail_usage("--user and --password go together");
    o.credentials = user_given;
    return o;
}

std::string base64(const std::string &in)
{
    static const char table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < in.size(); i += 3) {
        const uint32_t v = uint32_t(uint8_t(in[i])) << 16 | uint32_t(uint8_t(in[i + 1])) << 8 |
                           uint8_t(in[i + 2]);
        out += {table[v >> 18], table[v >> 12 & 63], table[v >> 6 & 63], table[v & 63]};
    }
    if (i + 1 == in.size()) {
        const uint32_t v = uint32_t(uint8_t(in[i])) << 16;
        out += {table[v >> 18], table[v >> 12 & 63], '=', '='};
    } else if (i + 2 == in.size()) {
        const uint32_t v = uint32_t(uint8_t(in[i])) << 16 | uint32_t(uint8_t(in[i + 1])) << 8;
        out += {table[v >> 18], table[v >> 12 & 63], table[v >> 6 & 63], '='};
    }
    return out;
}

// Cheap integer hash: the same pixel and moment always give the same texture and noise.
uint32_t hash(uint32_t a, uint32_t b, uint32_t c)
{
    uint32_t h = a * 0x9E3779B1u ^ b * 0x85EBCA77u ^ c * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

uint8_t clamp_byte(double v) { return uint8_t(std::clamp(v, 0.0, 255.0)); }

// The synthetic scene: a background rendered once, a person drawn over it per request.
class Scene {
public:
    Scene(int width, int height) : w_(width), h_(height), background_(size_t(w_) * h_ * 3)
    {
        // About 40 x 110 at 640 x 480, capped so the shape stays person-sized on large frames.
        person_h_ = std::min(110 * h_ / 480, 200);
        person_w_ = std::max(4, person_h_ * 40 / 110);
        speed_ = walk_speed * std::min(1.0, w_ / 640.0);
        feet_y_ = int(0.90 * h_);
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x)
                paint_background(x, y, &background_[(size_t(y) * w_ + x) * 3]);
    }

    // RGB pixels of the scene at `t` seconds of the camera's clock.
    void render(double t, std::vector<uint8_t> &rgb) const
    {
        rgb = background_;
        draw_person(t, rgb);
        const double gain = 1.0 + brightness_swing * std::sin(2 * std::numbers::pi * t / brightness_period);
        const uint32_t moment = uint32_t(t * 10); // noise changes ten times a second
        for (size_t p = 0, n = size_t(w_) * h_; p < n; ++p) {
            const int noise = int(hash(uint32_t(p), moment, 7) % (2 * noise_amplitude + 1)) -
                              noise_amplitude;
            for (int k = 0; k < 3; ++k)
                rgb[3 * p + k] = clamp_byte(rgb[3 * p + k] * gain + noise);
        }
    }

private:
    static void set(uint8_t *px, double r, double g, double b)
    {
        px[0] = clamp_byte(r);
        px[1] = clamp_byte(g);
        px[2] = clamp_byte(b);
    }

    void paint_background(int x, int y, uint8_t *px) const
    {
        const double u = double(x) / w_, v = double(y) / h_;
        const double grain = int(hash(uint32_t(x), uint32_t(y), 1) % 13) - 6; // fixed texture
        if (v < 0.30) { // sky
            set(px, 110 + 70 * v / 0.30 + grain / 3, 160 + 50 * v / 0.30, 220 + 20 * v / 0.30);
            return;
        }
        if (v < 0.80) { // light brick wall, windows high up, a dark planter at the left end
            const bool window = v > 0.36 && v < 0.54 &&
                                ((u > 0.14 && u < 0.28) || (u > 0.72 && u < 0.86));
            if (window) {
                const bool bar = std::abs(u - 0.21) < 0.004 || std::abs(u - 0.79) < 0.004 ||
                                 std::abs(v - 0.45) < 0.005;
                if (bar)
                    set(px, 225, 225, 220);
                else
                    set(px, 60 + 20 * v, 80 + grain, 105 + grain);
                return;
            }
            if (u > 0.02 && u < 0.10 && v > 0.66) {
                set(px, 40 + grain, 95 + grain, 45);
                return;
            }
            const int brick_h = std::max(4, h_ / 40), brick_w = std::max(8, w_ / 16);
            const int row = y / brick_h;
            const int shifted = x + (row % 2) * brick_w / 2;
            const bool mortar = y % brick_h == 0 || shifted % brick_w == 0;
            const double tone = int(hash(uint32_t(shifted / brick_w), uint32_t(row), 2) % 15);
            if (mortar)
                set(px, 185 + grain, 180 + grain, 170 + grain);
            else
                set(px, 200 + tone + grain, 188 + tone + grain, 168 + tone + grain);
            return;
        }
        // pavement with tile joints
        const int tile = std::max(8, w_ / 12);
        const bool joint = x % tile == 0 || (y - int(0.80 * h_)) % std::max(4, tile / 3) == 0;
        const double base = joint ? 150 : 172;
        set(px, base + grain, base + grain, base - 4 + grain);
    }

    // Where the person is at time t: left edge and walking phase, or nothing between walks.
    bool person_at(double t, int &left, double &stride) const
    {
        const double since = t - first_walk_at;
        if (since < 0)
            return false;
        const double cycle = walk_duration + pause_between_walks;
        const long walk = long(since / cycle);
        const double s = since - walk * cycle;
        if (s >= walk_duration)
            return false;
        const double distance = speed_ * walk_duration;
        const double start = w_ / 2.0 - distance / 2;
        const double centre = walk % 2 == 0 ? start + speed_ * s : start + distance - speed_ * s;
        left = int(std::lround(centre - person_w_ / 2.0));
        stride = s;
        return true;
    }

    void draw_person(double t, std::vector<uint8_t> &rgb) const
    {
        int left = 0;
        double s = 0;
        if (!person_at(t, left, s))
            return;
        const int top = feet_y_ - person_h_;
        const double pw = person_w_, ph = person_h_;
        const double swing = 0.10 * pw * std::sin(2 * std::numbers::pi * 1.5 * s); // legs, 1.5 steps/s
        const double head_x = left + pw / 2, head_y = top + 0.10 * ph, head_r = 0.09 * ph;
        for (int y = std::max(top, 0); y < std::min(feet_y_, h_); ++y) {
            const double dy = y - top;
            for (int x = std::max(left, 0); x < std::min(left + person_w_, w_); ++x) {
                const double dx = x - left;
                uint8_t *px = &rgb[(size_t(y) * w_ + x) * 3];
                const double grain = int(hash(uint32_t(dx), uint32_t(dy), 3) % 7) - 3;
                if (std::hypot(x - head_x, y - head_y) <= head_r) {
                    set(px, 120 + grain, 95 + grain, 80 + grain); // face and hair
                } else if (dy >= 0.18 * ph && dy < 0.58 * ph && dx >= 0.08 * pw &&
                           dx < 0.92 * pw) {
                    set(px, 80 + grain, 88 + grain, 120 + grain); // dark jacket
                } else if (dy >= 0.55 * ph) {
                    const double leg_w = 0.30 * pw;
                    const double a = 0.30 * pw + swing, b = 0.70 * pw - swing;
                    if (std::abs(dx - a) < leg_w / 2 || std::abs(dx - b) < leg_w / 2)
                        set(px, 75 + grain, 75 + grain, 85 + grain); // trousers
                }
            }
        }
    }

    int w_, h_;
    int person_w_ = 0, person_h_ = 0, feet_y_ = 0;
    double speed_ = 0;
    std::vector<uint8_t> background_;
};

std::optional<std::string> encode_jpeg(const std::vector<uint8_t> &rgb, int width, int height)
{
    tjhandle handle = tjInitCompress();
    if (handle == nullptr)
        return std::nullopt;
    unsigned char *jpeg = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(handle, rgb.data(), width, width * 3, height, TJPF_RGB, &jpeg, &size,
                               TJSAMP_420, 90, 0);
    std::optional<std::string> out;
    if (rc == 0)
        out.emplace(reinterpret_cast<const char *>(jpeg), size);
    tjFree(jpeg);
    tjDestroy(handle);
    return out;
}

std::vector<std::string> load_folder(const std::string &folder)
{
    std::vector<std::filesystem::path> names;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(folder, error)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (entry.is_regular_file() && ext == ".jpg")
            names.push_back(entry.path());
    }
    if (error) {
        std::fprintf(stderr, "orvex-camera: cannot read folder %s: %s\n", folder.c_str(),
                     error.message().c_str());
        std::exit(1);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> pictures;
    for (const auto &name : names) {
        std::ifstream in(name, std::ios::binary);
        pictures.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (pictures.empty()) {
        std::fprintf(stderr, "orvex-camera: no .jpg files in %s\n", folder.c_str());
        std::exit(1);
    }
    return pictures;
}

} // namespace

int main(int argc, char **argv)
{
    const Options options = parse_options(argc, argv);

    // Signals are taken by one thread with sigwait, so stopping never runs inside a handler.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    const std::vector<std::string> pictures =
        options.folder.empty() ? std::vector<std::string>{} : load_folder(options.folder);
    const Scene scene(options.width, options.height);
    const std::string expected_authorization =
        "Basic " + base64(options.user + ":" + options.password);
    const auto started = std::chrono::steady_clock::now();
    std::atomic<size_t> served{0};

    httplib::Server server;
    // An idle kept-alive connection holds a worker, and stopping waits for it: keep that short.
    server.set_keep_alive_timeout(1);
    server.Get("/snapshot.jpg", [&](const httplib::Request &request, httplib::Response &response) {
        if (options.status != 0) {
            response.status = options.status;
            response.set_content("error status on request\n", "text/plain");
            return;
        }
        if (options.credentials &&
            request.get_header_value("Authorization") != expected_authorization) {
            response.status = 401;
            response.set_header("WWW-Authenticate", "Basic realm=\"orvex-camera\"");
            response.set_content("credentials required\n", "text/plain");
            return;
        }
        if (!pictures.empty()) {
            response.set_content(pictures[served++ % pictures.size()], "image/jpeg");
            return;
        }
        const double t =
            options.frozen_time ? *options.frozen_time
                                : std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                                                started)
                                      .count();
        std::vector<uint8_t> rgb;
        scene.render(t, rgb);
        const auto jpeg = encode_jpeg(rgb, options.width, options.height);
        if (!jpeg) {
            response.status = 500;
            return;
        }
        response.set_header("Cache-Control", "no-store");
        response.set_content(*jpeg, "image/jpeg");
    });

    int port = options.port;
    if (port == 0)
        port = server.bind_to_any_port("127.0.0.1");
    else if (!server.bind_to_port("127.0.0.1", port))
        port = -1;
    if (port <= 0) {
        std::fprintf(stderr, "orvex-camera: cannot listen on 127.0.0.1:%d\n", options.port);
        return 1;
    }

    std::atomic<bool> finished{false};
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stop_signals, &signal);
        // stop() does nothing until the server runs; keep asking until listening has ended.
        while (!finished) {
            server.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });

    std::printf("http://127.0.0.1:%d/snapshot.jpg\n", port);
    std::fflush(stdout);
    const bool ok = server.listen_after_bind();
    finished = true;
    ::kill(::getpid(), SIGTERM); // wakes the stopper if no signal came
    stopper.join();
    return ok ? 0 : 1;
}
