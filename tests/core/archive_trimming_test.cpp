// Archive trimming: ten-digit names, the arming's rule on real archive files, and the loop's end
// at the largest number.
#include "archive_trimming.h"

#include "parameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string digits(uint32_t n)
{
    char text[] = "0000000000";
    Conversione_Numero_Stringa(n, text);
    return text;
}

TEST(ArchiveNames, TenDigitsWithLeadingZeros)
{
    const std::pair<uint32_t, const char *> cases[] = {
        {0, "0000000000"},          {7, "0000000007"},          {123456789, "0123456789"},
        {1000000000, "1000000000"}, {4294967295u, "4294967295"}, {3601, "0000003601"},
    };
    for (const auto &[n, text] : cases)
        EXPECT_EQ(digits(n), text) << n;

    char buffer[] = "0000000000XY"; // nothing after the ten digits is touched
    Conversione_Numero_Stringa(42, buffer);
    EXPECT_STREQ(buffer, "0000000042XY");
}

// Each test works in a scratch folder with both archive folders, and puts the old one back.
class ArchiveTrimming : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = fs::current_path();
        dir = fs::temp_directory_path() /
              ("orvex_trim_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "Image_Archive");
        fs::create_directories(dir / "Analytics_Archive");
        fs::current_path(dir);
    }
    void TearDown() override
    {
        fs::current_path(previous);
        fs::remove_all(dir);
    }

    static std::string image(uint32_t n) { return "Image_Archive/Image_" + digits(n) + ".jpg"; }
    static std::string analytics(uint32_t n)
    {
        return "Analytics_Archive/Analytics_" + digits(n) + ".bin";
    }
    static void create(uint32_t n)
    {
        std::ofstream(image(n)) << "jpg";
        std::ofstream(analytics(n)) << "bin";
    }

    fs::path previous;
    fs::path dir;
};

TEST_F(ArchiveTrimming, NumberSevenNamesBothFiles)
{
    create(7);
    EXPECT_TRUE(fs::exists("Image_Archive/Image_0000000007.jpg"));
    EXPECT_TRUE(fs::exists("Analytics_Archive/Analytics_0000000007.bin"));
    Rimozione_Immagini_JPG(7, 7);
    EXPECT_FALSE(fs::exists("Image_Archive/Image_0000000007.jpg"));
    EXPECT_FALSE(fs::exists("Analytics_Archive/Analytics_0000000007.bin"));
}

struct RuleCase {
    const char *name;
    uint32_t previous_limit, limit, newest; // Np, N, P
    uint32_t first, last;                   // range deleted; first > last: nothing
};

TEST_F(ArchiveTrimming, ArmingDeletesWhatTheOldLimitKeptAndTheNewOneDoesNot)
{
    const RuleCase cases[] = {
        {"6400 to 1600, P 10000", 6400, 1600, 10000, 3601, 8400},
        {"6400 to 1600, P 5000", 6400, 1600, 5000, 1, 3400},
        {"6400 to 1600, P 6399", 6400, 1600, 6399, 1, 4799},
        {"6400 to 1600, P 1200: not more than the limit", 6400, 1600, 1200, 1, 0},
        {"6400 to 100, P 10000", 6400, 100, 10000, 3601, 9900},
        {"6400 to 100, P 3000", 6400, 100, 3000, 1, 2900},
        {"6400 to 100, P 6400", 6400, 100, 6400, 1, 6300},
        {"P equal to the new limit", 6400, 100, 100, 1, 0},
        {"first arming: nothing recorded yet", 0, 100, 10000, 1, 0},
        {"limit raised", 1600, 6400, 10000, 1, 0},
        {"limit unchanged", 1600, 1600, 10000, 1, 0},
        // 6400, then 800, then 100 while disarmed: only the limit of the last disarming counts.
        {"lowered twice", 6400, 100, 10000, 3601, 9900},
        {"no parameter file (P 0)", 6400, 100, 0, 1, 0},
    };
    for (const RuleCase &c : cases) {
        SCOPED_TRACE(c.name);
        // Files just around both ends of the range, and at both ends of the archive.
        std::set<uint32_t> probes{1, 2, c.newest - 1, c.newest};
        for (uint32_t edge : {c.first, c.last})
            for (uint32_t n : {edge - 1, edge, edge + 1})
                probes.insert(n);
        probes.insert(c.first + (c.last - c.first) / 2);
        std::erase_if(probes, [&](uint32_t n) { return n == 0 || n > c.newest; });
        for (uint32_t n : probes)
            create(n);

        numero_massimo_di_immagini_archiviate_precedente = c.previous_limit;
        numero_massimo_di_immagini_archiviate = c.limit;
        progressivo_ultima_immagine_archiviata = c.newest;
        apply_archive_trimming_rule();

        for (uint32_t n : probes) {
            const bool deleted = c.first <= c.last && n >= c.first && n <= c.last;
            EXPECT_EQ(fs::exists(image(n)), !deleted) << image(n);
            EXPECT_EQ(fs::exists(analytics(n)), !deleted) << analytics(n);
        }
        EXPECT_EQ(progressivo_ultima_immagine_archiviata, c.newest); // trimming never renumbers
        for (uint32_t n : probes) {
            fs::remove(image(n));
            fs::remove(analytics(n));
        }
    }
}

TEST_F(ArchiveTrimming, RangeEndingAtTheLargestNumberStops)
{
    for (uint32_t n : {0u, 1u, 4294967289u, 4294967290u, 4294967293u, 4294967295u})
        create(n);
    // A loop that wrapped past 4294967295 would run on for hours: the alarm ends it as a failure.
    EXPECT_EXIT(
        {
            ::alarm(20);
            Rimozione_Immagini_JPG(4294967290u, 4294967295u);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    for (uint32_t n : {4294967290u, 4294967293u, 4294967295u})
        EXPECT_FALSE(fs::exists(image(n))) << n;
    for (uint32_t n : {0u, 1u, 4294967289u})
        EXPECT_TRUE(fs::exists(image(n)) && fs::exists(analytics(n))) << n;
}

TEST_F(ArchiveTrimming, MissingFilesAndFoldersAreIgnored)
{
    create(5);
    Rimozione_Immagini_JPG(5, 4); // first after last: nothing at all
    EXPECT_TRUE(fs::exists(image(5)));
    fs::remove_all("Analytics_Archive");
    Rimozione_Immagini_JPG(1, 1000); // only number 5 exists, and only its image
    EXPECT_FALSE(fs::exists(image(5)));
    EXPECT_TRUE(fs::is_empty("Image_Archive"));
}

} // namespace
