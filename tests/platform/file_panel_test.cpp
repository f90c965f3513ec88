// The open and save panels: what they let the user choose, the path a typed name gives, and
// German throughout.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include "platform/qt/file_panels.h"
#include "platform/qt/startup.h"

namespace mdx::test {
namespace {

// Files, several files or folders; the filter made of the types, empty ones left out, and any
// file as the second choice. The panels start in the folder of the file opened last.
TEST(FilePanelTest, OpenPanelsChooseWhatTheRequestAsksFor) {
    const QString all = "Alle Dateien (*)";
    // clang-format off
    const std::tuple<WindowLayer::OpenPanelRequest, QFileDialog::FileMode, bool, QStringList> cases[] = {
        {{"A", "", {"mirdx"}, false, true, false}, QFileDialog::ExistingFile, false, {"Dateien (*.mirdx)", all}},
        {{"B", "", {}, true, true, false}, QFileDialog::ExistingFiles, false, {all}},
        {{"C", "", {"a", "", "b"}, false, false, true}, QFileDialog::Directory, true, {"Dateien (*.a *.b)", all}},
    };
    // clang-format on
    const QString folder = QDir(QDir::tempPath()).canonicalPath();
    qt::rememberfile(QFile::encodeName(folder + "/zuletzt.mirdx").toStdString());
    for (const auto& [request, mode, directoriesOnly, filters] : cases) {
        QFileDialog dialog;
        qt::setupopendialog(dialog, request);
        EXPECT_EQ(std::tuple(dialog.fileMode(), dialog.testOption(QFileDialog::ShowDirsOnly),
                             dialog.nameFilters(), dialog.directory().canonicalPath()),
                  std::tuple(mode, directoriesOnly, filters, folder))
            << request.Title;
    }
}

// Names in alerts are plain text, long ones shortened in the middle: the start of the path and
// the file's own name stay, markup in a name is shown as it is written.
TEST(FilePanelTest, AlertsShowNamesAsPlainTextAndShortenLongOnes) {
    const QString folders = QString("/ordner").repeated(40);
    const QString marked = "<b>fett</b>.mirdx";
    QString text, detail;
    bool plain = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        plain = true;
        for (QLabel* label : box->findChildren<QLabel*>())
            if (!label->text().isEmpty()) plain = plain && label->textFormat() == Qt::PlainText;
        text = box->text();
        detail = box->informativeText();
        box->accept();
    });
    qt::showalert(("„" + folders + "/" + marked + "“ konnte nicht geöffnet werden.").toStdString(),
                  "<i>Grund</i>", nullptr);
    EXPECT_TRUE(plain);
    EXPECT_TRUE(text.startsWith("„/ordner/ordner") && text.contains(u'…') &&
                text.endsWith(marked + "“ konnte nicht geöffnet werden.") &&
                text.size() < folders.size())
        << text.toStdString();
    EXPECT_EQ(detail, "<i>Grund</i>");
    // Short names and text outside the quotes stay whole.
    const QFontMetrics metrics(QApplication::font());
    EXPECT_EQ(qt::elidenames("„a.mirdx“ und „b“", metrics, 200), "„a.mirdx“ und „b“");
}

// A typed name ends in the extension once (a proposed name with a dot and a double quote, kept
// whole: xvfb_desktop_test.sh).
TEST(FilePanelTest, SavePathEndsInTheExtensionOnce) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"Bericht.mirdx", "/d/Bericht.mirdx"}, {"Bericht.mirdx.txt", "/d/Bericht.mirdx.txt.mirdx"},
        {"/anders/Bericht", "/anders/Bericht.mirdx"}, {"sub/Bericht", "/d/sub/Bericht.mirdx"}};
    // clang-format on
    for (const auto& [typed, path] : cases)
        EXPECT_EQ(qt::savepath("/d", QString::fromUtf8(typed), "mirdx"), QString::fromUtf8(path));
}

// With Qt's German translations the panels speak German: the cancel button, the columns, sizes
// and dates whatever the system's locale (both panels are Qt's own dialog, set up alike; the save
// panel stands for both).
TEST(FilePanelTest, PanelsAreGermanThroughout) {
    qt::speakgerman();
    const QTemporaryDir folder;
    QFile file(folder.filePath("sechs.mirdx"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("123456") == 6);
    file.close();
    QFileDialog save;
    qt::setupsavedialog(save, {"Bericht", "Sichern", "Bericht sichern", {"mirdx"}});
    save.setDirectory(folder.path());
    const auto* view = save.findChild<QTreeView*>("treeView");
    ASSERT_NE(view, nullptr);
    QStringList columns, buttons;
    for (int i = 0; i < view->model()->columnCount(); ++i)
        columns << view->model()->headerData(i, Qt::Horizontal).toString();
    for (QAbstractButton* button : save.findChild<QDialogButtonBox*>()->buttons())
        buttons << button->text();
    EXPECT_EQ(std::pair(columns.join('|').toStdString(), buttons.contains("Abbrechen")),
              std::pair(std::string("Name|Größe|Typ|Änderungsdatum"), true));
    QModelIndex row;
    const auto listed = [&] {
        row = view->model()->index(0, 0, view->rootIndex()); // invalid until the folder is read
        return row.isValid() && !row.siblingAtColumn(1).data().toString().isEmpty();
    };
    for (int i = 0; i < 500 && !listed(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(listed());
    const QString date = QLocale(QLocale::German, QLocale::Germany)
                             .toString(QFileInfo(file).lastModified(), QLocale::ShortFormat);
    EXPECT_EQ(std::pair(row.siblingAtColumn(1).data().toString().toStdString(),
                        row.siblingAtColumn(3).data().toString().toStdString()),
              std::pair(std::string("6 Bytes"), date.toStdString()));
}

} // namespace
} // namespace mdx::test
