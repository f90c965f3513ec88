// What a batch run does when a save or a picture cannot be written (a full disk and a folder that
// cannot be synced, made by the fault shim of tests/faults): a German line on standard error and
// exit status 1, and the old files stay.
#include "support/testing.h"

#include "e2e_support.h"
#include "support/runtime_fixture.h"

namespace mdx::e2e {
namespace {

using test::TempDir;

// The fault shim in the program; the address sanitizer's runtime then does not come first.
Environment withfault(const std::string& fault) {
    const char* asan = std::getenv("ASAN_OPTIONS");
    return {{"LD_PRELOAD", MIRADEX_FAULT_SHIM},
            {"MIRADEX_FAULT", fault},
            {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"}};
}

// A full disk and a folder that cannot be synced after the rename: the save and the picture fail
// with the reason, and the files that were there keep every byte (a write-protected file's
// refusal is DocumentTest.FailedSavesTellWhyAndKeepTheOldFile's, a pipe's E2eSaves').
TEST(E2eFailures, SavesAndPicturesThatFailKeepTheOldFiles) {
    TempDir dir;
    std::ofstream(dir.file("bericht.mirdx")) << "Prozessor          = Test\r";
    std::ofstream(dir.file("alt.mirdx")) << "alter Bericht";
    std::ofstream(dir.file("alt.png")) << "altes Bild";
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
    EXPECT_EQ(std::pair(test::readfile(dir.file("alt.mirdx")), test::readfile(dir.file("alt.png"))),
              std::pair(std::string("alter Bericht"), std::string("altes Bild")));
}

} // namespace
} // namespace mdx::e2e
