// A graphic view for assistive technology: a read-only text with the screen's lines, the cursor
// as its caret and the window's title as its name; the bus hears of a change after the view drew
// it, once per refresh and only when something changed; a resting screen is announced once.
#include <QAccessible>

#include <stdexcept>

#include "platform/qt/graphic_view.h"
#include "platform/qt/layer_window.h"
#include "platform/qt/screen_accessibility.h"
#include "qt_fixture.h"
#include "runtime/state.h"
#include "runtime/update.h"
#include "runtime/window_management.h"
#include "text/cursor.h"
#include "text/output.h"
#include "text/scrolling.h"

namespace mdx::test {
namespace {

// What the views told the bus: all their events go to the test's receiver.
struct Heard {
    QAccessible::Event Type;
    qt::TextChange Change;
    int Caret = -1;
};

std::vector<Heard> heard;

void listen(QAccessibleEvent* event) {
    Heard& h = heard.emplace_back(Heard{event->type(), {}, -1});
    if (const auto* update = dynamic_cast<QAccessibleTextUpdateEvent*>(event))
        h.Change = {update->changePosition(), update->textRemoved(), update->textInserted()};
    if (const auto* cursor = dynamic_cast<QAccessibleTextCursorEvent*>(event))
        h.Caret = cursor->cursorPosition();
}

std::size_t count(QAccessible::Event type) {
    return std::count_if(heard.begin(), heard.end(),
                         [type](const Heard& h) { return h.Type == type; });
}

class ScreenAccessibilityTest : public QtLayerTest {
  protected:
    ScreenAccessibilityTest() {
        initwindow(0, 1312, 800, 16, true);
        heard.clear();
        qt::setscreeneventreceiver(listen);
    }
    ~ScreenAccessibilityTest() override { qt::setscreeneventreceiver(nullptr); }

    QAccessibleInterface* screen() const {
        return QAccessible::queryAccessibleInterface(layer->viewwidget(0));
    }
    QAccessibleTextInterface& screentext() const {
        QAccessibleInterface* s = screen();
        QAccessibleTextInterface* t = s ? s->textInterface() : nullptr;
        if (!t) throw std::runtime_error("window 0 gives no accessible text");
        return *t;
    }
    QString text() const { return screentext().text(0, screentext().characterCount()); }
    // Writes from the top left, as the program does.
    static void show(const char* lines) {
        t_CursorHome(0);
        t_ClearEndOfWindow(0);
        t_Print(0, lines);
    }
    // The view draws what the window holds now, as after a refresh.
    void draw() const { layer->viewwidget(0)->grab(); }
    // Serves events for a while, as the program's idle time would.
    static void idle(int ms) {
        pumpuntil([] { return false; }, ms);
    }
};

// (A text role named after the window, as a screen reader finds it: xvfb_accessibility_test.py.)
TEST_F(ScreenAccessibilityTest, ViewIsAReadOnlyTextOfTheScreenNamedAfterItsWindow) {
    show("Hardware           = Testrechner   \rProzessor          = Kern\r\r\x7F Ende");
    QAccessibleInterface* s = screen();
    ASSERT_TRUE(s && s->textInterface());
    EXPECT_TRUE(s->state().readOnly && s->state().multiLine);
    // As the copy action reads it: trailing spaces and empty lines gone, graphic characters plain.
    EXPECT_EQ(text(), "Hardware           = Testrechner\nProzessor          = Kern\n\n# Ende");
    // Each cell of the 82 x 25 grid covers 16 x 32 pixels of the picture, shown one to one.
    const int second = static_cast<int>(text().indexOf(u'\n')) + 1;
    const QRect p = screentext().characterRect(second + 2);
    EXPECT_EQ(std::tuple(p.topLeft() - layer->viewwidget(0)->mapToGlobal(QPoint()), p.size()),
              std::tuple(QPoint(2 * 16, 32), QSize(16, 32)));
    EXPECT_EQ(screentext().offsetAtPoint(p.center()), second + 2);
}

// A new title is heard as the view's new name, an unchanged one is not (the note of held output
// ahead of the title: xvfb_keyboard_test.sh).
TEST_F(ScreenAccessibilityTest, NewTitleIsHeardAsANewName) {
    t_WindowTitle(0, "r.mirdx – Miradex");
    t_WindowTitle(0, "r.mirdx – Miradex"); // unchanged: nothing to hear
    EXPECT_EQ(
        std::pair(screen()->text(QAccessible::Name).toStdString(), count(QAccessible::NameChanged)),
        std::pair(std::string("r.mirdx – Miradex"), std::size_t{1}));
}

TEST_F(ScreenAccessibilityTest, CaretFollowsTheCursor) {
    show("Erste Zeile\rZweite\r\rVierte");
    ASSERT_EQ(text(), "Erste Zeile\nZweite\n\nVierte");
    // Columns and lines 1-based, as t_Htab and t_Vtab take them; the caret they give.
    const std::tuple<Int, Int, int> cases[] = {{1, 1, 0},  {3, 2, 12 + 2}, {30, 2, 12 + 6},
                                               {1, 3, 19}, {4, 4, 20 + 3}, {5, 9, 26}};
    for (const auto& [column, line, caret] : cases) {
        t_Htab(0, column), t_Vtab(0, line);
        draw();
        EXPECT_TRUE(pumpuntil([&] { return screentext().cursorPosition() == caret; }, 2000))
            << "column " << column << ", line " << line;
    }
    EXPECT_EQ(std::pair(count(QAccessible::TextCaretMoved), count(QAccessible::TextUpdated)),
              std::pair(std::size_t{6}, std::size_t{0}));
}

TEST_F(ScreenAccessibilityTest, BusHearsOnceOfTheChangesOfOneRefreshAndOnlyOfRealChanges) {
    show("Single-Core        = (wird berechnet)");
    ASSERT_EQ(text(), "Single-Core        = (wird berechnet)");
    t_Htab(0, 22);
    t_ClearEndOfLine(0);
    draw(); // two redraws within one refresh interval are looked at once
    t_Print(0, "12,50 GFLOPs");
    draw();
    ASSERT_TRUE(pumpuntil([] { return count(QAccessible::TextUpdated) == 1; }));
    idle(200);
    draw(); // drawn again, nothing changed
    idle(200);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(std::pair(heard[0].Change, heard[0].Caret),
              std::pair(qt::TextChange{21, "(wird berechnet)", "12,50 GFLOPs"}, 21 + 12));
    EXPECT_EQ(text(), "Single-Core        = 12,50 GFLOPs");
}

// A report run holds back the window's automatic redraws until its screen is complete: only
// then, once it rests, is the screen announced, and only once (what a finished report's
// announcement says: xvfb_accessibility_test.py).
TEST_F(ScreenAccessibilityTest, RestingScreenIsAnnouncedOnceWhenTheProgramNoLongerHoldsIt) {
    ASSERT_FALSE(rt().WindowTable[0].AutoUpdate);
    text();
    show("\r  Hardware    =   Testrechner\rProzessor = Kern");
    draw();
    idle(900);
    EXPECT_EQ(count(QAccessible::DescriptionChanged), 0u);
    t_WindowAutoUpdate(0, true);
    t_Print(0, " 2");
    draw();
    ASSERT_TRUE(pumpuntil([] { return count(QAccessible::DescriptionChanged) == 1; }));
    draw();
    idle(900);
    EXPECT_EQ(count(QAccessible::DescriptionChanged), 1u);
}

TEST_F(ScreenAccessibilityTest, NothingRunsWhileNoAssistiveTechnologyListens) {
    qt::setscreeneventreceiver(nullptr); // Qt's own answer on this platform: nobody listens
    show("Hardware = Testrechner");
    draw();
    EXPECT_TRUE(layer->viewwidget(0)->children().isEmpty()); // no watch, no timer
}

} // namespace
} // namespace mdx::test
