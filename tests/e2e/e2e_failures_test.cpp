// What a batch run does when something goes wrong: a save or a picture that cannot be written (a
// full disk and a folder that cannot be synced, made by the fault shim of tests/faults) is a
// German line on standard error and exit status 1, and the old files stay; a network answer far
// larger than any address is a failed lookup.
#include "support/testing.h"

#include "e2e_support.h"
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
    EXPECT_EQ(std::pair(contents(dir.file("alt.mirdx")), contents(dir.file("alt.png"))),
              std::pair(std::string("alter Bericht"), std::string("altes Bild")));
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
