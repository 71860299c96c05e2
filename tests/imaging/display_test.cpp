// Display: the frame buffer stretched onto the 640 x 480 display area, drawn into an image
// so every pixel can be checked.
#include "display.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

// A frame whose every pixel names its own row and column: byte 0 (shown as blue) the column's
// low byte, byte 1 the row's, byte 2 their high bits; a wrong stride or byte order shows at once.
std::vector<uint8_t> coordinate_frame(uint32_t rows, uint32_t cols)
{
    std::vector<uint8_t> bgr(size_t(rows) * cols * 3);
    for (uint32_t r = 0; r < rows; ++r)
        for (uint32_t c = 0; c < cols; ++c) {
            uint8_t *p = &bgr[(size_t(r) * cols + c) * 3];
            p[0] = uint8_t(c);
            p[1] = uint8_t(r);
            p[2] = uint8_t((c >> 8) * 16 + (r >> 8));
        }
    return bgr;
}

// Reads back which frame pixel a display pixel shows.
std::pair<uint32_t, uint32_t> row_and_column_of(QRgb shown)
{
    return {uint32_t(qGreen(shown)) + 256 * (uint32_t(qRed(shown)) & 15),
            uint32_t(qBlue(shown)) + 256 * (uint32_t(qRed(shown)) >> 4)};
}

const QRgb outside = qRgb(1, 2, 3); // never produced by a frame below

// Draws the frame as the window would, onto a canvas larger than the display area.
QImage drawn(const uint8_t *bgr, uint32_t rows, uint32_t cols)
{
    QImage canvas(700, 520, QImage::Format_RGB32);
    canvas.fill(outside);
    QPainter painter(&canvas);
    draw_frame(painter, bgr, rows, cols, 480, 640);
    painter.end();
    return canvas;
}

void expect_nothing_outside_the_display_area(const QImage &canvas)
{
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (x >= 640 || y >= 480) {
                ASSERT_EQ(canvas.pixel(x, y), outside) << x << ", " << y;
            }
}

// First and last frame index under display pixels [d, d + 1) when `frame` maps onto `display`.
std::pair<uint32_t, uint32_t> footprint(uint32_t d, uint32_t frame, uint32_t display)
{
    const uint32_t first = d * frame / display;
    const uint32_t end = ((d + 1) * frame + display - 1) / display; // rounded up
    return {first, std::max(first, end - 1)};
}

TEST(Display, FrameIsStretchedOntoTheWholeDisplayArea)
{
    // Each display pixel shows a frame pixel lying under it, so 1280 x 720 appears at half its
    // width and two thirds of its height, and 320 x 240 at twice its size, one pixel to a 2 x 2
    // block; the aspect is never kept.
    struct Case {
        uint32_t rows, cols;
    };
    for (const Case &c : {Case{720, 1280}, Case{240, 320}, Case{480, 640}, Case{1200, 1920},
                          Case{479, 641}, Case{1080, 1441}, Case{3, 5}, Case{1, 1}}) {
        SCOPED_TRACE(std::to_string(c.cols) + " x " + std::to_string(c.rows));
        const std::vector<uint8_t> frame = coordinate_frame(c.rows, c.cols);
        const QImage canvas = drawn(frame.data(), c.rows, c.cols);
        int wrong = 0;
        for (uint32_t y = 0; y < 480; ++y)
            for (uint32_t x = 0; x < 640; ++x) {
                const auto [row, column] = row_and_column_of(canvas.pixel(int(x), int(y)));
                const auto [first_row, last_row] = footprint(y, c.rows, 480);
                const auto [first_column, last_column] = footprint(x, c.cols, 640);
                if ((row < first_row || row > last_row || column < first_column ||
                     column > last_column) &&
                    wrong++ < 3)
                    ADD_FAILURE() << "display " << x << ", " << y << " shows frame column "
                                  << column << ", row " << row << "; expected columns "
                                  << first_column << "-" << last_column << ", rows " << first_row
                                  << "-" << last_row;
            }
        EXPECT_EQ(wrong, 0);
        expect_nothing_outside_the_display_area(canvas);
    }
}

TEST(Display, EmptyFrameDrawsNothing)
{
    const std::vector<uint8_t> frame = coordinate_frame(4, 4);
    for (const auto &[rows, cols] : {std::pair{0u, 640u}, std::pair{480u, 0u}, std::pair{0u, 0u}}) {
        const QImage canvas = drawn(frame.data(), rows, cols);
        EXPECT_EQ(canvas.pixel(0, 0), outside);
        EXPECT_EQ(canvas.pixel(639, 479), outside);
    }
    EXPECT_EQ(drawn(nullptr, 480, 640).pixel(320, 240), outside);
}

} // namespace
