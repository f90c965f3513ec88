// The open and save panels are set up as the request asks: mode, filters and German labels.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include "platform/qt/file_panels.h"
#include "platform/qt/startup.h"

namespace mdx::test {
namespace {

using OpenRequest = WindowLayer::OpenPanelRequest;

struct OpenCase {
    OpenRequest Request;
    QFileDialog::FileMode Mode;
    bool DirectoriesOnly;
    QStringList Filters;
    const char* Accept;
};

TEST(FilePanelTest, OpenPanelsFollowTheRequest) {
    const OpenCase cases[] = {
        {{"Miradex öffnen", "Miradex öffnen", {"mirdx"}, false, true, false},
         QFileDialog::ExistingFile,
         false,
         {"Dateien (*.mirdx)"},
         "Öffnen"},
        {{"Revarud Erur öffnen", "", {}, true, true, false},
         QFileDialog::ExistingFiles,
         false,
         {"Alle Dateien (*)"},
         "Öffnen"},
        {{"Ordner", "", {"a", "", "b"}, false, false, true},
         QFileDialog::Directory,
         true,
         {"Dateien (*.a *.b)"},
         "Wählen"},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.Request.Title);
        QFileDialog dialog;
        qt::setupopendialog(dialog, c.Request);
        EXPECT_EQ(dialog.windowTitle().toStdString(), c.Request.Title);
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog.fileMode(), c.Mode);
        EXPECT_EQ(dialog.testOption(QFileDialog::ShowDirsOnly), c.DirectoriesOnly);
        EXPECT_EQ(dialog.nameFilters(), c.Filters);
        EXPECT_EQ(dialog.labelText(QFileDialog::Accept), QString::fromUtf8(c.Accept));
        EXPECT_EQ(dialog.labelText(QFileDialog::Reject), "Abbrechen");
        const auto* message = dialog.findChild<QLabel*>("panelMessage");
        ASSERT_EQ(message != nullptr, !c.Request.Message.empty());
        if (message) {
            EXPECT_EQ(message->text().toStdString(), c.Request.Message);
        }
    }
}

// The name field keeps the proposal whole, double quote and dots included.
TEST(FilePanelTest, SavePanelProposesTheNameAsItStands) {
    const std::string name = "MacBook Pro 15\" 2.4 GHz";
    QFileDialog dialog;
    qt::setupsavedialog(dialog, {name, "Sichern", "Bericht sichern", {"mirdx"}});
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.labelText(QFileDialog::FileName), "Sichern unter:");
    EXPECT_EQ(dialog.labelText(QFileDialog::Accept), "Sichern");
    EXPECT_EQ(dialog.labelText(QFileDialog::Reject), "Abbrechen");
    ASSERT_NE(dialog.findChild<QLineEdit*>("fileNameEdit"), nullptr);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("fileNameEdit")->text().toStdString(), name);
}

TEST(FilePanelTest, SavePathsEndInTheExtensionOnce) {
    const struct {
        const char* Typed;
        const char* Path;
    } cases[] = {
        {"KVM Virtual Machine 2 x 2.1 GHz", "/d/KVM Virtual Machine 2 x 2.1 GHz.mirdx"},
        {"MacBook Pro 15\" \"A\"", "/d/MacBook Pro 15\" \"A\".mirdx"},
        {"Bericht.mirdx", "/d/Bericht.mirdx"},
        {"Bericht.mirdx.txt", "/d/Bericht.mirdx.txt.mirdx"},
        {"/anders/Bericht", "/anders/Bericht.mirdx"},
        {"sub/Bericht", "/d/sub/Bericht.mirdx"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qt::savepath("/d", QString::fromUtf8(c.Typed), "mirdx"),
                  QString::fromUtf8(c.Path));
}

// With Qt's German translations the panels speak German throughout: buttons and the columns.
TEST(FilePanelTest, PanelsAreGermanThroughout) {
    qt::speakgerman();
    QFileDialog dialog;
    qt::setupopendialog(dialog, {"Miradex öffnen", "", {"mirdx"}, false, true, false});
    const auto* view = dialog.findChild<QTreeView*>("treeView");
    ASSERT_NE(view, nullptr);
    QStringList columns;
    for (int i = 0; i < view->model()->columnCount(); ++i)
        columns << view->model()->headerData(i, Qt::Horizontal).toString();
    EXPECT_EQ(columns.join('|').toStdString(), "Name|Größe|Typ|Änderungsdatum");
    QStringList buttons;
    for (QAbstractButton* button : dialog.findChild<QDialogButtonBox*>()->buttons())
        buttons << button->text();
    EXPECT_TRUE(buttons.contains("Abbrechen")) << buttons.join('|').toStdString();
}

} // namespace
} // namespace mdx::test
