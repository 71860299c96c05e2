// The analysis of one frame, written once for the window and for offline runs: the disarmed
// path (learn the background) and the armed sequence (detect, track, maintain, mark, overlay).
#pragma once

// Disarmed: split, smooth, background = smoothed picture, mark the insensitive pixels.
void analyse_disarmed_frame();

// Armed: the whole sequence in order. `write_latest_image` runs after the background step and
// before the marking, while the frame buffer still holds the picture as captured.
void analyse_armed_frame(void (*write_latest_image)());
