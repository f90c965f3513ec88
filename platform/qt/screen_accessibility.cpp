#include "platform/qt/screen_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "platform/qt/graphic_view.h"
#include "runtime/checked_window.h"
#include "runtime/readback.h"
#include "runtime/state.h"

namespace mdx::qt {
namespace {

ScreenEventReceiver& receiver() {
    static ScreenEventReceiver standIn = nullptr;
    return standIn;
}

bool listening() {
    return receiver() || QAccessible::isActive();
}

void tell(QAccessibleEvent& event) {
    if (receiver())
        receiver()(&event);
    else
        QAccessible::updateAccessibility(&event);
}

// How long a screen must stay unchanged, with the program no longer holding back its redraws,
// before it is announced.
constexpr int RestMs = 500;

int refreshintervalms(UInt8 window) {
    const Int rate = windowready(window) ? rt().WindowTable[window].RefreshRate.load() : 0;
    return rate > 0 ? static_cast<int>(std::max<Int>(1000 / rate, 1)) : 1000 / 30;
}

// A report run holds back the window's automatic redraws until its screen is complete.
bool programholdsscreen(UInt8 window) {
    return !windowready(window) || !rt().WindowTable[window].AutoUpdate;
}

// The line (0-based) and the offset where it starts, for an offset in a screen text.
std::pair<int, int> lineof(const QString& text, int offset) {
    const int before = static_cast<int>(text.left(offset).count(u'\n'));
    const int start = before == 0 ? 0 : static_cast<int>(text.lastIndexOf(u'\n', offset - 1)) + 1;
    return {before, start};
}

// The accessible text of one view, kept as it was when last looked at, so that what the bus
// was told and what it is given agree.
class ScreenWatch : public QObject {
  public:
    explicit ScreenWatch(GraphicView& view) : QObject(&view), view_(view) {
        throttle_.setSingleShot(true);
        rest_.setSingleShot(true);
        rest_.setInterval(RestMs);
        QObject::connect(&throttle_, &QTimer::timeout, this, [this] { look(); });
        QObject::connect(&rest_, &QTimer::timeout, this, [this] { rested(); });
    }

    // Looks at the screen once the refresh interval has passed; changes within it are one look.
    void changed() {
        if (!throttle_.isActive()) throttle_.start(refreshintervalms(view_.windownumber()));
    }

    const ScreenText& current() {
        if (!read_) {
            shown_ = readscreentext(view_.windownumber());
            read_ = true;
        }
        return shown_;
    }

    const QString& announcement() const { return announcement_; }

  private:
    void look() {
        if (!listening()) return;
        const ScreenText before = current();
        shown_ = readscreentext(view_.windownumber());
        if (shown_.Text != before.Text) {
            const TextChange change = textchange(before.Text, shown_.Text);
            QAccessibleTextUpdateEvent event(&view_, change.Position, change.Removed,
                                             change.Inserted);
            event.setCursorPosition(shown_.Caret);
            tell(event);
            announced_ = false;
            rest_.start();
        } else if (shown_.Caret != before.Caret) {
            QAccessibleTextCursorEvent event(&view_, shown_.Caret);
            tell(event);
        }
    }

    // A screen still being built (the program holds back its redraws) is not announced; a report
    // lets its redraws go right after its last change, well within the rest.
    void rested() {
        if (announced_ || !listening()) return;
        if (programholdsscreen(view_.windownumber()) || shown_.Text.isEmpty()) return;
        announced_ = true;
        announcement_ = restingannouncement(shown_.Text);
        QAccessibleEvent event(&view_, QAccessible::DescriptionChanged);
        tell(event);
    }

    GraphicView& view_;
    ScreenText shown_;
    bool read_ = false;
    bool announced_ = false;
    QString announcement_;
    QTimer throttle_;
    QTimer rest_;
};

std::array<QPointer<ScreenWatch>, GraphicWindowCount>& watches() {
    static std::array<QPointer<ScreenWatch>, GraphicWindowCount> all;
    return all;
}

ScreenWatch& watchof(GraphicView& view) {
    QPointer<ScreenWatch>& slot = watches()[view.windownumber()];
    if (ScreenWatch* watch = slot.data(); watch && watch->parent() == &view) return *watch;
    auto* made = new ScreenWatch(view);
    slot = made;
    return *made;
}

// The view as a read-only, multi-line text. The program's cursor is the caret: a client cannot
// move it, nor select.
class ScreenAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit ScreenAccessible(GraphicView* view)
        : QAccessibleWidget(view, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        return state;
    }

    QString text(QAccessible::Text kind) const override {
        switch (kind) {
        case QAccessible::Name: return widget()->window()->windowTitle();
        case QAccessible::Description: return watch().announcement();
        default: return QAccessibleWidget::text(kind);
        }
    }

    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return screen().Caret; }
    void setCursorPosition(int) override {}
    void scrollToSubstring(int, int) override {}

    QString text(int startOffset, int endOffset) const override {
        const QString& all = screen().Text;
        const auto start = std::clamp<qsizetype>(startOffset, 0, all.size());
        const auto end =
            endOffset < 0 ? all.size() : std::clamp<qsizetype>(endOffset, start, all.size());
        return all.mid(start, end - start);
    }

    int characterCount() const override { return static_cast<int>(screen().Text.size()); }

    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    // Cells divide the view evenly: the picture is the grid, scaled to the view.
    QRect characterRect(int offset) const override {
        const ScreenText& s = screen();
        if (offset < 0 || offset > s.Text.size() || s.Columns < 1 || s.Lines < 1) return {};
        const auto [line, start] = lineof(s.Text, offset);
        const QSizeF cell = cellsize(s);
        const QPoint corner(static_cast<int>(std::floor((offset - start) * cell.width())),
                            static_cast<int>(std::floor(line * cell.height())));
        return QRect(view().mapToGlobal(corner), QSize(static_cast<int>(std::ceil(cell.width())),
                                                       static_cast<int>(std::ceil(cell.height()))));
    }

    int offsetAtPoint(const QPoint& point) const override {
        const ScreenText& s = screen();
        const QPoint local = view().mapFromGlobal(point);
        if (s.Columns < 1 || s.Lines < 1 || !view().rect().contains(local)) return -1;
        const QSizeF cell = cellsize(s);
        return celloffset(s.Text, static_cast<Int>(local.y() / cell.height()),
                          static_cast<Int>(local.x() / cell.width()));
    }

  private:
    GraphicView& view() const { return *static_cast<GraphicView*>(widget()); }
    ScreenWatch& watch() const { return watchof(view()); }
    const ScreenText& screen() const { return watch().current(); }
    QSizeF cellsize(const ScreenText& s) const {
        return {double(view().width()) / double(s.Columns),
                double(view().height()) / double(s.Lines)};
    }
};

QAccessibleInterface* screenaccessible(const QString&, QObject* object) {
    auto* view = dynamic_cast<GraphicView*>(object);
    return view ? new ScreenAccessible(view) : nullptr;
}

// The character grid and the cursor are read from the main thread while the program thread
// may write them, as the picture is: a look that mixes old and new is corrected by the next one.
ScreenText readscreengrid(UInt8 window) {
    const t_Window& w = rt().WindowTable[window];
    if (w.TextMemoryStart < 0 || w.TextWidth < 1 || w.TextHeight < 1) return {};
    ScreenText screen;
    screen.Text = QString::fromStdString(plainscreentext(t_GetScreen(window, "\r")));
    screen.Text.replace(u'\r', u'\n');
    screen.Caret = celloffset(screen.Text, w.TextVpos - 1, w.TextHpos - 1);
    screen.Columns = w.TextWidth;
    screen.Lines = w.TextHeight;
    return screen;
}

} // namespace

ScreenText readscreentext(UInt8 window) {
    return windowready(window) ? readscreengrid(window) : ScreenText{};
}

int celloffset(const QString& text, Int line, Int column) {
    qsizetype start = 0;
    for (Int l = 0; l < line; ++l) {
        const qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) return static_cast<int>(text.size());
        start = end + 1;
    }
    qsizetype end = text.indexOf(u'\n', start);
    if (end < 0) end = text.size();
    return static_cast<int>(start + std::clamp<qsizetype>(column, 0, end - start));
}

TextChange textchange(const QString& before, const QString& after) {
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return {static_cast<int>(prefix), before.mid(prefix, before.size() - prefix - suffix),
            after.mid(prefix, after.size() - prefix - suffix)};
}

QString restingannouncement(const QString& text) {
    for (const QString& line : text.split(u'\n')) {
        const QString simple = line.simplified();
        if (!simple.isEmpty()) return simple;
    }
    return {};
}

void installscreenaccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(screenaccessible);
        return true;
    }();
    (void)installed;
}

void setscreeneventreceiver(ScreenEventReceiver standIn) {
    receiver() = standIn;
}

void screenmaychange(GraphicView& view) {
    if (listening()) watchof(view).changed();
}

void titlechanged(GraphicView& view) {
    if (!listening()) return;
    QAccessibleEvent event(&view, QAccessible::NameChanged);
    tell(event);
}

} // namespace mdx::qt
