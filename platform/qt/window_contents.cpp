#include "platform/qt/window_contents.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/layer_window.h"

namespace mdx::qt {
namespace {

constexpr int PasteboardInset = 10;
constexpr int TextInset = 20;
constexpr int RulerHeight = 19;
constexpr int RulerSpace = 15; // between the text view's top and the ruler's band

QPlainTextEdit* textview(QWidget* parent) {
    auto* view = new QPlainTextEdit(parent);
    view->setFont(textfont());
    return view;
}

QLineEdit* rulerfield(QWidget* parent) {
    auto* ruler = new QLineEdit(parent);
    ruler->setFont(textfont());
    ruler->setReadOnly(true);
    ruler->setFrame(false);
    ruler->setFocusPolicy(Qt::NoFocus);
    return ruler;
}

void layouttextwindow(ContentArea& area, const TextWindowParts& parts, QSize size) {
    const double w = size.width();
    const double h = size.height();
    if (!parts.Ruler) {
        area.place(parts.Text, Rect{PasteboardInset, PasteboardInset, w - 2 * PasteboardInset,
                                    h - 2 * PasteboardInset});
        return;
    }
    const double textHeight = h - 2 * TextInset - RulerSpace;
    area.place(parts.Text, Rect{TextInset, TextInset, w - 2 * TextInset, textHeight});
    // The ruler sits in the band above the text view, 4 points further in than the view.
    area.place(parts.Ruler,
               Rect{TextInset + 4, TextInset + textHeight + 4, w - 2 * TextInset - 8, RulerHeight});
}

QPushButton* choicebutton(const QString& title, const std::string& item,
                          const std::function<void(const std::string&)>& choose) {
    auto* button = new QPushButton(title);
    QObject::connect(button, &QPushButton::clicked, [choose, item] { choose(item); });
    return button;
}

} // namespace

QFont textfont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(12);
    return font;
}

TextWindowParts buildtextwindow(LayerWindow& window, bool withRuler) {
    ContentArea* area = window.content();
    TextWindowParts parts{textview(area), withRuler ? rulerfield(area) : nullptr};
    area->setlayout([area, parts](QSize size) { layouttextwindow(*area, parts, size); });
    return parts;
}

QString viewtext(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace("\r\n", "\n");
    shown.replace('\r', '\n');
    return shown;
}

void buildpreferences(LayerWindow& window) {
    auto* layout = new QVBoxLayout(window.content());
    auto* label = new QLabel(QString::fromUtf8(
        "Miradex braucht keine Einstellungen: der Bericht ermittelt alles selbst."));
    label->setWordWrap(true);
    layout->addWidget(label);
    layout->addStretch();
}

void buildmainwindow(LayerWindow& window, const std::function<void(const std::string&)>& choose) {
    auto* layout = new QVBoxLayout(window.content());
    auto* title = new QLabel(QString::fromUtf8("<h2>Willkommen bei Miradex</h2>"));
    auto* text = new QLabel(QString::fromUtf8(
        "Miradex untersucht diesen Computer und zeigt einen Bericht über seine Hardware. "
        "Ein neuer Bericht beginnt mit „Neu“ im Menü „Ablage“, ein gesicherter wird mit "
        "„Öffnen…“ wieder gezeigt."));
    text->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(choicebutton(QString::fromUtf8("Neuer Bericht"), "Neu", choose));
    buttons->addWidget(choicebutton(QString::fromUtf8("Bericht öffnen…"), "Öffnen…", choose));
    layout->addWidget(title);
    layout->addWidget(text);
    layout->addStretch();
    layout->addLayout(buttons);
}

} // namespace mdx::qt
