// What a batch run does when something goes wrong: a file that cannot be opened, a save or a
// picture that cannot be written (a full disk and a folder that cannot be synced, made by the
// fault shim of tests/faults), a file it may not replace, and a network answer far larger than
// any address. Each is a German line on standard error and exit status 1, the old files stay.
#include "support/testing.h"

#include <sys/stat.h>

#include "e2e_support.h"
#include "support/png_io.h"
#include "support/runtime_fixture.h"

namespace mdx::e2e {
namespace {

using test::TempDir;

const std::string Source = MIRADEX_SOURCE_DIR "/tests/e2e/";

// The fault shim in the program; the address sanitizer's runtime then does not come first.
Environment withfault(const std::string& fault) {
    const char* asan = std::getenv("ASAN_OPTIONS");
    return {{"LD_PRELOAD", MIRADEX_FAULT_SHIM},
            {"MIRADEX_FAULT", fault},
            {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"}};
}

TEST(E2eFailures, FilesThatCannotBeOpenedFailTheRunWithTheReason) {
    TempDir dir;
    std::ofstream(dir.file("bericht.mirdx")) << "Prozessor          = Test\r";
    std::ofstream(dir.file("leer.mirdx")) << "";
    std::ofstream(dir.file("lang.mirdx")) << std::string(262145, 'x');
    std::filesystem::create_directory(dir.file("ordner.mirdx"));
    ASSERT_EQ(mkfifo(dir.file("rohr.mirdx").c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {"fehlt.mirdx", "konnte nicht geöffnet werden. Die Datei oder ihr Ordner wurde nicht"},
        {"ordner.mirdx", "konnte nicht geöffnet werden. Das ist ein Ordner, keine Datei."},
        {"leer.mirdx", "konnte nicht geöffnet werden. Die Datei ist leer."},
        {"rohr.mirdx", "konnte nicht geöffnet werden. Das ist keine gewöhnliche Datei"},
        {"lang.mirdx", "ist zu lang für einen gesicherten Bericht. Ein Bericht hat höchstens "
                       "262.144 Bytes."}};
    for (const auto& [name, message] : cases) {
        const ProgramRun run = runprogram({"--batch", dir.file(name)}, {});
        EXPECT_TRUE(failedsaying(run, "miradex: \u201E" + dir.file(name) + "\u201C " + message))
            << run.Errors;
    }
    // A good file before a missing one: shown, and the run still fails.
    const ProgramRun run =
        runprogram({"--batch", dir.file("bericht.mirdx"), dir.file("fehlt.mirdx")}, {});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("Prozessor          = Test"), std::string::npos) << run.Output;
    EXPECT_EQ(runprogram({"--batch", dir.file("bericht.mirdx")}, {}).Status, 0);
}

// A full disk, a folder that cannot be synced after the rename, and a write-protected file:
// the save and the picture fail with the reason, and the files that were there keep every byte.
TEST(E2eFailures, SavesAndPicturesThatFailKeepTheOldFiles) {
    TempDir dir;
    std::ofstream(dir.file("bericht.mirdx")) << "Prozessor          = Test\r";
    std::ofstream(dir.file("alt.mirdx")) << "alter Bericht";
    std::ofstream(dir.file("alt.png")) << "altes Bild";
    std::ofstream(dir.file("geschuetzt.mirdx")) << "geschützt";
    chmod(dir.file("geschuetzt.mirdx").c_str(), 0444);
    const std::string report = dir.file("bericht.mirdx");

    ProgramRun run = runprogram(
        {"--batch", report, "--save", dir.file("alt.mirdx"), "--png", dir.file("alt.png")},
        withfault("nospace"));
    EXPECT_TRUE(
        failedsaying(run, "miradex: Der Bericht konnte nicht als \u201E" + dir.file("alt.mirdx") +
                              "\u201C gesichert werden. Auf dem Datenträger ist kein Platz") &&
        run.Errors.find("miradex: Das Bild konnte nicht nach \u201E" + dir.file("alt.png") +
                        "\u201C geschrieben werden. Auf dem Datenträger ist kein Platz") !=
            std::string::npos)
        << run.Errors;
    run = runprogram({"--batch", report, "--save", dir.file("neu.mirdx")}, withfault("dirsync"));
    EXPECT_TRUE(failedsaying(run, "gesichert werden. Beim Lesen oder Schreiben trat ein Ein-/"))
        << run.Errors;
    run = runprogram({"--batch", report, "--save", dir.file("geschuetzt.mirdx")}, {});
    EXPECT_TRUE(failedsaying(run, "gesichert werden. Keine Berechtigung")) << run.Errors;
    EXPECT_EQ(std::tuple(contents(dir.file("alt.mirdx")), contents(dir.file("alt.png")),
                         contents(dir.file("geschuetzt.mirdx"))),
              std::tuple("alter Bericht", "altes Bild", "geschützt"));

    // Without faults both are written, and the picture is a PNG of window 0's whole picture.
    run = runprogram(
        {"--batch", report, "--save", dir.file("alt.mirdx"), "--png", dir.file("alt.png")}, {});
    EXPECT_EQ(run.Status, 0) << run.Errors;
    EXPECT_EQ(contents(dir.file("alt.mirdx")).substr(0, 25), "Prozessor          = Test");
    const WindowImage picture = test::readpng(dir.file("alt.png")).value_or(WindowImage{});
    EXPECT_EQ(std::pair(picture.Width, picture.Height), (std::pair<Int, Int>(1312, 800)));
}

// An answer of 100 MB to the address lookup is read no further than an address could be long:
// the lookup fails and the program stays at the size of a run with a short answer (about 50 MB
// without the sanitizers).
TEST(E2eFailures, AHugeAddressAnswerIsAFailedLookupAndCostsNoMemory) {
    TempDir dir;
    auto answer = [&](const std::string& command) {
        test::writescript(dir.file("curl"), command + "\n");
        return runbatch(
            {{"MIRADEX_COMMAND_PATH", dir.path() + ":" + Source + "profiles"},
             {"E2E_PROFILES", Source + "profiles/common.txt " + Source + "profiles/intel.txt"},
             {"MIRADEX_PUBLIC_IP_HOST", "adresse.test"},
             {"MIRADEX_MODEL_HOST", ""}});
    };
    const ProgramRun usual = answer("echo 198.51.100.7");
    const ProgramRun huge = answer("head -c 100000000 /dev/zero | tr '\\0' 1");
    EXPECT_NE(usual.Output.find("Internet-Adresse   = 198.51.100.7\n"), std::string::npos);
    EXPECT_EQ(huge.Status, 0);
    EXPECT_NE(huge.Output.find("Internet-Adresse   =\n"), std::string::npos) << huge.Output;
    EXPECT_LT(huge.PeakKilobytes, usual.PeakKilobytes + 16 * 1024);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    EXPECT_LT(huge.PeakKilobytes, 80 * 1024);
#endif
}

} // namespace
} // namespace mdx::e2e
