#include "platform/qt/display_check.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/qt/startup.h"

namespace mdx::qt {
namespace {

struct KeptMessage {
    QtMsgType Type;
    std::string File, Function, Category;
    int Line;
    QString Text;
};

QtMessageHandler previousHandler = nullptr;
std::vector<KeptMessage> kept;

[[noreturn]] void nodisplay() {
    std::fprintf(stderr, "%s\n", NoDisplayLine);
    endprocess(1);
}

// Qt reports a platform it cannot start as a fatal message, which would abort the process.
void keepmessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) nodisplay();
    kept.push_back(KeptMessage{type, context.file ? context.file : "",
                               context.function ? context.function : "",
                               context.category ? context.category : "", context.line, text});
}

} // namespace

const char* const NoDisplayLine =
    "miradex: Keine Anzeige gefunden (weder X11 noch Wayland). Ohne Anzeige arbeitet "
    "„miradex --batch“.";

DisplayConnectionWatch::DisplayConnectionWatch() {
    previousHandler = qInstallMessageHandler(keepmessage);
}

DisplayConnectionWatch::~DisplayConnectionWatch() {
    qInstallMessageHandler(previousHandler);
    std::vector<KeptMessage> messages;
    messages.swap(kept);
    for (const KeptMessage& m : messages) {
        const QMessageLogContext context(m.File.empty() ? nullptr : m.File.c_str(), m.Line,
                                         m.Function.empty() ? nullptr : m.Function.c_str(),
                                         m.Category.empty() ? nullptr : m.Category.c_str());
        qt_message_output(m.Type, context, m.Text);
    }
}

} // namespace mdx::qt
