// The offline replay runs recorded frames through the window's analysis: quiet frames teach the
// background, and an intruder in the armed frames is found, followed and confirmed.
#include "scratch_folder.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

namespace fs = std::filesystem;

void write_frame(const fs::path &path, int intruder_column)
{
    QImage image(640, 480, QImage::Format_RGB888);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            image.setPixelColor(x, y, QColor(150 + (x * 7 + y * 3) % 40, 160 + (x + y) % 30, 140));
    if (intruder_column >= 0) {
        QPainter painter(&image);
        painter.fillRect(QRect(intruder_column, 200, 40, 100), QColor(20, 20, 20));
    }
    image.save(QString::fromStdString(path.string()), "JPG", 95);
}

// Runs orvex-replay with the arguments; returns what it printed and "exit N".
std::string replay(const std::string &arguments)
{
    std::string command = ORVEX_BIN_DIR "/orvex-replay ";
    command += arguments;
    std::string output;
    if (std::FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            output += buffer;
        output += "exit " + std::to_string(WEXITSTATUS(pclose(pipe)));
    }
    return output;
}

TEST(Replay, IntruderWalkingThroughArmedFramesIsConfirmed)
{
    scratch::application();
    scratch::Folder folder("replay");
    std::string frames;
    // Four quiet frames, then the block moving 10 px a frame: followed on every frame.
    for (int k = 0; k < 8; ++k) {
        const fs::path frame = folder.path / ("frame_" + std::to_string(k) + ".jpg");
        write_frame(frame, k < 4 ? -1 : 200 + 10 * (k - 4));
        frames += ' ';
        frames += frame.string();
    }
    const fs::path out = folder.path / "shown";
    fs::create_directory(out);
    const std::string output = replay("--out " + out.string() + frames);
    EXPECT_NE(output.find("frame 4 disarmed"), std::string::npos) << output;
    EXPECT_NE(output.find("frame 5 armed 640x480 masses 1"), std::string::npos) << output;
    EXPECT_NE(output.find("tracking 1 candidate"), std::string::npos) << output;
    EXPECT_NE(output.find("tracking 3 confirmed"), std::string::npos) << output;
    EXPECT_NE(output.find("exit 0"), std::string::npos) << output;
    EXPECT_TRUE(fs::exists(out / "frame_000008.jpg"));
}

TEST(Replay, UnreadableFrameOrBadOptionFails)
{
    scratch::Folder folder("replay_bad");
    scratch::write_text(folder.path / "bad.jpg", "not a picture");
    const std::string bad = (folder.path / "bad.jpg").string();
    EXPECT_NE(replay(bad + " 2>/dev/null").find("exit 1"), std::string::npos);
    EXPECT_NE(replay("--arm-at x a.jpg 2>/dev/null").find("exit 2"), std::string::npos);
}

} // namespace
