// Starts the demo camera as a child process on a free local port for a test, and stops it.
#pragma once

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

class DemoCamera {
public:
    explicit DemoCamera(std::vector<std::string> options = {})
    {
        port = free_port();
        options.insert(options.begin(), {"--port", std::to_string(port)});
        const std::string program = ORVEX_BIN_DIR "/orvex-camera";
        pid = fork();
        if (pid == 0) {
            std::vector<char *> argv{const_cast<char *>(program.c_str())};
            for (std::string &o : options)
                argv.push_back(o.data());
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(97);
        }
        // Ready once it accepts a connection.
        for (int attempt = 0; attempt < 200 && !accepts(); ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ~DemoCamera()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port) + "/snapshot.jpg"; }

    int port = 0;
    pid_t pid = -1;

private:
    static int free_port()
    {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
        close(fd);
        return ntohs(address.sin_port);
    }
    bool accepts() const
    {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool ok = connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        close(fd);
        return ok;
    }
};
