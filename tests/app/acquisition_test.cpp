// Acquisition against real HTTP servers on 127.0.0.1: lighttpd with open, Basic and Digest
// paths, plus small servers of the test's own that refuse, stay silent or cut the body.
#include "acquisition.h"

#include "frame_buffer.h"

#include <gtest/gtest.h>

#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes jpeg_of(int width, int height, int pixel_format, int subsampling)
{
    Bytes pixels(size_t(width) * height * tjPixelSize[pixel_format]);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t(i * 31 / 7);
    tjhandle handle = tjInitCompress();
    unsigned char *jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(handle, pixels.data(), width, 0, height, pixel_format, &jpeg, &size, subsampling,
                90, 0);
    Bytes out(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(handle);
    return out;
}

Bytes colour_jpeg(int width, int height) { return jpeg_of(width, height, TJPF_BGR, TJSAMP_420); }

Bytes reference_decode(const Bytes &jpeg, int width, int height)
{
    tjhandle handle = tjInitDecompress();
    Bytes out(size_t(width) * height * 3);
    tjDecompress2(handle, jpeg.data(), jpeg.size(), out.data(), width, 0, height, TJPF_BGR, 0);
    tjDestroy(handle);
    return out;
}

void write_file(const fs::path &path, const Bytes &bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

void write_text(const fs::path &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// A socket listening on a free port of 127.0.0.1; the kernel completes connections to it even
// when nobody accepts them.
int listening_socket(int &port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(fd, 8);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

int free_port()
{
    int port = 0;
    ::close(listening_socket(port));
    return port;
}

bool accepts_connections(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(uint16_t(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// Frames served by the camera, by path under the document root.
struct Picture {
    const char *path;
    Bytes bytes;
};

class Acquisition : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root = fs::temp_directory_path() / ("orvex_acquisition_" + std::to_string(::getpid()));
        fs::remove_all(root);
        for (const char *folder : {"www/open", "www/basic", "www/digest", "work/Resources_Archive"})
            fs::create_directories(root / folder);
        for (const Picture &p : pictures())
            write_file(root / "www" / p.path, p.bytes);
        write_text(root / "www/open/page.txt", "<html>not a picture</html>\n");
        write_text(root / "users", "camera:secret\n");
        write_text(root / "work/Resources_Archive/Device_Lost.bat", "echo lost > marker\n");

        port = free_port();
        const std::string r = root.string();
        write_text(root / "lighttpd.conf",
                   "server.document-root = \"" + r + "/www\"\n"
                   "server.bind = \"127.0.0.1\"\n"
                   "server.port = " + std::to_string(port) + "\n"
                   "server.errorlog = \"" + r + "/lighttpd.log\"\n"
                   "server.modules = ( \"mod_auth\", \"mod_authn_file\" )\n"
                   "auth.backend = \"plain\"\n"
                   "auth.backend.plain.userfile = \"" + r + "/users\"\n"
                   "auth.require = (\n"
                   "  \"/basic/\" => ( \"method\" => \"basic\", \"realm\" => \"camera\","
                   " \"require\" => \"valid-user\" ),\n"
                   "  \"/digest/\" => ( \"method\" => \"digest\", \"realm\" => \"camera\","
                   " \"require\" => \"valid-user\" ) )\n");
        const std::string conf = (root / "lighttpd.conf").string();
        server = ::fork();
        ASSERT_GE(server, 0);
        if (server == 0) {
            // Ends with the test even when a failing case takes the whole process down, and
            // keeps off the test's output, which the test runner waits on.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int null = ::open("/dev/null", O_RDWR);
            for (int fd = 0; fd < 3; ++fd)
                ::dup2(null, fd);
            ::execl("/usr/sbin/lighttpd", "lighttpd", "-D", "-f", conf.c_str(), nullptr);
            ::_exit(127);
        }
        for (int i = 0; i < 500 && !accepts_connections(port); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(accepts_connections(port)) << "lighttpd did not start on port " << port;
    }

    static void TearDownTestSuite()
    {
        if (server > 0) {
            ::kill(server, SIGTERM);
            ::waitpid(server, nullptr, 0);
        }
        fs::remove_all(root);
    }

    static const std::vector<Picture> &pictures()
    {
        static const std::vector<Picture> all = {
            {"open/640x480.jpg", colour_jpeg(640, 480)},
            {"basic/640x480.jpg", colour_jpeg(640, 480)},
            {"digest/640x480.jpg", colour_jpeg(640, 480)},
            {"open/320x200.jpg", colour_jpeg(320, 200)},
            {"open/2048x1536.jpg", colour_jpeg(2048, 1536)},
            {"open/333x250.jpg", colour_jpeg(333, 250)},
            {"open/gray.jpg", jpeg_of(161, 90, TJPF_GRAY, TJSAMP_GRAY)},
        };
        return all;
    }

    static const Bytes &picture(const std::string &path)
    {
        for (const Picture &p : pictures())
            if (path == p.path)
                return p.bytes;
        static const Bytes none;
        return none;
    }

    void SetUp() override
    {
        previous = fs::current_path();
        fs::current_path(root / "work");
        fs::remove(marker());
        std::fill_n(matrice_rgb_24bpp_originale, frame_buffer_size, uint8_t(0xAB));
        altezza = larghezza = 0;
        set_acquisition_timeouts(connect_timeout_ms, request_timeout_ms);
    }
    void TearDown() override { fs::current_path(previous); }

    static fs::path marker() { return root / "work/marker"; }

    // Points the camera globals at a URL the way start-up leaves them: first lines, line ends kept.
    static void camera(const std::string &url, const char *username = nullptr,
                       const char *password = nullptr)
    {
        std::snprintf(array_della_http_web_request, 500, "%s\n", url.c_str());
        username_and_password = username != nullptr;
        std::snprintf(array_della_username, 500, "%s", username ? username : "");
        std::snprintf(array_della_password, 500, "%s", password ? password : "");
    }
    static std::string url(const std::string &path, int on_port = port)
    {
        return "http://127.0.0.1:" + std::to_string(on_port) + "/" + path;
    }

    // The device-lost script leaves its marker after the process has gone.
    static bool marker_appears()
    {
        for (int i = 0; i < 500 && !fs::exists(marker()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return fs::exists(marker());
    }

    static Bytes frame_prefix(size_t n)
    {
        return Bytes(matrice_rgb_24bpp_originale, matrice_rgb_24bpp_originale + n);
    }

    static inline fs::path root;
    static inline int port = 0;
    static inline pid_t server = 0;
    fs::path previous;
};

TEST_F(Acquisition, ColourFrameSetsTheSizeAndRewritesExactlyItsBytes)
{
    const Bytes big = reference_decode(picture("open/640x480.jpg"), 640, 480);
    camera(url("open/640x480.jpg"));
    acquire_frame();
    EXPECT_EQ(altezza, 480u);
    EXPECT_EQ(larghezza, 640u);
    EXPECT_EQ(frame_prefix(921600), big);
    EXPECT_TRUE(std::all_of(matrice_rgb_24bpp_originale + 921600,
                            matrice_rgb_24bpp_originale + frame_buffer_size,
                            [](uint8_t b) { return b == 0xAB; }));

    // A smaller frame next rewrites only its own bytes; the older ones stay beyond it.
    camera(url("open/320x200.jpg"));
    acquire_frame();
    EXPECT_EQ(altezza, 200u);
    EXPECT_EQ(larghezza, 320u);
    const Bytes now = frame_prefix(921600);
    EXPECT_EQ(Bytes(now.begin(), now.begin() + 192000),
              reference_decode(picture("open/320x200.jpg"), 320, 200));
    EXPECT_TRUE(std::equal(now.begin() + 192000, now.end(), big.begin() + 192000));
}

TEST_F(Acquisition, CredentialsAnswerBasicAndDigestAndAreHarmlessWithoutAuth)
{
    // Files read with fgets keep their line end; surrounding blanks are dropped too.
    struct Case {
        const char *path, *username, *password;
    };
    for (const Case &c : {Case{"open/640x480.jpg", "camera\n", "secret\n"},
                          Case{"basic/640x480.jpg", "camera\n", "secret\n"},
                          Case{"digest/640x480.jpg", " camera\r\n", "secret \n"},
                          Case{"basic/640x480.jpg", "camera", "secret"}}) {
        SCOPED_TRACE(c.path);
        altezza = larghezza = 0;
        camera(url(c.path), c.username, c.password);
        acquire_frame();
        EXPECT_EQ(altezza, 480u);
        EXPECT_EQ(larghezza, 640u);
        EXPECT_EQ(frame_prefix(921600), reference_decode(picture(c.path), 640, 480));
    }
    std::snprintf(array_della_http_web_request, 500, "  %s \r\n", url("open/640x480.jpg").c_str());
    username_and_password = 0;
    acquire_frame(); // the same handle, a third path in a row
    EXPECT_EQ(larghezza, 640u);
}

TEST_F(Acquisition, AnyPictureDecodesToPackedBgrWithinTheBuffer)
{
    struct Case {
        const char *path;
        uint32_t rows, columns; // 2048 x 1536 is scaled by 3/4 at decode time to fit
    };
    for (const Case &c : {Case{"open/2048x1536.jpg", 1152, 1536},
                          Case{"open/333x250.jpg", 250, 333}, Case{"open/gray.jpg", 90, 161}}) {
        SCOPED_TRACE(c.path);
        std::fill_n(matrice_rgb_24bpp_originale, frame_buffer_size, uint8_t(0xAB));
        camera(url(c.path));
        acquire_frame();
        ASSERT_EQ(altezza, c.rows);
        ASSERT_EQ(larghezza, c.columns);
        const size_t n = size_t(c.rows) * c.columns * 3;
        EXPECT_EQ(frame_prefix(n), reference_decode(picture(c.path), int(c.columns), int(c.rows)));
        EXPECT_EQ(matrice_rgb_24bpp_originale[n], 0xAB);
    }
    const uint8_t *p = matrice_rgb_24bpp_originale + 3 * 500; // grayscale: three equal bytes
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);
}

// A server of our own that answers each connection with `answer`, then closes it.
class CannedServer {
public:
    explicit CannedServer(std::string answer) : fd(listening_socket(port)), reply(std::move(answer))
    {
        worker = std::thread([this] {
            for (;;) {
                const int client = ::accept(fd, nullptr, nullptr);
                if (client < 0)
                    return;
                char request[4096];
                std::string seen;
                while (seen.find("\r\n\r\n") == std::string::npos) {
                    const ssize_t n = ::recv(client, request, sizeof request, 0);
                    if (n <= 0)
                        break;
                    seen.append(request, size_t(n));
                }
                ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
                ::close(client);
            }
        });
    }
    ~CannedServer()
    {
        ::shutdown(fd, SHUT_RDWR); // wakes the accept
        worker.join();
        ::close(fd);
    }
    int port = 0;

private:
    int fd;
    std::string reply;
    std::thread worker;
};

TEST_F(Acquisition, EveryFailureRunsTheDeviceLostScriptAndExitsWith1)
{
    const Bytes &jpeg = picture("open/640x480.jpg");
    const std::string cut(jpeg.begin(), jpeg.begin() + long(jpeg.size() / 2));
    CannedServer truncated("HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                           std::to_string(jpeg.size()) + "\r\n\r\n" + cut);
    // An error status with a perfectly good picture behind it: the status alone must decide.
    CannedServer server_error("HTTP/1.1 503 Service Unavailable\r\nContent-Length: " +
                              std::to_string(jpeg.size()) + "\r\n\r\n" +
                              std::string(jpeg.begin(), jpeg.end()));
    int silent_port = 0;
    const int silent = listening_socket(silent_port); // accepts, never answers
    const int refused_port = free_port();

    struct Case {
        const char *what;
        std::string url;
        const char *username, *password;
    };
    const Case cases[] = {
        {"wrong password, Basic (401)", url("basic/640x480.jpg"), "camera", "wrong"},
        {"wrong password, Digest (401)", url("digest/640x480.jpg"), "camera", "wrong"},
        {"no credentials for a camera that needs them", url("basic/640x480.jpg"), nullptr, nullptr},
        {"wrong path (404)", url("open/missing.jpg"), nullptr, nullptr},
        {"error status with a picture body (503)", url("", server_error.port), nullptr, nullptr},
        {"a body that is not a picture", url("open/page.txt"), nullptr, nullptr},
        {"connection refused", url("a.jpg", refused_port), nullptr, nullptr},
        {"truncated body", url("", truncated.port), nullptr, nullptr},
        {"no answer (time-out)", url("", silent_port), nullptr, nullptr},
        {"not an HTTP URL", "file://" + (root / "www/open/640x480.jpg").string(), nullptr, nullptr},
    };
    set_acquisition_timeouts(1000, 500); // the silent camera would otherwise take 15 s
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(marker());
        camera(c.url, c.username, c.password);
        EXPECT_EXIT(acquire_frame(), ::testing::ExitedWithCode(1), "");
        EXPECT_TRUE(marker_appears());
    }
    ::close(silent);
}

TEST_F(Acquisition, MissingScriptStillEndsWithExitCode1)
{
    const fs::path script = root / "work/Resources_Archive/Device_Lost.bat";
    fs::rename(script, root / "work/kept.bat");
    camera(url("open/missing.jpg"));
    EXPECT_EXIT(acquire_frame(), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(device_lost(), ::testing::ExitedWithCode(1), "");
    fs::rename(root / "work/kept.bat", script);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(fs::exists(marker()));
}

} // namespace
