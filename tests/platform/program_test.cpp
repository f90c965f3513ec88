// The program as a whole: batch runs, the command line's errors, and a desktop start under a
// real X server that grabs its own window.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include <fstream>
#include <map>

#include "support/png_io.h"
#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

struct ProgramRun {
    int Code = -1;
    std::string Out;
    std::string Err;
};

ProgramRun runprogram(const QStringList& arguments, const TempDir& home) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(home.path()));
    process.setProcessEnvironment(environment);
    process.start(MIRADEX_PROGRAM, arguments);
    ProgramRun run;
    if (!process.waitForFinished(120000)) return run;
    run.Code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = process.readAllStandardOutput().toStdString();
    run.Err = process.readAllStandardError().toStdString();
    return run;
}

void writefile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(ProgramTest, CommandLineErrorsAndInformation) {
    TempDir home;
    const ProgramRun bogus = runprogram({"--bogus"}, home);
    EXPECT_EQ(bogus.Code, 2);
    EXPECT_NE(bogus.Err.find("Unbekannte Option „--bogus“"), std::string::npos);
    EXPECT_EQ(bogus.Out, "");
    const ProgramRun version = runprogram({"--version"}, home);
    EXPECT_EQ(version.Code, 0);
    EXPECT_EQ(version.Out.rfind("Miradex ", 0), 0u);
    EXPECT_NE(runprogram({"--help"}, home).Out.find("--batch"), std::string::npos);
}

// Every document given goes to the report opener, in order, whatever its name; the log goes to
// standard error. The last document is no saved report, so its refusal is the screen left (had
// the saved report come last, its text would be).
TEST(ProgramTest, BatchOpensEachDocumentInOrderAndPrintsTheScreen) {
    TempDir home;
    writefile(home.file("bericht.mirdx"), "Miradex-Bericht\r");
    writefile(home.file("notiz.txt"), "keine Info-Datei");
    const ProgramRun run =
        runprogram({"--batch", QString::fromStdString(home.file("bericht.mirdx")),
                    QString::fromStdString(home.file("notiz.txt"))},
                   home);
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out,
              std::string(11, '\n') + std::string(24, ' ') + "Diese Datei ist keine Info-Datei\n");
    EXPECT_NE(run.Err.find("applicationDidFinishLaunching: End."), std::string::npos);
    EXPECT_EQ(count(run.Out, "applicationDidFinishLaunching"), 0); // no log on the screen text
}

TEST(ProgramTest, BatchWritesThePictureOfWindowZero) {
    TempDir home;
    const ProgramRun run =
        runprogram({"--batch", "--png", QString::fromStdString(home.file("w0.png"))}, home);
    EXPECT_EQ(run.Code, 0) << run.Err;
    const std::optional<WindowImage> picture = readpng(home.file("w0.png"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width, 1312);
    EXPECT_EQ(picture->Height, 800);

    const ProgramRun unwritable = runprogram({"--batch", "--png", "/nonexistent/dir/w0.png"}, home);
    EXPECT_EQ(unwritable.Code, 1);
    EXPECT_NE(unwritable.Err.find("konnte nicht"), std::string::npos);
}

// The geometry file of the self-test: "name numbers..." per line.
std::map<std::string, std::vector<int>> readgeometry(const std::string& path) {
    std::map<std::string, std::vector<int>> values;
    std::ifstream in(path);
    std::string name;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        fields >> name;
        for (int v; fields >> v;)
            values[name].push_back(v);
    }
    return values;
}

struct Box {
    int Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;
    void add(int x, int y) {
        Left = std::min(Left, x), Top = std::min(Top, y);
        Right = std::max(Right, x), Bottom = std::max(Bottom, y);
    }
    int width() const { return Right - Left + 1; }
    int height() const { return Bottom - Top + 1; }
};

std::uint32_t at(const WindowImage& image, int x, int y) {
    return image.Pixels[static_cast<std::size_t>(y * image.Width + x)] & 0xFFFFFF;
}

// The border: every pixel of the border colour in the window below its menu bar; the drawing
// area: every other pixel inside the border.
std::pair<Box, Box> findborderanddrawing(const WindowImage& screen, const std::vector<int>& window,
                                         int titleBar) {
    constexpr std::uint32_t BorderColour = 0x545454;
    Box border;
    for (int y = window[1] + titleBar; y < window[1] + window[3]; ++y)
        for (int x = window[0]; x < window[0] + window[2]; ++x)
            if (at(screen, x, y) == BorderColour) border.add(x, y);
    Box drawing;
    for (int y = border.Top; y <= border.Bottom; ++y)
        for (int x = border.Left; x <= border.Right; ++x)
            if (at(screen, x, y) != BorderColour) drawing.add(x, y);
    return {border, drawing};
}

struct ScreenCase {
    const char* Screen;
    int Width;
    int Height;
};

// On a real X server window 0 shows a drawing area of the fitted size inside a border of 16
// pixels, and on the large screen exactly the runtime's picture.
TEST(ProgramTest, WindowZeroOnARealXServer) {
    if (QStandardPaths::findExecutable("xvfb-run").isEmpty() ||
        QStandardPaths::findExecutable("Xvfb").isEmpty())
        GTEST_SKIP() << "xvfb-run is not installed";
    const ScreenCase cases[] = {{"1920x1080x24", 1312, 800}, {"1280x1024x24", 688, 432}};
    for (const ScreenCase& c : cases) {
        SCOPED_TRACE(c.Screen);
        TempDir dir;
        const std::string prefix = dir.file("grab");
        QProcess script;
        script.start("bash", {MIRADEX_XVFB_SCRIPT, MIRADEX_PROGRAM, c.Screen,
                              QString::fromStdString(prefix)});
        ASSERT_TRUE(script.waitForFinished(180000));
        ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();

        const auto geometry = readgeometry(prefix + ".txt");
        const std::optional<WindowImage> screen = readpng(prefix + ".png");
        const std::optional<WindowImage> picture = readpng(prefix + "-image.png");
        ASSERT_TRUE(screen && picture);
        ASSERT_EQ(geometry.at("window").size(), 4u);
        const auto [border, drawing] =
            findborderanddrawing(*screen, geometry.at("window"), geometry.at("titlebar").at(0));
        EXPECT_EQ(drawing.width(), c.Width);
        EXPECT_EQ(drawing.height(), c.Height);
        EXPECT_EQ(drawing.Left - border.Left, 16);
        EXPECT_EQ(drawing.Top - border.Top, 16);
        EXPECT_EQ(border.width(), c.Width + 32);
        EXPECT_EQ(border.height(), c.Height + 32);
        if (picture->Width == drawing.width() && picture->Height == drawing.height()) {
            int wrong = 0;
            for (int y = 0; y < c.Height; ++y)
                for (int x = 0; x < c.Width; ++x)
                    if (at(*screen, drawing.Left + x, drawing.Top + y) != at(*picture, x, y))
                        ++wrong;
            EXPECT_EQ(wrong, 0);
        }
        const int startup = geometry.at("startup_ms").at(0);
        RecordProperty(std::string("startup_ms_") + c.Screen, startup);
        std::printf("start-up to the first frame of window 0 on %s: %d ms\n", c.Screen, startup);
    }
}

} // namespace
} // namespace mdx::test
