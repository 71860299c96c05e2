// Camera acquisition: one HTTP GET per frame into the frame buffer, and the device-lost
// procedure when the camera cannot be reached.
#pragma once

#include <cstdint>

// Camera URL and credentials, the first line of each file as read at start.
extern char array_della_http_web_request[500];
extern char array_della_username[500];
extern char array_della_password[500];
extern uint8_t username_and_password; // non-zero: every request carries the credentials

// How long a request may take before the camera counts as lost.
constexpr long connect_timeout_ms = 5000;
constexpr long request_timeout_ms = 15000;

// Fetches one picture from the camera into matrice_rgb_24bpp_originale and sets altezza and
// larghezza. Any failure (no connection, HTTP status 400 or more, a read error, a time-out, a
// body that is not a picture) runs device_lost and does not return.
void acquire_frame();

// Starts Resources_Archive/Device_Lost.bat in a session of its own, without waiting for it,
// then ends the process with exit code 1.
[[noreturn]] void device_lost();

// Replaces the two time-outs above, so tests need not wait 15 s for a silent camera.
void set_acquisition_timeouts(long connect_ms, long request_ms);
