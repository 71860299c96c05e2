// Camera acquisition over libcurl's blocking easy API: one handle for the whole run, so the
// connection to the camera is reused from frame to frame.
#include "acquisition.h"

#include "frame_buffer.h"
#include "picture_files.h"

#include <curl/curl.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <spawn.h>
#include <unistd.h>

extern char **environ;

char array_della_http_web_request[500];
char array_della_username[500];
char array_della_password[500];
uint8_t username_and_password = 1;

namespace {

constexpr const char *device_lost_script = "Resources_Archive/Device_Lost.bat";

// No camera snapshot comes near this; a body that does is refused rather than held.
constexpr size_t max_body_size = 64u << 20;

long connect_timeout = connect_timeout_ms;
long request_timeout = request_timeout_ms;

// The body of the latest answer; cleared, never shrunk, so it stops growing once large enough.
std::vector<uint8_t> body;

size_t keep_body(char *data, size_t size, size_t count, void *)
{
    const size_t n = size * count;
    if (body.size() + n > max_body_size)
        return 0; // ends the transfer with a write error
    body.insert(body.end(), data, data + n);
    return n;
}

// Copies `text` without its line end and surrounding white space.
void trimmed(const char *text, char (&out)[500])
{
    size_t first = 0;
    size_t end = strnlen(text, sizeof out - 1);
    while (first < end && std::isspace(static_cast<unsigned char>(text[first])))
        ++first;
    while (end > first && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    std::memcpy(out, text + first, end - first);
    out[end - first] = '\0';
}

CURL *camera()
{
    static CURL *const handle = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        CURL *h = curl_easy_init();
        if (h == nullptr)
            return h;
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L); // time-outs must not rely on SIGALRM
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, keep_body);
        return h;
    }();
    return handle;
}

} // namespace

void set_acquisition_timeouts(long connect_ms, long request_ms)
{
    connect_timeout = connect_ms;
    request_timeout = request_ms;
}

void acquire_frame()
{
    CURL *const handle = camera();
    if (handle == nullptr)
        device_lost();
    static char url[500], username[500], password[500];
    trimmed(array_della_http_web_request, url);
    curl_easy_setopt(handle, CURLOPT_URL, url);
    if (username_and_password != 0) {
        trimmed(array_della_username, username);
        trimmed(array_della_password, password);
        curl_easy_setopt(handle, CURLOPT_USERNAME, username);
        curl_easy_setopt(handle, CURLOPT_PASSWORD, password);
        curl_easy_setopt(handle, CURLOPT_HTTPAUTH, CURLAUTH_ANY); // Basic or Digest, as asked
    } else {
        curl_easy_setopt(handle, CURLOPT_USERNAME, nullptr);
        curl_easy_setopt(handle, CURLOPT_PASSWORD, nullptr);
        curl_easy_setopt(handle, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
    }
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, connect_timeout);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, request_timeout);

    body.clear();
    long status = 0;
    if (curl_easy_perform(handle) != CURLE_OK ||
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status >= 400)
        device_lost();

    uint32_t rows = 0, columns = 0;
    if (!decode_picture(body.data(), body.size(), matrice_rgb_24bpp_originale, rows, columns))
        device_lost();
    altezza = rows;
    larghezza = columns;
}

void device_lost()
{
    // A missing script starts nothing; the process ends with 1 all the same.
    if (::access(device_lost_script, F_OK) == 0) {
        posix_spawnattr_t attributes;
        posix_spawn_file_actions_t actions;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclosefrom_np(&actions, 3); // only the standard streams go on
        // posix_spawn takes non-const arguments but never writes them.
        char *const arguments[] = {const_cast<char *>("/bin/sh"),
                                   const_cast<char *>(device_lost_script), nullptr};
        pid_t child = 0;
        posix_spawn(&child, "/bin/sh", &actions, &attributes, arguments, environ);
    }
    std::_Exit(1);
}
