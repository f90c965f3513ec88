// The open and save panels are set up as the request asks: mode, filters and German labels.
#include <gtest/gtest.h>

#include <QFileDialog>

#include "platform/qt/file_panels.h"

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
        if (!c.Request.Message.empty()) {
            EXPECT_EQ(dialog.labelText(QFileDialog::LookIn).toStdString(), c.Request.Message);
        }
    }
}

TEST(FilePanelTest, SavePanelProposesTheNameAndAddsTheExtension) {
    QFileDialog dialog;
    qt::setupsavedialog(dialog, {"Bericht 1", "Sichern", "Bericht sichern", {"mirdx"}});
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.defaultSuffix(), "mirdx");
    EXPECT_EQ(dialog.labelText(QFileDialog::FileName), "Sichern unter:");
    EXPECT_EQ(dialog.labelText(QFileDialog::Accept), "Sichern");
    ASSERT_EQ(dialog.selectedFiles().size(), 1);
    EXPECT_TRUE(dialog.selectedFiles().first().endsWith("/Bericht 1.mirdx"))
        << dialog.selectedFiles().first().toStdString();
}

} // namespace
} // namespace mdx::test
