// Parameter file: defaults, round trip, and files of every length and content.
#include "parameters.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class ParameterFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("orvex_param_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "Combo_Box_Parameters.bin").string();
        for (const auto &slot : parameter_slots)
            *slot.value = 0xDEADBEEF; // not a value any reader could leave by accident
    }
    void TearDown() override { fs::remove_all(dir); }

    void write_raw(const std::vector<uint8_t> &bytes)
    {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::vector<uint8_t> read_raw()
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static std::vector<uint8_t> file_of(const std::vector<uint32_t> &values)
    {
        std::vector<uint8_t> bytes;
        for (uint32_t v : values)
            for (int b = 0; b < 4; ++b)
                bytes.push_back(uint8_t(v >> (8 * b)));
        return bytes;
    }
    static std::vector<uint32_t> defaults()
    {
        std::vector<uint32_t> d;
        for (const auto &slot : parameter_slots)
            d.push_back(slot.default_value);
        return d;
    }
    static std::vector<uint32_t> current()
    {
        std::vector<uint32_t> v;
        for (const auto &slot : parameter_slots)
            v.push_back(*slot.value);
        return v;
    }

    fs::path dir;
    std::string path;
};

TEST_F(ParameterFile, MissingFileGivesEveryDefaultAndCreatesNothing)
{
    Lettura_Dei_Parametri(path.c_str());
    EXPECT_EQ(current(), (std::vector<uint32_t>{15, 1, 2, 450, 5, 50, 3, 30, 30, 10, 15, 251, 15,
                                                 251, 10, 5, 40, 64, 6400, 0}));
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(ParameterFile, RoundTripKeepsAllTwentyValuesInFileOrder)
{
    const std::vector<uint32_t> stored{18, 10, 15, 25, 45, 125, 50, 1554, 1, 84, 1, 1554, 5,
                                       749, 90, 1280, 1, 128, 819200, 4294967295u};
    for (size_t k = 0; k < parameter_count; ++k)
        *parameter_slots[k].value = stored[k];
    ASSERT_TRUE(Scrittura_Dei_Parametri(path.c_str()));
    EXPECT_EQ(read_raw(), file_of(stored));
    EXPECT_FALSE(fs::exists(path + ".tmp"));

    for (const auto &slot : parameter_slots)
        *slot.value = 0;
    Lettura_Dei_Parametri(path.c_str());
    EXPECT_EQ(current(), stored);
    EXPECT_EQ(frames_per_secondo, 10u);
    EXPECT_EQ(progressivo_ultima_immagine_archiviata, 4294967295u);
}

TEST_F(ParameterFile, ShortFileLeavesTheRestAtDefaults)
{
    // 9 bytes: two whole values and one byte of the third.
    write_raw({17, 0, 0, 0, 7, 0, 0, 0, 9});
    Lettura_Dei_Parametri(path.c_str());
    std::vector<uint32_t> expected = defaults();
    expected[0] = 17;
    expected[1] = 7;
    EXPECT_EQ(current(), expected);
}

TEST_F(ParameterFile, LongFileUsesTheFirstEightyBytesAndIsEightyAfterSave)
{
    std::vector<uint32_t> values = defaults();
    values[2] = 9;
    std::vector<uint8_t> bytes = file_of(values);
    bytes.insert(bytes.end(), 37, 0xAB);
    write_raw(bytes);
    Lettura_Dei_Parametri(path.c_str());
    EXPECT_EQ(current(), values);
    ASSERT_TRUE(Scrittura_Dei_Parametri(path.c_str()));
    EXPECT_EQ(read_raw().size(), parameter_file_size);
}

TEST_F(ParameterFile, DivisorsAndUnknownModesTakeDefaultsOtherValuesAreKept)
{
    struct Case {
        const char *what;
        size_t slot;
        uint32_t stored;
        uint32_t expected;
    };
    const Case cases[] = {
        {"frame rate 0", 1, 0, 1},
        {"frame rate 20 stays", 1, 20, 20},
        {"brush 0", 17, 0, 64},
        {"brush 3 stays", 17, 3, 3},
        {"mode 0", 0, 0, 15},
        {"mode 19", 0, 19, 15},
        {"mode 1 stays", 0, 1, 1},
        {"radius 0 stays", 2, 0, 0},
        {"threshold huge stays", 3, 4000000000u, 4000000000u},
        {"density 0 stays", 14, 0, 0},
    };
    for (const Case &c : cases) {
        std::vector<uint32_t> values = defaults();
        values[c.slot] = c.stored;
        write_raw(file_of(values));
        Lettura_Dei_Parametri(path.c_str());
        EXPECT_EQ(*parameter_slots[c.slot].value, c.expected) << c.what;
    }
}

TEST_F(ParameterFile, FailedWriteKeepsMemoryAndOldFile)
{
    Lettura_Dei_Parametri(path.c_str());
    const std::string missing_folder = (dir / "absent" / "Combo_Box_Parameters.bin").string();
    frames_per_secondo = 7;
    EXPECT_FALSE(Scrittura_Dei_Parametri(missing_folder.c_str()));
    EXPECT_EQ(frames_per_secondo, 7u);
}

} // namespace
