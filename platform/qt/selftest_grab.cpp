#include "platform/qt/selftest_grab.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>
#include <QTimer>

#include <time.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "app/program.h"
#include "platform/qt/graphic_view.h"
#include "platform/qt/layer_window.h"
#include "platform/qt/qt_window_layer.h"
#include "runtime/checked_window.h"
#include "runtime/image.h"
#include "runtime/state.h"

namespace mdx::qt {
namespace {

constexpr int PollMs = 50;
constexpr int SettleMs = 300;   // lets the drawn frame reach the screen before the grab
constexpr int GiveUpMs = 30000; // the program failed to draw if it has not by then

qint64 millisecondssince(std::chrono::steady_clock::time_point start) {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

struct SelfTest {
    QtWindowLayer* Layer = nullptr;
    QString Prefix;
    std::chrono::steady_clock::time_point MainEntered;
    qint64 FirstFrameMs = -1;
    qint64 FirstFrameMainMs = -1;
    bool Settled = false; // drawn at the final size with the program idle
    bool Grabbing = false;
};

// The final state: the program thread has finished its start (it is idle only then), and
// window 0 is ready and shown, at the size fitted to the screen.
bool settled(const QtWindowLayer& layer) {
    return programidle() && windowready(0) && rt().WindowTable[0].Visible &&
           layer.viewwidget(0)->isVisible();
}

QImage pictureofwindowzero() {
    std::optional<WindowImage> image = t_WindowImage(0);
    if (!image) return QImage();
    return QImage(reinterpret_cast<const uchar*>(image->Pixels.data()),
                  static_cast<int>(image->Width), static_cast<int>(image->Height),
                  static_cast<qsizetype>(image->Width) * 4, QImage::Format_RGB32)
        .copy();
}

QString rectline(const char* name, const QRect& r) {
    return QString("%1 %2 %3 %4 %5\n")
        .arg(name)
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
}

void writegeometry(const SelfTest& test) {
    LayerWindow* window = test.Layer->windowwidget(0);
    GraphicView* view = test.Layer->viewwidget(0);
    QFile file(test.Prefix + ".txt");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    QTextStream out(&file);
    out << rectline("screen", window->screen()->geometry());
    out << rectline("window", window->geometry());
    out << rectline("view", QRect(view->mapToGlobal(QPoint(0, 0)), view->size()));
    out << "titlebar " << test.Layer->titlebarheight() << "\n";
    out << "startup_ms " << test.FirstFrameMs << "\n";
    out << "startup_main_ms " << test.FirstFrameMainMs << "\n";
}

// Grabs when the picture is the same before and after the grab (a blinking cursor could
// otherwise make them differ); else tries again at the next poll.
void grab(const std::shared_ptr<SelfTest>& test) {
    const QImage before = pictureofwindowzero();
    const QPixmap screen = test->Layer->windowwidget(0)->screen()->grabWindow(0);
    const QImage after = pictureofwindowzero();
    test->Grabbing = false;
    if (before.isNull() || before != after) return;
    const bool written = screen.toImage().save(test->Prefix + ".png", "PNG") &&
                         after.save(test->Prefix + "-image.png", "PNG");
    writegeometry(*test);
    QApplication::exit(written ? 0 : 1);
}

void poll(const std::shared_ptr<SelfTest>& test) {
    if (millisecondssince(test->MainEntered) > GiveUpMs) {
        writegeometry(*test);
        QApplication::exit(1);
        return;
    }
    if (!test->Settled || test->Grabbing) return;
    test->Grabbing = true;
    QTimer::singleShot(SettleMs, [test] { grab(test); });
}

} // namespace

qint64 millisecondssinceprocessstart() {
    std::ifstream stat("/proc/self/stat");
    std::string text;
    std::getline(stat, text);
    // The fields after the command name, which ends with the last ')': state is field 3, the
    // start time (clock ticks after boot) field 22.
    const std::size_t end = text.rfind(')');
    if (end == std::string::npos) return -1;
    std::istringstream fields(text.substr(end + 1));
    std::string field;
    for (int i = 3; i < 22; ++i)
        fields >> field;
    unsigned long long startTicks = 0;
    if (!(fields >> startTicks)) return -1;
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1;
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (ticksPerSecond <= 0) return -1;
    const qint64 nowMs = qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    return nowMs - qint64(startTicks) * 1000 / ticksPerSecond;
}

void startselftestgrab(QtWindowLayer& layer, const QString& prefix,
                       std::chrono::steady_clock::time_point mainEntered, QObject* owner) {
    auto test = std::make_shared<SelfTest>();
    test->Layer = &layer;
    test->Prefix = prefix;
    test->MainEntered = mainEntered;
    layer.viewwidget(0)->drawn = [test](UInt8) {
        if (test->FirstFrameMs < 0) {
            test->FirstFrameMs = millisecondssinceprocessstart();
            test->FirstFrameMainMs = millisecondssince(test->MainEntered);
        }
        test->Settled = test->Settled || settled(*test->Layer);
    };
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, timer, [test] { poll(test); });
    timer->start(PollMs);
}

} // namespace mdx::qt
