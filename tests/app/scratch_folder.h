// Scratch working folders for the program's tests: a fresh folder with a Resources_Archive,
// entered for the test and removed after, and the one QApplication the dialog tests need.
#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <unistd.h>

namespace scratch {

namespace fs = std::filesystem;

inline QApplication &application()
{
    static int argc = 1;
    static char name[] = "orvex-test";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

inline void write_text(const fs::path &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string read_bytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A start-up picture with a recognisable pattern: colour bands by column.
inline void write_picture(const fs::path &path, int width, int height, const char *format = "JPG")
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, QColor((x * 255) / width, (y * 255) / height, 90));
    image.save(QString::fromStdString(path.string()), format, 95);
}

// Every file below the folder with its contents, to show that nothing was written.
inline std::map<std::string, std::string> snapshot(const fs::path &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(folder))
        files[fs::relative(entry.path(), folder).string()] =
            entry.is_regular_file() ? read_bytes(entry.path()) : std::string("<dir>");
    return files;
}

// A folder holding Resources_Archive with a start-up picture and a camera URL.
class Folder {
public:
    explicit Folder(const std::string &name)
    {
        path = fs::temp_directory_path() / ("orvex_" + name + "_" + std::to_string(::getpid()));
        fs::remove_all(path);
        fs::create_directories(path / "Resources_Archive");
        write_picture(path / "Resources_Archive/Connecting.jpg", 640, 480);
        write_text(path / "Resources_Archive/Http_Web_Request.txt",
                   "http://127.0.0.1:9/snapshot.jpg\n");
    }
    ~Folder()
    {
        if (entered)
            fs::current_path(previous);
        fs::remove_all(path);
    }
    void enter()
    {
        previous = fs::current_path();
        fs::current_path(path);
        entered = true;
    }
    fs::path archive() const { return path / "Resources_Archive"; }

    fs::path path;

private:
    fs::path previous;
    bool entered = false;
};

} // namespace scratch
