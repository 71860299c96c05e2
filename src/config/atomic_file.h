// Whole-file replacement: the bytes go to a temporary file in the same folder, which is then
// renamed over the old one, so a crash or a reader never sees half a file.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes `size` bytes to `path` atomically; a failed attempt is retried a few times within a
// few tens of milliseconds. Returns false when every attempt failed; the old file then stands.
bool write_file_atomically(const char *path, const void *data, size_t size);

// Reads up to `capacity` bytes of `path` into `data`. Returns the bytes read, or -1 when the
// file cannot be opened.
long read_file_prefix(const char *path, void *data, size_t capacity);
