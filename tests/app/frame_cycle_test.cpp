// The frame cycle on the offscreen dialog against the demo camera: the disarmed path, the
// automatic and manual arming, the armed sequence and the latest-image file.
#include "demo_camera_process.h"
#include "scratch_folder.h"

#include "background.h"
#include "frame_buffer.h"
#include "mass_geometry.h"
#include "mass_labelling.h"
#include "orvex_dlg.h"
#include "parameters.h"
#include "picture_files.h"

#include <QComboBox>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using scratch::Folder;
namespace fs = std::filesystem;

// A textured scene; `with_intruder` adds a dark person-sized block at rows 200-299, columns
// 300-339.
QImage scene(bool with_intruder)
{
    QImage image(640, 480, QImage::Format_RGB888);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            image.setPixelColor(x, y, QColor(150 + (x * 7 + y * 3) % 40, 160 + (x + y) % 30, 140));
    if (with_intruder) {
        QPainter painter(&image);
        painter.fillRect(QRect(300, 200, 40, 100), QColor(20, 20, 20));
    }
    return image;
}

std::vector<uint8_t> plane_copy(const uint8_t *plane)
{
    return std::vector<uint8_t>(plane, plane + size_t(altezza) * larghezza);
}

class FrameCycle : public ::testing::Test {
protected:
    // The camera serves the folder's pictures in name order: `still` quiet frames, then
    // intruder frames.
    void start(int still, int intruders)
    {
        scratch::application();
        allarme_attivato = 0;
        iterazioni_complessive_della_funzione_timer = 0;
        fs::create_directories(frames);
        int n = 0;
        for (int k = 0; k < still + intruders; ++k) {
            char name[32];
            std::snprintf(name, sizeof name, "frame_%03d.jpg", ++n);
            scene(k >= still).save(QString::fromStdString((frames / name).string()), "JPG", 100);
        }
        camera = std::make_unique<DemoCamera>(std::vector<std::string>{"--folder", frames.string()});
        scratch::write_text(folder.archive() / "Http_Web_Request.txt", camera->url() + "\n");
        folder.enter();
        dialog = std::make_unique<COrvexDlg>();
        ASSERT_TRUE(dialog->OnInitDialog());
    }
    void tick() { dialog->OnTimer(frame_timer_id); }

    Folder folder{"frame_cycle"};
    fs::path frames = folder.path / "frames";
    std::unique_ptr<DemoCamera> camera;
    std::unique_ptr<COrvexDlg> dialog;
};

TEST_F(FrameCycle, DisarmedTicksKeepTheBackgroundEqualToTheSmoothedPicture)
{
    start(3, 0);
    // Rows 0-9 insensitive: shown blue, and never part of the background's own test.
    std::memset(matrice_grayscale_dei_pixel_sensibili_8bpp, 0, 640 * 10);
    for (int k = 0; k < 3; ++k) {
        tick();
        EXPECT_EQ(allarme_attivato, 0u);
        EXPECT_EQ(altezza, 480u);
        EXPECT_EQ(larghezza, 640u);
        EXPECT_EQ(plane_copy(matrice_red_dello_sfondo_8bpp), plane_copy(matrice_red_filtrata_8bpp));
        EXPECT_EQ(plane_copy(matrice_green_dello_sfondo_8bpp), plane_copy(matrice_green_filtrata_8bpp));
        EXPECT_EQ(plane_copy(matrice_blue_dello_sfondo_8bpp), plane_copy(matrice_blue_filtrata_8bpp));
        EXPECT_EQ(numero_di_frames_attualmente_elaborati, 0u);
    }
    // The displayed buffer is marked: insensitive pixels keep byte 0 only.
    EXPECT_NE(matrice_rgb_24bpp_originale[0], 0);
    EXPECT_EQ(matrice_rgb_24bpp_originale[1], 0);
    EXPECT_EQ(matrice_rgb_24bpp_originale[2], 0);
    EXPECT_NE(matrice_rgb_24bpp_originale[3 * 640 * 10 + 1], 0);
    EXPECT_FALSE(fs::exists(folder.archive() / "Last_Image.jpg"));
}

TEST_F(FrameCycle, FifthTickArmsAndTheFirstArmedFrameMeetsTheLastDisarmedBackground)
{
    start(4, 1);
    for (int k = 1; k <= 4; ++k) {
        tick();
        EXPECT_EQ(allarme_attivato, 0u) << k;
    }
    const std::vector<uint8_t> quiet_background = plane_copy(matrice_red_dello_sfondo_8bpp);
    tick();
    EXPECT_EQ(allarme_attivato, 1u);
    EXPECT_EQ(numero_di_frames_attualmente_elaborati, 1u);
    for (int id : {1022, 1006, 1000, 1010, 1013})
        EXPECT_FALSE(dialog->GetDlgItem(id)->isEnabled()) << id;

    // The dark block differs from the quiet background, so it is one mass of its size.
    ASSERT_EQ(enumerazione_delle_masse_intruse_corrente, 1);
    const int label = matrice_grayscale_delle_masse_intruse_8bpp[250 * 640 + 320];
    EXPECT_NE(label, 0);
    EXPECT_EQ(matrice_grayscale_delle_masse_intruse_8bpp[50 * 640 + 50], 0);

    // The background then moved 12 % of the way towards the intruder frame.
    const size_t inside = 250 * 640 + 320;
    EXPECT_LT(matrice_red_dello_sfondo_8bpp[inside], quiet_background[inside]);
    EXPECT_GT(matrice_red_dello_sfondo_8bpp[inside], matrice_red_filtrata_8bpp[inside]);
}

TEST_F(FrameCycle, LatestImageIsTheFrameAsCapturedWithoutMarkingOrOverlay)
{
    start(4, 1);
    std::memset(matrice_grayscale_dei_pixel_sensibili_8bpp, 0, 640 * 10);
    for (int k = 0; k < 5; ++k)
        tick();
    ASSERT_EQ(allarme_attivato, 1u);
    const fs::path latest = folder.archive() / "Last_Image.jpg";
    ASSERT_TRUE(fs::exists(latest));

    const std::string bytes = scratch::read_bytes(latest);
    static uint8_t decoded[frame_buffer_size];
    uint32_t rows = 0, columns = 0;
    ASSERT_TRUE(decode_picture(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(),
                               decoded, rows, columns));
    EXPECT_EQ(rows, 480u);
    EXPECT_EQ(columns, 640u);
    // Not marked: the insensitive top rows keep their green and red.
    EXPECT_GT(decoded[1], 100);
    EXPECT_GT(decoded[2], 100);
    // No overlay: the file shows the camera's picture, the scene and the dark block only.
    const std::string served = scratch::read_bytes(frames / "frame_005.jpg");
    static uint8_t original[frame_buffer_size];
    ASSERT_TRUE(decode_picture(reinterpret_cast<const uint8_t *>(served.data()), served.size(),
                               original, rows, columns));
    long worst = 0;
    for (size_t i = 0; i < size_t(3) * rows * columns; ++i)
        worst = std::max(worst, std::labs(long(decoded[i]) - long(original[i])));
    EXPECT_LE(worst, 8);
}

TEST_F(FrameCycle, ManualArmingAtTickThreeIsRepeatedByTheAutomaticArmingAtFive)
{
    start(6, 0);
    tick();
    tick();
    tick();
    dialog->OnBnClickedAttivazioneAllarme();
    EXPECT_EQ(allarme_attivato, 1u);
    tick();
    EXPECT_EQ(numero_di_frames_attualmente_elaborati, 1u);
    tick(); // tick 5 runs the arming again, already armed
    EXPECT_EQ(allarme_attivato, 1u);
    EXPECT_FALSE(dialog->GetDlgItem(1015)->isVisibleTo(dialog.get()));
    EXPECT_EQ(numero_di_frames_attualmente_elaborati, 2u);
    dialog->OnBnClickedDisattivazioneAllarme();
    tick();
    EXPECT_EQ(numero_di_frames_attualmente_elaborati, 0u);
    EXPECT_EQ(allarme_attivato, 0u);
}

} // namespace
