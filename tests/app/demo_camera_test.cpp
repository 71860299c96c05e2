// The demo camera orvex-camera, run as a subprocess on a free port and fetched over HTTP: picture
// size, Basic credentials, error status, a folder served in turn, and the walking person.
#include <curl/curl.h>
#include <turbojpeg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;

namespace {

const std::string camera_path = std::string(ORVEX_BIN_DIR) + "/orvex-camera";

// One orvex-camera process on a port of its own choosing (--port 0); it prints its URL first.
class Camera {
public:
    explicit Camera(std::vector<std::string> args)
    {
        args.insert(args.begin(), {camera_path, "--port", "0"});
        std::vector<char *> argv;
        for (auto &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        int out[2];
        if (::pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const int rc = posix_spawn(&pid_, camera_path.c_str(), &actions, nullptr, argv.data(),
                                   environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (rc != 0) {
            pid_ = -1;
            ::close(out[0]);
            return;
        }
        // The first line is the URL; give the process a few seconds to start.
        std::string line;
        pollfd fd{out[0], POLLIN, 0};
        char c = 0;
        while (::poll(&fd, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        ::close(out[0]);
        url_ = line;
    }
    ~Camera() { stop(); }

    const std::string &url() const { return url_; }
    std::string base() const { return url_.substr(0, url_.rfind('/')); }

    // Sends SIGTERM and returns the exit code (-1 when it did not exit by itself).
    int stop()
    {
        if (pid_ <= 0)
            return -1;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    std::string url_;
};

struct Reply {
    long status = 0;
    std::string body;
    std::string headers;
};

size_t collect(char *data, size_t size, size_t count, void *target)
{
    static_cast<std::string *>(target)->append(data, size * count);
    return size * count;
}

Reply fetch(const std::string &url, const char *credentials = nullptr)
{
    Reply reply;
    CURL *curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply.headers);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 15L);
    if (credentials != nullptr) {
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC));
        curl_easy_setopt(curl, CURLOPT_USERPWD, credentials);
    }
    if (curl_easy_perform(curl) == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_easy_cleanup(curl);
    return reply;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

std::optional<Picture> decode(const std::string &jpeg)
{
    tjhandle handle = tjInitDecompress();
    Picture picture;
    int subsampling = 0, colourspace = 0;
    auto *bytes = reinterpret_cast<const unsigned char *>(jpeg.data());
    bool ok = tjDecompressHeader3(handle, bytes, jpeg.size(), &picture.width, &picture.height,
                                  &subsampling, &colourspace) == 0;
    if (ok) {
        picture.rgb.resize(size_t(picture.width) * picture.height * 3);
        ok = tjDecompress2(handle, bytes, jpeg.size(), picture.rgb.data(), picture.width, 0,
                           picture.height, TJPF_RGB, 0) == 0;
    }
    tjDestroy(handle);
    return ok ? std::optional<Picture>(picture) : std::nullopt;
}

class DemoCamera : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(camera_path)) << camera_path << " is not built";
    }
};

TEST_F(DemoCamera, ServesAJpegOfTheAskedSizeAndQuitsCleanly)
{
    struct SizeCase {
        std::vector<std::string> args;
        int width, height;
    };
    const SizeCase cases[] = {
        {{}, 640, 480},
        {{"--size", "320x240"}, 320, 240},
        {{"--size", "1920x1200"}, 1920, 1200},
        {{"--size", "333x97"}, 333, 97},
    };
    for (const SizeCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        Camera camera(c.args);
        ASSERT_NE(camera.url().find("http://127.0.0.1:"), std::string::npos) << camera.url();
        ASSERT_NE(camera.url().find("/snapshot.jpg"), std::string::npos) << camera.url();
        const Reply reply = fetch(camera.url());
        EXPECT_EQ(reply.status, 200);
        const auto picture = decode(reply.body);
        ASSERT_TRUE(picture.has_value());
        EXPECT_EQ(picture->width, c.width);
        EXPECT_EQ(picture->height, c.height);
        EXPECT_EQ(fetch(camera.base() + "/other.jpg").status, 404);
        EXPECT_EQ(camera.stop(), 0);
    }
}

TEST_F(DemoCamera, BasicCredentialsAreRequiredWhenSet)
{
    Camera camera({"--user", "admin", "--password", "s3cret"});
    const Reply anonymous = fetch(camera.url());
    EXPECT_EQ(anonymous.status, 401);
    EXPECT_NE(anonymous.headers.find("WWW-Authenticate: Basic"), std::string::npos)
        << anonymous.headers;
    EXPECT_EQ(fetch(camera.url(), "admin:wrong").status, 401);
    EXPECT_EQ(fetch(camera.url(), "other:s3cret").status, 401);
    const Reply good = fetch(camera.url(), "admin:s3cret");
    EXPECT_EQ(good.status, 200);
    EXPECT_TRUE(decode(good.body).has_value());
}

TEST_F(DemoCamera, AnswersEveryRequestWithTheErrorStatusAsked)
{
    for (const char *code : {"404", "500", "503"}) {
        Camera camera({"--status", code});
        for (int i = 0; i < 2; ++i) {
            const Reply reply = fetch(camera.url());
            EXPECT_EQ(reply.status, std::stol(code));
            EXPECT_FALSE(decode(reply.body).has_value());
        }
    }
}

TEST_F(DemoCamera, FolderFilesAreServedInNameOrderInTurn)
{
    const fs::path dir = fs::temp_directory_path() / ("orvex_camera_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    // Three small pictures of different widths, so each reply says which file it was.
    auto write_jpeg = [&](const std::string &name, int width) {
        std::vector<uint8_t> rgb(size_t(width) * 8 * 3, 128);
        tjhandle handle = tjInitCompress();
        unsigned char *jpeg = nullptr;
        unsigned long size = 0;
        tjCompress2(handle, rgb.data(), width, 0, 8, TJPF_RGB, &jpeg, &size, TJSAMP_444, 90, 0);
        std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<char *>(jpeg), long(size));
        tjFree(jpeg);
        tjDestroy(handle);
    };
    write_jpeg("b.jpg", 24);
    write_jpeg("a.jpg", 16);
    write_jpeg("c.jpg", 32);
    std::ofstream(dir / "notes.txt") << "not a picture";

    {
        Camera camera({"--folder", dir.string()});
        std::vector<int> widths;
        for (int i = 0; i < 5; ++i) {
            const auto picture = decode(fetch(camera.url()).body);
            widths.push_back(picture ? picture->width : 0);
        }
        EXPECT_EQ(widths, (std::vector<int>{16, 24, 32, 16, 24}));
    }
    fs::remove_all(dir);
}

// Grey level of each pixel after a 5 x 5 box mean (clipped at the edges), as the detector sees it.
std::vector<double> smoothed_grey(const Picture &p)
{
    std::vector<double> grey(size_t(p.width) * p.height), out(grey.size());
    for (size_t i = 0; i < grey.size(); ++i)
        grey[i] = (p.rgb[3 * i] + p.rgb[3 * i + 1] + p.rgb[3 * i + 2]) / 3.0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            double sum = 0;
            int n = 0;
            for (int v = std::max(0, y - 2); v <= std::min(p.height - 1, y + 2); ++v)
                for (int u = std::max(0, x - 2); u <= std::min(p.width - 1, x + 2); ++u, ++n)
                    sum += grey[size_t(v) * p.width + u];
            out[size_t(y) * p.width + x] = sum / n;
        }
    return out;
}

Picture scene_at(double seconds)
{
    Camera camera({"--time", std::to_string(seconds)});
    auto picture = decode(fetch(camera.url()).body);
    return picture ? *picture : Picture{};
}

struct Shape {
    long pixels = 0;
    int width = 0, height = 0;
    double column = 0; // barycentre
};

// Pixels darker than the empty scene by more than 60 grey levels once both are smoothed.
Shape dark_shape(const std::vector<double> &empty, const Picture &frame)
{
    const std::vector<double> grey = smoothed_grey(frame);
    Shape s;
    int left = frame.width, right = -1, top = frame.height, bottom = -1;
    double columns = 0;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            const size_t i = size_t(y) * frame.width + x;
            if (empty[i] - grey[i] > 60) {
                ++s.pixels;
                columns += x;
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    if (s.pixels > 0) {
        s.width = right - left + 1;
        s.height = bottom - top + 1;
        s.column = columns / double(s.pixels);
    }
    return s;
}

TEST_F(DemoCamera, PersonWalksSlowlyNowAndThenDarkerThanTheBackground)
{
    const Picture empty_picture = scene_at(1); // before the first walk
    ASSERT_EQ(empty_picture.width, 640);
    const std::vector<double> empty = smoothed_grey(empty_picture);

    struct Moment {
        double seconds;
        bool person;
    };
    const Moment moments[] = {{2.5, false}, {3.5, true}, {12, true}, {13, true}, {32.5, true},
                              {34, false},  {38, false}, {40, true}, {41, true}};
    double previous_column = 0, previous_time = -1; // -1: no person in the previous moment
    for (const Moment &m : moments) {
        SCOPED_TRACE(testing::Message() << "at " << m.seconds << " s");
        const Shape shape = dark_shape(empty, scene_at(m.seconds));
        if (!m.person) {
            EXPECT_LT(shape.pixels, 20);
            previous_time = -1;
            continue;
        }
        EXPECT_GT(shape.pixels, 2000); // a solid person-sized mass of about 40 x 110
        EXPECT_GE(shape.width, 30);
        EXPECT_LE(shape.width, 50);
        EXPECT_GE(shape.height, 95);
        EXPECT_LE(shape.height, 120);
        if (previous_time >= 0 && m.seconds - previous_time == 1) {
            const double step = std::abs(shape.column - previous_column);
            EXPECT_GT(step, 2);  // it moves
            EXPECT_LE(step, 15); // slowly enough for the tracking to follow at 1 frame/s
        }
        previous_column = shape.column;
        previous_time = m.seconds;
    }
}

TEST_F(DemoCamera, SceneIsRepeatableAndItsLightChangesSlowly)
{
    const Picture a = scene_at(1), b = scene_at(1), later = scene_at(23.5);
    EXPECT_EQ(a.rgb, b.rgb);
    // Mean level of the sky, which nothing crosses: a quarter period later the light is up.
    auto sky = [](const Picture &p) {
        double sum = 0;
        for (size_t i = 0; i < size_t(p.width) * 100 * 3; ++i)
            sum += p.rgb[i];
        return sum / (double(p.width) * 100 * 3);
    };
    EXPECT_GT(sky(later), sky(a) * 1.05);
    EXPECT_LT(sky(later), sky(a) * 1.25);
}

} // namespace
