// Whole-file replacement through a temporary file and rename, with a short bounded retry.
#include "atomic_file.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int attempts = 4;
constexpr auto pause_between_attempts = std::chrono::milliseconds(5);

bool write_once(const std::string &path, const std::string &temporary, const void *data,
                size_t size)
{
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const auto *bytes = static_cast<const unsigned char *>(data);
    size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, bytes + written, size - written);
        if (n <= 0) {
            ::close(fd);
            ::unlink(temporary.c_str());
            return false;
        }
        written += static_cast<size_t>(n);
    }
    // The data must be on disk before the name points at it, or a crash could leave an empty file.
    const bool synced = ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!synced || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

bool write_file_atomically(const char *path, const void *data, size_t size)
{
    const std::string target(path);
    const std::string temporary = target + ".tmp";
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(pause_between_attempts);
        if (write_once(target, temporary, data, size))
            return true;
    }
    return false;
}

long read_file_prefix(const char *path, void *data, size_t capacity)
{
    std::FILE *file = std::fopen(path, "rb");
    if (file == nullptr)
        return -1;
    const size_t n = std::fread(data, 1, capacity, file);
    std::fclose(file);
    return static_cast<long>(n);
}
