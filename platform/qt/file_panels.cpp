#include "platform/qt/file_panels.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

namespace mdx::qt {
namespace {

constexpr const char* MessageName = "panelMessage";
// The widest a name in an alert is shown, in average character widths; longer ones lose their
// middle, where a path's folders are, and keep its start and its file name.
constexpr int LongestNameCharacters = 60;

// File names and other outside text are shown as they are: a name that looks like markup is not
// drawn as markup, and a long one is shortened to fit.
void showplain(QMessageBox& box) {
    for (QLabel* label : box.findChildren<QLabel*>()) {
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
}

// The save panel takes the name field as it stands: Qt's own reading splits a name at double
// quotes (a list of names), and adds its default suffix only to names without a dot.
class SavePanel : public QFileDialog {
  public:
    SavePanel(QWidget* parent, QString extension)
        : QFileDialog(parent), extension_(std::move(extension)) {}
    QString chosen() const { return chosen_; }

  protected:
    void accept() override {
        const auto* field = findChild<QLineEdit*>("fileNameEdit");
        const QString typed = field ? field->text() : QString();
        // An empty name or a folder's name: the panel itself moves into the folder.
        if (typed.isEmpty() || QFileInfo(directory().absoluteFilePath(typed)).isDir()) {
            QFileDialog::accept();
            return;
        }
        const QString path = savepath(directory().absolutePath(), typed, extension_);
        if (QFileInfo::exists(path) && !replaceconfirmed(path)) return;
        chosen_ = path;
        QDialog::accept();
    }

  private:
    bool replaceconfirmed(const QString& path) {
        const QString question =
            QString::fromUtf8("„%1“ ist bereits vorhanden. Soll die Datei ersetzt werden?")
                .arg(QFileInfo(path).fileName());
        QMessageBox box(QMessageBox::Warning, windowTitle(), question,
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setDefaultButton(QMessageBox::No);
        showplain(box);
        return box.exec() == QMessageBox::Yes;
    }

    QString extension_;
    QString chosen_;
};

// Qt's file model writes sizes and dates in the form of the system's locale ("6 bytes",
// "7 Dec 2026"); the panels show them in the program's German form ("6 Bytes", "07.12.26 10:47").
class GermanFileForms : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        QVariant shown = QIdentityProxyModel::data(index, role);
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || shown.toString().isEmpty()) return shown;
        const QFileInfo info = files->fileInfo(mapToSource(index));
        switch (index.column()) {
        case SizeColumn: return QLocale().formattedDataSize(info.size());
        case DateColumn: return QLocale().toString(info.lastModified(), QLocale::ShortFormat);
        default: return shown;
        }
    }

  private:
    static constexpr int SizeColumn = 1;
    static constexpr int DateColumn = 3;
};

// The request's message as a line of its own below the panel, not as the label of a field.
void showmessage(QFileDialog& dialog, const std::string& message) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (message.empty() || !grid) return;
    auto* label = new QLabel(QString::fromStdString(message), &dialog);
    label->setObjectName(MessageName);
    label->setWordWrap(true);
    grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
}

QString& lastfolder() {
    static QString folder;
    return folder;
}

// The dialog of Qt itself, so that titles and labels show whatever the desktop. It starts in the
// folder of the file opened or saved last.
void setupcommon(QFileDialog& dialog, const std::string& title, const std::string& message,
                 const std::vector<std::string>& types) {
    if (!lastfolder().isEmpty()) dialog.setDirectory(lastfolder());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setLocale(QLocale());
    dialog.setProxyModel(new GermanFileForms(&dialog));
    dialog.setWindowTitle(QString::fromStdString(title));
    dialog.setNameFilters(namefilters(types));
    showmessage(dialog, message);
}

// Set after the mode: changing the mode puts Qt's own button labels back.
void setlabels(QFileDialog& dialog, const char* name, const char* accept) {
    dialog.setLabelText(QFileDialog::FileType, QString::fromUtf8("Dateityp:"));
    dialog.setLabelText(QFileDialog::Reject, QString::fromUtf8("Abbrechen"));
    dialog.setLabelText(QFileDialog::FileName, QString::fromUtf8(name));
    dialog.setLabelText(QFileDialog::Accept, QString::fromUtf8(accept));
}

// Paths go to the file routines as the bytes of the file system.
std::vector<std::string> tostrings(const QStringList& list) {
    std::vector<std::string> result;
    for (const QString& item : list)
        result.push_back(QFile::encodeName(item).toStdString());
    return result;
}

QString firsttype(const std::vector<std::string>& types) {
    return types.empty() ? QString() : QString::fromStdString(types[0]);
}

} // namespace

void rememberfile(const std::string& path) {
    const QFileInfo file(QFile::decodeName(QByteArray::fromStdString(path)));
    lastfolder() = file.absolutePath();
}

QStringList namefilters(const std::vector<std::string>& types) {
    QStringList patterns;
    for (const std::string& type : types)
        if (!type.empty()) patterns << "*." + QString::fromStdString(type);
    const QString everything = QString::fromUtf8("Alle Dateien (*)");
    if (patterns.isEmpty()) return {everything};
    return {QString::fromUtf8("Dateien (%1)").arg(patterns.join(' ')), everything};
}

QString savepath(const QString& directory, const QString& typed, const QString& extension) {
    QString path = QDir::isAbsolutePath(typed) ? typed : QDir(directory).filePath(typed);
    if (!extension.isEmpty() && !path.endsWith("." + extension)) path += "." + extension;
    return path;
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
    setlabels(dialog, "Name:", directories ? "Wählen" : "Öffnen");
}

void setupsavedialog(QFileDialog& dialog, const WindowLayer::SavePanelRequest& request) {
    setupcommon(dialog, request.Title, request.Message, request.FileTypes);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    setlabels(dialog, "Sichern unter:", "Sichern");
    // Only a bare name in the folder shown: a proposal that came from outside never points
    // elsewhere, whatever it holds.
    const QString name = QFileInfo(QString::fromStdString(request.FileName)).fileName();
    if (!name.isEmpty()) dialog.selectFile(name);
}

std::vector<std::string> runopenpanel(const WindowLayer::OpenPanelRequest& request,
                                      QWidget* parent) {
    QFileDialog dialog(parent);
    setupopendialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted) return {};
    std::vector<std::string> paths = tostrings(dialog.selectedFiles());
    if (!paths.empty()) rememberfile(paths.back());
    return paths;
}

std::string runsavepanel(const WindowLayer::SavePanelRequest& request, QWidget* parent) {
    SavePanel dialog(parent, firsttype(request.FileTypes));
    setupsavedialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen().isEmpty()) return "";
    const std::string path = QFile::encodeName(dialog.chosen()).toStdString();
    rememberfile(path);
    return path;
}

QString elidenames(const QString& message, const QFontMetrics& metrics, int width) {
    QString shown;
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = message.indexOf(u'„', from);
        const qsizetype close = open < 0 ? -1 : message.indexOf(u'“', open + 1);
        if (close < 0) break;
        shown += message.mid(from, open + 1 - from);
        shown +=
            metrics.elidedText(message.mid(open + 1, close - open - 1), Qt::ElideMiddle, width);
        from = close;
    }
    return shown + message.mid(from);
}

void showalert(const std::string& message, const std::string& detail, QWidget* parent) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8("Miradex – Fehler"), QString(),
                    QMessageBox::Ok, parent);
    const QFontMetrics metrics(box.font());
    const QString text = QString::fromStdString(message);
    box.setText(elidenames(text, metrics, metrics.averageCharWidth() * LongestNameCharacters));
    box.setInformativeText(QString::fromStdString(detail));
    showplain(box);
    if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setText(QString::fromUtf8("OK"));
    box.exec();
}

} // namespace mdx::qt
