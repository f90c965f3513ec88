// What the windows other than the graphic ones hold: the text windows (pasteboard, virtual
// printer, system console), the preferences and the main window.
#pragma once

#include <QFont>

#include <functional>
#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace mdx::qt {

class LayerWindow;

struct TextWindowParts {
    QPlainTextEdit* Text = nullptr; // in a scroll view of its own
    QLineEdit* Ruler = nullptr;     // none in the pasteboard window
};

// Monospaced, 12 points (a point is one logical pixel throughout the window layer).
QFont textfont();

// A text view inset 10 points all round (pasteboard), or 20 points with a ruler field of 19
// points above it (printer, console). The layout follows every change of the window's size.
TextWindowParts buildtextwindow(LayerWindow& window, bool withRuler);

// Plain text as a text view shows it: carriage returns, alone or before a line feed, end lines.
QString viewtext(const std::string& text);

void buildpreferences(LayerWindow& window);

// A welcome and two buttons that choose "Neu" and "Öffnen…" of the "Ablage" menu.
void buildmainwindow(LayerWindow& window, const std::function<void(const std::string&)>& choose);

} // namespace mdx::qt
