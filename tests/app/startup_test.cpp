// The program as a process: every start-up failure ends it with exit code 1 and writes
// nothing; a good start stays up, writes nothing, and ends cleanly when asked to close.
#include "demo_camera_process.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using scratch::Folder;
namespace fs = std::filesystem;

pid_t start_program(const fs::path &folder, const std::string &program = ORVEX_BIN_DIR "/orvex",
                    const std::vector<std::string> &args = {})
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(99);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::vector<char *> argv{const_cast<char *>(program.c_str())};
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(98);
    }
    return pid;
}

// The exit code, or -1 when the process is still running after the wait.
int wait_for_exit(pid_t pid, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

TEST(Startup, EveryFailureEndsWithExitCodeOneAndWritesNothing)
{
    struct Case {
        const char *what;
        void (*prepare)(const fs::path &archive);
    };
    const Case cases[] = {
        {"no start-up picture", [](const fs::path &a) { fs::remove(a / "Connecting.jpg"); }},
        {"start-up picture is not a picture",
         [](const fs::path &a) { scratch::write_text(a / "Connecting.jpg", "not a picture"); }},
        {"empty start-up picture",
         [](const fs::path &a) { scratch::write_text(a / "Connecting.jpg", ""); }},
        {"no URL file", [](const fs::path &a) { fs::remove(a / "Http_Web_Request.txt"); }},
        {"empty URL file",
         [](const fs::path &a) { scratch::write_text(a / "Http_Web_Request.txt", ""); }},
        {"URL starts with a space",
         [](const fs::path &a) {
             scratch::write_text(a / "Http_Web_Request.txt", " http://127.0.0.1/x.jpg\n");
         }},
        {"URL starts with NUL",
         [](const fs::path &a) {
             scratch::write_text(a / "Http_Web_Request.txt", std::string("\0http://x/\n", 11));
         }},
        {"no Resources_Archive at all",
         [](const fs::path &a) { fs::remove_all(a); }},
    };
    for (const Case &c : cases) {
        Folder folder("startup_fail");
        // A parameter file and credentials that must survive untouched.
        scratch::write_text(folder.archive() / "Combo_Box_Parameters.bin", std::string(80, '\x01'));
        scratch::write_text(folder.archive() / "Username.txt", "user\n");
        c.prepare(folder.archive());
        const auto before = scratch::snapshot(folder.path);
        const pid_t pid = start_program(folder.path);
        EXPECT_EQ(wait_for_exit(pid, std::chrono::seconds(20)), 1) << c.what;
        EXPECT_EQ(scratch::snapshot(folder.path), before) << c.what;
    }
}

TEST(Startup, GoodStartStaysUpWritesNothingAndClosesOnRequest)
{
    DemoCamera camera;
    Folder folder("startup_good");
    scratch::write_text(folder.archive() / "Http_Web_Request.txt", camera.url() + "\n");
    const auto before = scratch::snapshot(folder.path);
    const pid_t pid = start_program(folder.path);
    // Two disarmed ticks at one frame per second: pictures are fetched, nothing is written.
    EXPECT_EQ(wait_for_exit(pid, std::chrono::milliseconds(2500)), -1);
    EXPECT_EQ(scratch::snapshot(folder.path), before);
    // A termination request closes the dialog the way "Chiudi" does.
    kill(pid, SIGTERM);
    EXPECT_EQ(wait_for_exit(pid, std::chrono::seconds(10)), 0);
    EXPECT_EQ(scratch::snapshot(folder.path), before);
}

TEST(Startup, LostCameraStartsTheOperatorsScriptAndEndsWithOne)
{
    const struct {
        const char *what;
        std::vector<std::string> camera_options;
    } cases[] = {
        {"refused connection", {}},
        {"error status", {"--status", "404"}},
        {"credentials required", {"--user", "admin", "--password", "secret"}},
    };
    for (const auto &c : cases) {
        Folder folder("startup_lost");
        std::string url = "http://127.0.0.1:9/snapshot.jpg";
        std::unique_ptr<DemoCamera> camera;
        if (!c.camera_options.empty()) {
            camera = std::make_unique<DemoCamera>(c.camera_options);
            url = camera->url();
        }
        scratch::write_text(folder.archive() / "Http_Web_Request.txt", url + "\n");
        scratch::write_text(folder.archive() / "Device_Lost.bat", "echo lost > camera_lost.txt\n");
        const pid_t pid = start_program(folder.path);
        EXPECT_EQ(wait_for_exit(pid, std::chrono::seconds(20)), 1) << c.what;
        // The script runs on its own; give it a moment.
        for (int k = 0; k < 100 && !fs::exists(folder.path / "camera_lost.txt"); ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(fs::exists(folder.path / "camera_lost.txt")) << c.what;
        EXPECT_FALSE(fs::exists(folder.archive() / "Last_Image.jpg")) << c.what;
    }
}

} // namespace
