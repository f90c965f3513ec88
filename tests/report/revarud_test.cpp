// Revarud Erur files: the slots and fields read from them, the SCSI table's columns with the
// known device names and the coded scanners, and the screens that both file kinds and files of
// any other size leave, reached through the menu and as documents handed to the program (files
// that cannot be read are DocumentTest.FailedOpensKeepTheScreenAndTellWhy's).
#include "support/testing.h"

#include "report/revarud.h"
#include "report_screen.h"
#include "text/cursor.h"
#include "text/output.h"
#include "text/scrolling.h"

namespace mdx::test {
namespace {

using namespace std::string_literals;

// A slot: the length byte, the text, and `rest` after it (which the length leaves out).
std::string slot(const std::string& text, const std::string& rest = "") {
    std::string s(1, static_cast<char>(text.size()));
    s += text + rest;
    s.resize(256, '\0');
    return s;
}

// A system file of 25 slots; slot 0 says how many of the others are read.
std::string systemfile(std::vector<std::string> texts) {
    texts.resize(25);
    std::string file;
    for (const std::string& text : texts)
        file += slot(text);
    return file;
}

const auto bytes = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
const auto text = [](const Text& t) { return std::string(t.Elements.begin(), t.Elements.end()); };

// Pieces of a '|'-separated text.
std::vector<std::string> split(const std::string& joined) {
    std::vector<std::string> pieces(1);
    for (char c : joined)
        c == '|' ? pieces.emplace_back() : pieces.back() += c;
    return pieces;
}

const std::vector<std::string> Quadra =
    split("21|Gestalt 35|22,4 MIPS|Macintosh Quadra 950|MC68040, 33 MHz|FPU im Prozessor|64 MB|"
          "1152 x 870|256 Farben|$F9001000|$50F0C002|$50F0C000|$50F00000|$50F1E000|$50F10000|"
          "ADB vorhanden|256 Bytes|Apple Extended Keyboard II|AppleTalk 58, aktiv|"
          "System 7.1 deutsch, f\xFCr Ger\xE4te|$40800000|$067C|nicht gelesen");

// Eight devices of four slots each: type, vendor, product, version; #5 is empty.
std::string scsifile() {
    std::string file;
    for (const std::string& field :
         split("Wechselplatte|SyQuest |SQ5110  |1.0|Scanner|\xB8\x03"
               "AB\x40\x00\x10|SCAN  600\0|13A5|Scanner|A\x02xx\x70rest|ABCDEFGHIJKL|25b|"
               "CD-ROM|MATSHITA|CD-ROM CR-8004A|1.0k|Scanner|APPLE|SCANNER IV|2.01|||||"
               "CD-ROM|SONY CORPORATION| CD-ROM CDU-8005 |1.0a-beta-x|"
               "Festplatte mit sehr langem Namen|QUANTUM|LPS240S\x07\xE4|"s))
        file += slot(field);
    return file;
}

TEST(RevarudSlots, LengthByteAndSlotZeroDecideWhatIsRead) {
    // The last one is cut at the file's end.
    EXPECT_EQ(std::tuple(text(revarudslot(bytes(slot("abc", "XYZ")), 0)),
                         text(revarudslot(bytes(slot(std::string(255, 'w'))), 0)),
                         latin1toutf8(revarudslot(bytes(slot("\xE4\x7F")), 0)),
                         text(revarudslot(bytes("\x05xy"), 0))),
              std::tuple("abc", std::string(255, 'w'), "ä\x7F", "xy"));

    const std::pair<std::string, int> cases[] = {
        {"", 24}, {"5", 5}, {" 7 Slots", 7}, {"abc", 0}, {"-3", 0}, {"99999999999999999999", 24}};
    for (const auto& [slotzero, lastread] : cases) {
        std::vector<std::string> texts{slotzero};
        for (int k = 1; k < 25; ++k)
            texts.push_back("S" + std::to_string(k));
        const RevarudSlots slots = revarudsystemslots(bytes(systemfile(texts)));
        for (int k = 1; k < 25; ++k)
            EXPECT_EQ(text(slots[static_cast<std::size_t>(k)]), k <= lastread ? texts[k] : "")
                << "slot 0 \"" << slotzero << "\", slot " << k;
    }
}

// The row from column 29 on without trailing spaces: vendor (13), product (32) and version (8);
// that every row is 81 characters long is the revarud fuzz replay's check.
std::string columns(const std::array<std::string, 3>& f) { // vendor, product, version
    std::string row = text(scsirow(3, ScsiDevice{{}, totext(f[0]), totext(f[1]), totext(f[2])}));
    return row.substr(28, row.find_last_not_of(' ') - 27);
}

TEST(RevarudScsiRow, KnownDevicesAndCodedScannersShowTheirNames) {
    const std::string second("Z\x02xy\x70", 5); // the other code
    const std::string nocode("Z\x03xy\x41", 5); // 5th character does not match
    // clang-format off
    const std::pair<std::array<std::string, 3>, std::string> cases[] = {
        {{"SyQuest Technology", "  SQ5200C", ""}, "SyQuest Techn200 MB Wechselplatte (SQ5200C)"},
        // A listed product under another vendor, and a vendor that does not begin with a
        // listed name exactly, stay as they are.
        {{"SONY", "SQ555", ""}, "SONY         SQ555"},
        {{" APPLE", "SCANNER II", ""}, " APPLE       SCANNER II"},
        // A product beyond 32 characters is cut, as is a version beyond 8.
        {{"X", std::string(40, 'p'), "123456789"},
         "X            " + std::string(32, 'p') + "12345678"},
        {{second, "SCAN EF G ", "x6"}, "AGFA         Focus Color (EF G)              x6"},
        {{second, "SCAN", "x7"}, "AGFA         Unbekannt. ()                   x7"},
        // A lone zero byte stays; only one after at least one other character is dropped.
        {{second, "SCAN\0"s, ""}, "AGFA         " + "Unbekannt. (\0)"s},
        {{second, "SCANx\0"s, ""}, "AGFA         Unbekannt. (x)"},
        {{nocode, "SCANEFGHIJKL", "x5"}, nocode + "        SCANEFGHIJKL                    x5"}};
    // clang-format on
    for (const auto& [fields, shown] : cases)
        EXPECT_EQ(columns(fields), shown) << fields[1] << " / " << fields[2];
}

// A form feed in a field is drawn, not carried out: the lines before it stay.
const std::vector<std::string> QuadraScreen =
    split("Rechner:           Macintosh Quadra 950|Hardware-ID:       Gestalt 35|"
          "CPU:               MC68040, 33 MHz|Coprozessoren:     FPU im Prozessor|"
          "Hauptspeicher:     64 MB|Bildschirm:        1152 x 870 256 Farben|"
          "Bildschirmanfang:  $F9001000|"
          "SCC lesen:         $50F0C002           SCC schreiben:     $50F0C000|"
          "VIA:               $50F00000           IWM:               $50F1E000|"
          "SCSI:              $50F10000           ADB:               ADB vorhanden|"
          "Parameter RAM:     256 Bytes|Tastatur:          Apple Extended Keyboard II|"
          "AppleTalk:         AppleTalk 58, aktiv|Betriebssystem:    SystemL7.1|"
          "ROM-Anfang:        $40800000|ROM-Version:       $067C|Rechenleistung:    22,4 MIPS");

// The bell code in #7's product field is drawn as its letter (display mode 4), not rung.
const std::vector<std::string> ScsiScreen =
    split("Anschluss  Gerätetyp        Hersteller   Produktbezeichnung              Version|" +
          std::string(81, '-') +
          "|SCSI #0    Wechselplatte    SyQuest      80 MB Wechselplatte (SQ5110)    1.0"
          "|SCSI #1    Scanner          AGFA         Focus 600 GS (600)              13"
          "|SCSI #2    Scanner          AGFA         Focus II (EFGHIJ)               25"
          "|SCSI #3    CD-ROM           MATSHITA     AppleCD 300 Tray [A]            1.0k"
          "|SCSI #4    Scanner          APPLE        SCANNER IV                      2.01|SCSI #5"
          "|SCSI #6    CD-ROM           SONY CORPORATAppleCD 600                     1.0a-bet"
          "|SCSI #7    Festplatte mit seQUANTUM      LPS240SGä");

class RevarudImportTest : public ReportScreenTest {};

TEST_F(RevarudImportTest, EachFileThroughTheMenuAndAsADocument) {
    std::vector<std::string> formfeed = Quadra;
    formfeed[19] = "System\f7.1";
    const struct {
        std::string Name;
        std::string Contents;
        std::vector<std::string> Screen; // empty: refused
    } cases[] = {{"Quadra 950", systemfile(formfeed), QuadraScreen},
                 {"SCSI-Kette", scsifile(), ScsiScreen},
                 {"knapp", systemfile(Quadra).substr(0, 6399), {}},
                 {"zu lang", systemfile(Quadra) + "x", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = writefile(c.Name, c.Contents);
        for (bool menu : {true, false}) {
            modelname() = "Vorher";
            t_CursorHome(0);
            t_ClearEndOfWindow(0);
            if (menu)
                choosefromablage("Revarud Erur importieren…", path);
            else // documents of other sizes go to the report opener, which refuses them too
                t_PostFileEvent(path, 0), runallevents();
            // A refused import keeps the name; the report opener names the model by the file.
            // A control code in a field is drawn only: no beep, the display mode back at 0.
            EXPECT_EQ(std::tuple(screen(), modelname(), rt().WindowTable[0].TextDisplayMode,
                                 layer.count("beep")),
                      std::tuple(c.Screen.empty() ? noinfoscreen() : c.Screen,
                                 c.Screen.empty() && menu ? "Vorher" : c.Name, 0, 0))
                << menu;
        }
    }
}

// One log line per slot whatever the slot holds, its Latin-1 text in UTF-8 (how a line end or a
// control code in a log line is written is LogTest's).
TEST_F(RevarudImportTest, LogsEverySlotAndEveryScsiEntry) {
    importrevarud(writefile("q", systemfile(Quadra)));
    importrevarud(writefile("s", scsifile()));
    std::vector<std::string> expected;
    for (std::size_t k = 0; k < 25; ++k)
        expected.push_back(std::to_string(k) + ":" +
                           (k > 21 ? "" : latin1toutf8(totext(Quadra[k]))));
    for (const char* line : {"SCSI #0:Wechselplatte:SyQuest :SQ5110  :1.0", "SCSI #5::::",
                             "SCSI #7:Festplatte mit sehr langem Namen:QUANTUM:LPS240S\\x07ä:"})
        EXPECT_TRUE(log.contains(line)) << line;
    const std::vector<std::string> lines = log.lines();
    EXPECT_EQ(std::vector(lines.begin(), lines.begin() + std::min<std::size_t>(25, lines.size())),
              expected);
}

} // namespace
} // namespace mdx::test
