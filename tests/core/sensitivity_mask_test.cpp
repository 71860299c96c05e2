// Sensitivity mask: brush cells under a click, whole-image edits, clipping at the image edge,
// and the mask file read at start-up and rewritten after every edit.
#include "sensitivity_mask.h"

#include "frame_buffer.h"
#include "parameters.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

uint8_t *const mask = matrice_grayscale_dei_pixel_sensibili_8bpp;

// Runs every test in its own scratch folder holding a Resources_Archive, as the program does.
class SensitivityMask : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = fs::current_path();
        dir = fs::temp_directory_path() /
              ("orvex_mask_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "Resources_Archive");
        fs::current_path(dir);
    }
    void TearDown() override
    {
        fs::current_path(previous);
        fs::remove_all(dir);
    }

    static void frame(uint32_t width, uint32_t height, uint32_t brush)
    {
        larghezza = width;
        altezza = height;
        area_elementare_di_desensibilizzazione = brush;
    }
    static std::vector<uint8_t> file_bytes()
    {
        std::ifstream in(sensitive_pixels_path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static bool file_equals_plane()
    {
        const std::vector<uint8_t> bytes = file_bytes();
        return bytes.size() == plane_size && std::memcmp(bytes.data(), mask, plane_size) == 0;
    }

    fs::path previous;
    fs::path dir;
};

// First index where the plane is not `inside` within the rectangle (of a width-wide image)
// and `outside` everywhere else; -1 when it all matches.
long first_mismatch(uint32_t width, uint32_t first_row, uint32_t last_row, uint32_t first_column,
                    uint32_t last_column, uint8_t inside, uint8_t outside)
{
    for (uint32_t p = 0; p < plane_size; ++p) {
        const uint32_t row = p / width, column = p % width;
        const bool in = row >= first_row && row <= last_row && column >= first_column &&
                        column <= last_column;
        if (mask[p] != (in ? inside : outside))
            return long(p);
    }
    return -1;
}

struct CellCase {
    const char *name;
    uint32_t width, height, brush;
    MaskClick click;
    int x, y;
    uint8_t before;                            // the whole plane before the click
    uint32_t row0, row1, column0, column1;     // the cell that must change, inclusive
};

TEST_F(SensitivityMask, ClickEditsTheBrushCellUnderTheCursorAndRewritesTheFile)
{
    const CellCase cases[] = {
        {"640x480 brush 64 press at 10,10", 640, 480, 64, MaskClick::LeftDown, 10, 10, 1,
         0, 63, 0, 63},
        {"640x480 brush 64 double-click at 63,63", 640, 480, 64, MaskClick::LeftDoubleClick, 63,
         63, 0, 0, 63, 0, 63},
        {"1920x1080 brush 8 press at 639,479", 1920, 1080, 8, MaskClick::LeftDown, 639, 479, 1,
         1072, 1079, 1912, 1919},
        {"1920x1200 brush 128 cut at the last row", 1920, 1200, 128, MaskClick::LeftDown, 639,
         479, 1, 1152, 1199, 1792, 1919},
        {"1000x700 brush 128 cut at the last column", 1000, 700, 128, MaskClick::LeftDown, 639,
         479, 1, 640, 699, 896, 999},
        {"640x480 brush 128 double-click cut at the corner", 640, 480, 128,
         MaskClick::LeftDoubleClick, 639, 479, 0, 384, 479, 512, 639},
    };
    for (const CellCase &c : cases) {
        SCOPED_TRACE(c.name);
        frame(c.width, c.height, c.brush);
        std::memset(mask, c.before, plane_size);
        fs::remove(sensitive_pixels_path);

        EXPECT_TRUE(edit_sensitivity_mask(c.click, c.x, c.y));
        EXPECT_EQ(first_mismatch(c.width, c.row0, c.row1, c.column0, c.column1,
                                 uint8_t(1 - c.before), c.before),
                  -1);
        EXPECT_TRUE(file_equals_plane());
    }
}

TEST_F(SensitivityMask, ClicksOutsideTheDisplayAreaChangeAndWriteNothing)
{
    struct Point {
        uint32_t width, height;
        int x, y;
    };
    const Point points[] = {
        {640, 480, 640, 10},      {640, 480, 10, 480},       {640, 480, 700, 900},
        {640, 480, -1, 10},       {640, 480, 10, -1},        {1920, 1080, 640, 479},
        {1920, 1080, 639, 480},   {1920, 1200, INT_MAX, INT_MAX},
        {1920, 1200, 10, 3579140}, // 1200 * y wraps to 704 in 32 bits: must not land on row 1
    };
    const MaskClick clicks[] = {MaskClick::LeftDown, MaskClick::LeftDoubleClick,
                                MaskClick::RightDown, MaskClick::RightDoubleClick};
    for (const Point &p : points) {
        for (MaskClick click : clicks) {
            SCOPED_TRACE(testing::Message() << p.width << "x" << p.height << " at " << p.x << ","
                                            << p.y << " click " << int(click));
            frame(p.width, p.height, 64);
            std::memset(mask, 2, plane_size); // neither value an edit writes
            EXPECT_FALSE(edit_sensitivity_mask(click, p.x, p.y));
            EXPECT_EQ(first_mismatch(p.width, 1, 0, 1, 0, 0, 2), -1);
            EXPECT_FALSE(fs::exists(sensitive_pixels_path));
        }
    }
}

TEST_F(SensitivityMask, RightButtonEditsOnlyTheCurrentImageButSavesTheWholePlane)
{
    frame(640, 480, 64);
    std::memset(mask, 0, plane_size);
    std::memset(mask + 307200, 7, plane_size - 307200); // beyond the frame: must stay as it is

    EXPECT_TRUE(edit_sensitivity_mask(MaskClick::RightDown, 300, 200));
    EXPECT_EQ(first_mismatch(640, 0, 479, 0, 639, 1, 7), -1);
    EXPECT_TRUE(file_equals_plane());

    // A double-click arrives as press then double-click: sensitive first, insensitive at the end.
    EXPECT_TRUE(edit_sensitivity_mask(MaskClick::RightDown, 300, 200));
    EXPECT_TRUE(edit_sensitivity_mask(MaskClick::RightDoubleClick, 300, 200));
    EXPECT_EQ(first_mismatch(640, 0, 479, 0, 639, 0, 7), -1);
    EXPECT_TRUE(file_equals_plane());
}

TEST_F(SensitivityMask, LeftDoubleClickInItsDeliveryOrderLeavesTheCellSensitive)
{
    frame(640, 480, 64);
    std::memset(mask, 1, plane_size);
    EXPECT_TRUE(edit_sensitivity_mask(MaskClick::LeftDown, 10, 10)); // another cell, stays 0
    EXPECT_TRUE(edit_sensitivity_mask(MaskClick::LeftDown, 100, 100));
    EXPECT_TRUE(edit_sensitivity_mask(MaskClick::LeftDoubleClick, 100, 100));
    EXPECT_EQ(first_mismatch(640, 0, 63, 0, 63, 0, 1), -1);
    EXPECT_TRUE(file_equals_plane());

    // A later brush size only changes later clicks.
    area_elementare_di_desensibilizzazione = 8;
    EXPECT_TRUE(edit_sensitivity_mask(MaskClick::LeftDoubleClick, 10, 10)); // cell 8..15
    for (uint32_t row = 0; row < 64; ++row)
        for (uint32_t column = 0; column < 64; ++column) {
            const bool small_cell = row >= 8 && row < 16 && column >= 8 && column < 16;
            ASSERT_EQ(mask[row * 640 + column], small_cell ? 1 : 0) << row << "," << column;
        }
}

TEST_F(SensitivityMask, FailedWriteKeepsTheEditInMemory)
{
    fs::remove_all("Resources_Archive");
    frame(640, 480, 64);
    std::memset(mask, 1, plane_size);
    EXPECT_TRUE(edit_sensitivity_mask(MaskClick::LeftDown, 10, 10));
    EXPECT_EQ(first_mismatch(640, 0, 63, 0, 63, 0, 1), -1);
    EXPECT_FALSE(write_sensitivity_mask(sensitive_pixels_path));
}

// The fills on a small picture: 6 columns, 5 rows, in a buffer with a guard after the plane.
std::string draw(const std::vector<uint8_t> &buffer, uint32_t columns, uint32_t rows)
{
    std::string picture;
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < columns; ++c)
            picture += char('0' + buffer[r * columns + c]);
        picture += '\n';
    }
    return picture;
}

TEST(RectangleFill, SquarePastTheImageIsCutThereNotWrapped)
{
    std::vector<uint8_t> buffer(plane_size + 64, 1);
    Desensibilizzazione_Del_Rettangolo(buffer.data(), 5, 6, 3, 7, 4, 7);
    EXPECT_EQ(draw(buffer, 6, 6), "111111\n"
                                  "111111\n"
                                  "111111\n"
                                  "111100\n"
                                  "111100\n"
                                  "111111\n"); // row 5 lies below the image: untouched

    Sensibilizzazione_Del_Rettangolo(buffer.data(), 5, 6, 4, 4, 5, 9);
    Desensibilizzazione_Del_Rettangolo(buffer.data(), 5, 6, 2, 1, 0, 5); // empty: no rows
    Desensibilizzazione_Del_Rettangolo(buffer.data(), 5, 6, 0, 4, 6, 9); // empty: past the edge
    EXPECT_EQ(draw(buffer, 6, 5), "111111\n"
                                  "111111\n"
                                  "111111\n"
                                  "111100\n"
                                  "111101\n");
}

TEST(RectangleFill, LastCellOfTheLargestFrameStaysInsideThePlane)
{
    std::vector<uint8_t> buffer(plane_size + 4096, 1);
    // Brush 128 on 1920 x 1200: the aligned cell spans rows 1152 to 1279.
    Desensibilizzazione_Del_Rettangolo(buffer.data(), 1200, 1920, 1152, 1279, 1792, 1919);
    for (size_t p = 0; p < buffer.size(); ++p) {
        const size_t row = p / 1920, column = p % 1920;
        const bool cleared = row >= 1152 && row <= 1199 && column >= 1792;
        ASSERT_EQ(buffer[p], cleared ? 0 : 1) << "byte " << p;
    }
}

TEST_F(SensitivityMask, StartUpReadTakesTheFilesBytesUpToOnePlane)
{
    struct ReadCase {
        const char *name;
        long file_size; // -1: no file
    };
    const ReadCase cases[] = {
        {"no file: all sensitive", -1},
        {"1,000 bytes", 1000},
        {"exactly one plane", long(plane_size)},
        {"longer than a plane", long(plane_size) + 10},
        {"empty file", 0},
    };
    for (const ReadCase &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes(c.file_size < 0 ? 0 : size_t(c.file_size));
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = uint8_t(i % 3); // 0, 1 and 2: any non-zero byte counts as sensitive
        fs::remove(sensitive_pixels_path);
        if (c.file_size >= 0)
            std::ofstream(sensitive_pixels_path, std::ios::binary)
                .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        std::memset(mask, 0, plane_size); // as at start-up

        read_sensitivity_mask(sensitive_pixels_path);
        long wrong = -1;
        for (size_t p = 0; p < plane_size && wrong < 0; ++p) {
            const uint8_t expected = c.file_size < 0 ? 1 : p < bytes.size() ? bytes[p] : 0;
            if (mask[p] != expected)
                wrong = long(p);
        }
        EXPECT_EQ(wrong, -1);
    }
}

} // namespace
