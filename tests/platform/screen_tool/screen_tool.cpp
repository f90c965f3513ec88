// A helper of the X server tests: grabs the screen, reads pixels, and finds a picture drawn
// at a whole multiple of its size on a grabbed screen.
//   screen_tool grab OUT.png
//   screen_tool pixel SCREEN.png X Y                  prints "R,G,B"
//   screen_tool find SCREEN.png PICTURE.png K [SLACK]  prints "X Y" of the picture drawn K times
//                                                      as large, pixel for pixel, with at most
//                                                      SLACK pixels of the picture differing
// Exit status 0 on success, 1 when not found or on an error.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

QImage load(const char* path) {
    QImage image(QString::fromLocal8Bit(path));
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

// How many of the picture's pixels differ from the screen at (x, y), K times as large; stops
// counting above limit.
long differing(const QImage& screen, const QImage& picture, int x, int y, int k, long limit) {
    long count = 0;
    for (int py = 0; py < picture.height(); ++py) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(py));
        for (int px = 0; px < picture.width(); ++px) {
            bool same = true;
            for (int dy = 0; dy < k && same; ++dy) {
                const auto* on =
                    reinterpret_cast<const QRgb*>(screen.constScanLine(y + py * k + dy));
                for (int dx = 0; dx < k && same; ++dx)
                    same = (on[x + px * k + dx] & 0xFFFFFF) == (row[px] & 0xFFFFFF);
            }
            if (!same && ++count > limit) return count;
        }
    }
    return count;
}

// A few pixels spread over the picture, 8 x 8 of them: at most two may differ at a place that
// can be the one (the cursor's cell may cover one or two).
bool likely(const QImage& screen, const QImage& picture, int x, int y, int k) {
    int misses = 0;
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 8; ++j) {
            const int px = picture.width() * (2 * i + 1) / 16;
            const int py = picture.height() * (2 * j + 1) / 16;
            const QRgb on = screen.pixel(x + px * k, y + py * k);
            if ((on & 0xFFFFFF) != (picture.pixel(px, py) & 0xFFFFFF) && ++misses > 2) return false;
        }
    return true;
}

int find(const QImage& screen, const QImage& picture, int k, long slack) {
    const int width = picture.width() * k, height = picture.height() * k;
    for (int y = 0; y + height <= screen.height(); ++y)
        for (int x = 0; x + width <= screen.width(); ++x) {
            if (!likely(screen, picture, x, y, k)) continue;
            if (differing(screen, picture, x, y, k, slack) <= slack) {
                std::printf("%d %d\n", x, y);
                return 0;
            }
        }
    std::fprintf(stderr, "screen_tool: Bild nicht gefunden\n");
    return 1;
}

int run(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "grab" && argc == 3) {
        QGuiApplication app(argc, argv);
        QScreen* screen = QGuiApplication::primaryScreen();
        return screen && screen->grabWindow(0).save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
    }
    if (command == "pixel" && argc == 5) {
        const QImage screen = load(argv[2]);
        const int x = std::atoi(argv[3]), y = std::atoi(argv[4]);
        if (!screen.valid(x, y)) return 1;
        const QRgb pixel = screen.pixel(x, y);
        std::printf("%d,%d,%d\n", qRed(pixel), qGreen(pixel), qBlue(pixel));
        return 0;
    }
    if (command == "find" && (argc == 5 || argc == 6)) {
        const QImage screen = load(argv[2]), picture = load(argv[3]);
        const int k = std::atoi(argv[4]);
        if (screen.isNull() || picture.isNull() || k < 1) return 1;
        return find(screen, picture, k, argc == 6 ? std::atol(argv[5]) : 0);
    }
    std::fprintf(stderr, "Aufruf: screen_tool grab|pixel|find ...\n");
    return 1;
}
} // namespace

int main(int argc, char** argv) {
    const int code = run(argc, argv);
    // Ends at once, as the program does: a leak checker in a sanitizer build would otherwise
    // count what Debian's Qt libraries keep until the end.
    std::fflush(nullptr);
    std::_Exit(code);
}
