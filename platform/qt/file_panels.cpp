#include "platform/qt/file_panels.h"

#include <QFileDialog>

namespace mdx::qt {
namespace {

// The dialog of Qt itself, so that titles and labels show whatever the desktop.
void setupcommon(QFileDialog& dialog, const std::string& title, const std::string& message,
                 const std::vector<std::string>& types) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(QString::fromStdString(title));
    if (!message.empty()) dialog.setLabelText(QFileDialog::LookIn, QString::fromStdString(message));
    dialog.setLabelText(QFileDialog::FileType, QString::fromUtf8("Dateityp:"));
    dialog.setLabelText(QFileDialog::Reject, QString::fromUtf8("Abbrechen"));
    dialog.setNameFilters(namefilters(types));
}

std::vector<std::string> tostrings(const QStringList& list) {
    std::vector<std::string> result;
    for (const QString& item : list)
        result.push_back(item.toStdString());
    return result;
}

} // namespace

QStringList namefilters(const std::vector<std::string>& types) {
    QStringList patterns;
    for (const std::string& type : types)
        if (!type.empty()) patterns << "*." + QString::fromStdString(type);
    if (patterns.isEmpty()) return {QString::fromUtf8("Alle Dateien (*)")};
    return {QString::fromUtf8("Dateien (%1)").arg(patterns.join(' '))};
}

void setupopendialog(QFileDialog& dialog, const WindowLayer::OpenPanelRequest& request) {
    setupcommon(dialog, request.Title, request.Message, request.FileTypes);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const bool directories = request.ChooseDirectories;
    if (directories)
        dialog.setFileMode(QFileDialog::Directory);
    else
        dialog.setFileMode(request.MultipleSelection ? QFileDialog::ExistingFiles
                                                     : QFileDialog::ExistingFile);
    // Qt chooses either files or folders: a panel for both shows the files inside the folders.
    dialog.setOption(QFileDialog::ShowDirsOnly, directories && !request.ChooseFiles);
    dialog.setLabelText(QFileDialog::FileName, QString::fromUtf8("Name:"));
    dialog.setLabelText(QFileDialog::Accept, QString::fromUtf8(directories ? "Wählen" : "Öffnen"));
}

void setupsavedialog(QFileDialog& dialog, const WindowLayer::SavePanelRequest& request) {
    setupcommon(dialog, request.Title, request.Message, request.FileTypes);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.FileTypes.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.FileTypes[0]));
    dialog.setLabelText(QFileDialog::FileName, QString::fromUtf8("Sichern unter:"));
    dialog.setLabelText(QFileDialog::Accept, QString::fromUtf8("Sichern"));
    if (!request.FileName.empty()) dialog.selectFile(QString::fromStdString(request.FileName));
}

std::vector<std::string> runopenpanel(const WindowLayer::OpenPanelRequest& request,
                                      QWidget* parent) {
    QFileDialog dialog(parent);
    setupopendialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted) return {};
    return tostrings(dialog.selectedFiles());
}

std::string runsavepanel(const WindowLayer::SavePanelRequest& request, QWidget* parent) {
    QFileDialog dialog(parent);
    setupsavedialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted) return "";
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? std::string() : files.first().toStdString();
}

} // namespace mdx::qt
