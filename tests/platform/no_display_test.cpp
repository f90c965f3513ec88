// Started without a display it can reach, the desktop program says so in German and ends with
// status 1, instead of Qt's English text and an abort.
#include "support/testing.h"

#include <QProcess>

#include "support/runtime_fixture.h"

namespace mdx::test {
namespace {

TEST(NoDisplayTest, EndsWithTheGermanLineAndStatusOne) {
    const std::map<std::string, QString> cases[] = {
        {},
        {{"DISPLAY", ":4711"}},
        {{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "nirgends"}}};
    for (const auto& settings : cases) {
        TempDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(home.path()));
        for (const auto& [name, value] : settings)
            environment.insert(QString::fromStdString(name), value);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(MIRADEX_PROGRAM, QStringList());
        ASSERT_TRUE(process.waitForFinished(60000));
        const std::string err = process.readAllStandardError().toStdString();
        const std::string what = settings.empty() ? "ohne Anzeige" : settings.begin()->first;
        EXPECT_EQ(std::tuple(process.exitStatus(), process.exitCode()),
                  std::tuple(QProcess::NormalExit, 1))
            << what;
        EXPECT_TRUE(err.ends_with("Keine Anzeige gefunden (weder X11 noch Wayland). Ohne Anzeige "
                                  "arbeitet „miradex --batch“.\n"))
            << what << ": " << err;
        EXPECT_EQ(err.find("Qt platform plugin"), std::string::npos) << what;
    }
}

} // namespace
} // namespace mdx::test
