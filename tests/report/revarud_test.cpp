// Revarud Erur files: the slots and fields read from them, the SCSI table's columns with the
// known device names and the coded scanners, and the screens that both file kinds and files of
// any other size leave, reached through the menu and as documents handed to the program.
#include <gtest/gtest.h>

#include <array>
#include <map>

#include <sys/stat.h>

#include "report/revarud.h"
#include "report_screen.h"
#include "text/cursor.h"
#include "text/scrolling.h"

namespace mdx::test {
namespace {

// A slot: the length byte, the text, and `rest` after it (which the length leaves out).
std::string slot(const std::string& text, const std::string& rest = "") {
    std::string s(1, static_cast<char>(text.size()));
    s += text + rest;
    s.resize(256, '\0');
    return s;
}

std::string systemfile(const std::map<int, std::string>& texts) {
    std::string file;
    for (int k = 0; k < 25; ++k)
        file += texts.contains(k) ? slot(texts.at(k)) : slot("");
    return file;
}

using ScsiFields = std::array<std::string, 4>; // type, vendor, product, version

std::string scsifile(const std::array<ScsiFields, 8>& entries) {
    std::string file;
    for (const ScsiFields& e : entries)
        for (const std::string& field : e)
            file += slot(field);
    return file;
}

Bytes bytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

std::string text(const Text& t) {
    return std::string(t.Elements.begin(), t.Elements.end());
}

// Slots 0 to 24 of a full system file, each with its number in it.
std::map<int, std::string> numberedslots(const std::string& slotzero) {
    std::map<int, std::string> texts{{0, slotzero}};
    for (int k = 1; k < 25; ++k)
        texts[k] = "S" + std::to_string(k);
    return texts;
}

const std::map<int, std::string> Quadra = {
    {1, "Gestalt 35"},
    {2, "22,4 MIPS"},
    {3, "Macintosh Quadra 950"},
    {4, "MC68040, 33 MHz"},
    {5, "FPU im Prozessor"},
    {6, "64 MB"},
    {7, "1152 x 870"},
    {8, "256 Farben"},
    {9, "$F9001000"},
    {10, "$50F0C002"},
    {11, "$50F0C000"},
    {12, "$50F00000"},
    {13, "$50F1E000"},
    {14, "$50F10000"},
    {15, "ADB vorhanden"},
    {16, "256 Bytes"},
    {17, "Apple Extended Keyboard II"},
    {18, "AppleTalk 58, aktiv"},
    {19, "System 7.1 deutsch, f\xFCr Ger\xE4te"},
    {20, "$40800000"},
    {21, "$067C"},
    {22, "nicht gelesen"},
};

std::string quadrafile(const std::string& slotzero) {
    std::map<int, std::string> texts = Quadra;
    texts[0] = slotzero;
    return systemfile(texts);
}

const std::array<ScsiFields, 8> ScsiChain = {{
    {"Wechselplatte", "SyQuest ", "SQ5110  ", "1.0"},
    {"Scanner",
     std::string("\xB8\x03"
                 "AB\x40\x00\x10",
                 7),
     std::string("SCAN  600\0", 10), "13A5"},
    {"Scanner", "A\x02xx\x70rest", "ABCDEFGHIJKL", "25b"},
    {"CD-ROM", "MATSHITA", "CD-ROM CR-8004A", "1.0k"},
    {"Scanner", "APPLE", "SCANNER IV", "2.01"},
    {"", "", "", ""},
    {"CD-ROM", "SONY CORPORATION", " CD-ROM CDU-8005 ", "1.0a-beta-x"},
    {"Festplatte mit sehr langem Namen", "QUANTUM", "LPS240S\x07\xE4", ""},
}};

// ---- Reading the files ----------------------------------------------------------------------

TEST(RevarudSlots, LengthByteAndSlotZeroDecideWhatIsRead) {
    EXPECT_EQ(text(revarudslot(bytes(slot("abc", "XYZ")), 0)), "abc");
    EXPECT_EQ(text(revarudslot(bytes(slot(std::string(255, 'w'))), 0)), std::string(255, 'w'));
    EXPECT_EQ(text(revarudslot(bytes("\x05"
                                     "ab"),
                               0)),
              "ab"); // cut at the file's end
    EXPECT_EQ(text(revarudslot(bytes("\x05"
                                     "ab"),
                               7)),
              "");
    EXPECT_EQ(latin1toutf8(revarudslot(bytes(slot("\xE4\x7F")), 0)), "ä\x7F");

    const struct {
        std::string SlotZero;
        int LastRead;
    } cases[] = {{"", 24},        {"21", 21}, {"5", 5},
                 {" 7 Slots", 7}, {"abc", 0}, {"-3", 0},
                 {"0", 0},        {"24", 24}, {"99999999999999999999", 24}};
    for (const auto& c : cases) {
        const RevarudSlots slots = revarudsystemslots(bytes(systemfile(numberedslots(c.SlotZero))));
        EXPECT_EQ(text(slots[0]), c.SlotZero);
        for (int k = 1; k < 25; ++k)
            EXPECT_EQ(text(slots[static_cast<std::size_t>(k)]),
                      k <= c.LastRead ? "S" + std::to_string(k) : "")
                << "slot 0 \"" << c.SlotZero << "\", slot " << k;
    }
}

// ---- The SCSI table's rows --------------------------------------------------------------------

// The row from column 29 on: vendor (13), product (32) and version (8).
std::string columns(const ScsiFields& f) {
    const ScsiDevice d{totext(f[0]), totext(f[1]), totext(f[2]), totext(f[3])};
    const Text row = scsirow(3, d);
    EXPECT_EQ(row.Elements.size(), 81u);
    return text(row).substr(28);
}

TEST(RevarudScsiRow, DeviceNamesReplaceTheProductOnlyForTheirVendor) {
    const struct {
        ScsiFields Fields;
        std::string Columns;
    } cases[] = {
        {{"", "SyQuest", "SQ555", "1"}, "SyQuest      40 MB Wechselplatte (SQ555)     1       "},
        {{"", "SyQuest Technology", "  SQ5200C", ""},
         "SyQuest Techn200 MB Wechselplatte (SQ5200C)          "},
        {{"", "CANON", "IX-03035B", ""}, "CANON        Apple Color OneScanner 600/27           "},
        {{"", "APPLE", "SCANNER III", ""}, "APPLE        Apple Color OneScanner                  "},
        {{"", "MATSHITA", "CD-ROM CR-8024", ""},
         "MATSHITA     AppleCD 24X                             "},
        {{"", "SONY", "CD-ROM CDU-8003A", ""},
         "SONY         AppleCD 300 Caddy [A]                   "},
        // A listed product under another vendor, an unlisted one under a listed vendor, and
        // vendors that do not begin with a listed name exactly stay as they are.
        {{"", "SONY", "SQ555", ""}, "SONY         SQ555                                   "},
        {{"", "MATSHITA", " CD-ROM CR-9999 ", ""},
         "MATSHITA      CD-ROM CR-9999                         "},
        {{"", " APPLE", "SCANNER II", ""}, " APPLE       SCANNER II                              "},
        {{"", "apple", "SCANNER II", ""}, "apple        SCANNER II                              "},
        // A product beyond 32 characters is cut, as is a version beyond 8.
        {{"", "X", std::string(40, 'p'), "123456789"},
         "X            " + std::string(32, 'p') + "12345678"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(columns(c.Fields), c.Columns) << c.Fields[1] << " / " << c.Fields[2];
}

TEST(RevarudScsiRow, CodedScannersShowTheirModelAndShortText) {
    const std::string gs("\xB8\x03xy\x40", 5);  // first character 184
    const std::string other("Z\x03xy\x40", 5);  // the same code, another first character
    const std::string second("Z\x02xy\x70", 5); // the other code
    const std::string nocode("Z\x03xy\x41", 5); // 5th character does not match
    const struct {
        ScsiFields Fields;
        std::string Columns;
    } cases[] = {
        {{"", gs, std::string("SCAN  600\0", 10), "13A5"},
         "AGFA         Focus 600 GS (600)              13      "},
        {{"", other, "SCANEFGHIJKL", "x3"},
         "AGFA         Focus 800 GS (EFGHIJ)           x3      "},
        {{"", second, "SCANEFGHIJKL", "x5"},
         "AGFA         Focus II (EFGHIJ)               x5      "},
        {{"", second, "SCAN EF G ", "x6"}, "AGFA         Focus Color (EF G)              x6      "},
        {{"", second, "SCAN", "x7"}, "AGFA         Unbekannt. ()                   x7      "},
        // A lone zero byte stays; only one after at least one other character is dropped.
        {{"", second, std::string("SCAN\0", 5), ""},
         "AGFA         " + std::string("Unbekannt. (\0)", 14) + std::string(18 + 8, ' ')},
        {{"", nocode, "SCANEFGHIJKL", "x5"},
         nocode + "        SCANEFGHIJKL                    x5      "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(columns(c.Fields), c.Columns) << c.Fields[2];
}

// ---- Whole files on the screen ----------------------------------------------------------------

const std::vector<std::string> QuadraScreen = {
    "Rechner:           Macintosh Quadra 950",
    "Hardware-ID:       Gestalt 35",
    "CPU:               MC68040, 33 MHz",
    "Coprozessoren:     FPU im Prozessor",
    "Hauptspeicher:     64 MB",
    "Bildschirm:        1152 x 870 256 Farben",
    "Bildschirmanfang:  $F9001000",
    "SCC lesen:         $50F0C002           SCC schreiben:     $50F0C000",
    "VIA:               $50F00000           IWM:               $50F1E000",
    "SCSI:              $50F10000           ADB:               ADB vorhanden",
    "Parameter RAM:     256 Bytes",
    "Tastatur:          Apple Extended Keyboard II",
    "AppleTalk:         AppleTalk 58, aktiv",
    "Betriebssystem:    System 7.1 deutsch, für Geräte",
    "ROM-Anfang:        $40800000",
    "ROM-Version:       $067C",
    "Rechenleistung:    22,4 MIPS",
};

const std::vector<std::string> ShortQuadraScreen = {
    "Rechner:           Macintosh Quadra 950",
    "Hardware-ID:       Gestalt 35",
    "CPU:               MC68040, 33 MHz",
    "Coprozessoren:     FPU im Prozessor",
    "Hauptspeicher:",
    "Bildschirm:",
    "Bildschirmanfang:",
    "SCC lesen:                             SCC schreiben:",
    "VIA:                                   IWM:",
    "SCSI:                                  ADB:",
    "Parameter RAM:",
    "Tastatur:",
    "AppleTalk:",
    "Betriebssystem:",
    "ROM-Anfang:",
    "ROM-Version:",
    "Rechenleistung:    22,4 MIPS",
};

const std::vector<std::string> ScsiScreen = {
    "Anschluss  Gerätetyp        Hersteller   Produktbezeichnung              Version",
    std::string(81, '-'),
    "SCSI #0    Wechselplatte    SyQuest      80 MB Wechselplatte (SQ5110)    1.0",
    "SCSI #1    Scanner          AGFA         Focus 600 GS (600)              13",
    "SCSI #2    Scanner          AGFA         Focus II (EFGHIJ)               25",
    "SCSI #3    CD-ROM           MATSHITA     AppleCD 300 Tray [A]            1.0k",
    "SCSI #4    Scanner          APPLE        SCANNER IV                      2.01",
    "SCSI #5",
    "SCSI #6    CD-ROM           SONY CORPORATAppleCD 600                     1.0a-bet",
    // The bell code in the product field is drawn as its letter (display mode 4), not rung.
    "SCSI #7    Festplatte mit seQUANTUM      LPS240SGä",
};

struct FileCase {
    std::string Name;
    std::string Contents;
    std::vector<std::string> Screen;
    std::string ModelName;
};

// A form feed in slot 19 is drawn, not carried out: the lines before it stay on the screen.
std::string formfeedfile() {
    std::map<int, std::string> texts = Quadra;
    texts[0] = "21";
    texts[19] = "System\x0c"
                "7.1";
    return systemfile(texts);
}

std::vector<std::string> formfeedscreen() {
    std::vector<std::string> screen = QuadraScreen;
    screen[13] = "Betriebssystem:    SystemL7.1";
    return screen;
}

std::vector<FileCase> filecases() {
    return {
        {"Quadra 950", quadrafile("21"), QuadraScreen, "Quadra 950"},
        {"Seitenvorschub", formfeedfile(), formfeedscreen(), "Seitenvorschub"},
        {"kurz", quadrafile("5"), ShortQuadraScreen, "kurz"},
        {"SCSI-Kette", scsifile(ScsiChain), ScsiScreen, "SCSI-Kette"},
        {"knapp", quadrafile("21").substr(0, 6399), {}, "Vorher"},
        {"zu lang", quadrafile("21") + "x", {}, "Vorher"},
        {"leer", "", {}, "Vorher"},
    };
}

class RevarudImportTest : public ReportScreenTest {
  protected:
    void expectshown(const FileCase& c, const std::string& route) {
        const std::vector<std::string> expected = c.Screen.empty() ? noinfoscreen() : c.Screen;
        EXPECT_EQ(screen(), expected) << c.Name << " " << route;
        EXPECT_EQ(modelname(), c.ModelName) << c.Name << " " << route;
        EXPECT_EQ(rt().WindowTable[0].TextDisplayMode, 0) << c.Name;
        EXPECT_EQ(layer.count("beep"), 0) << c.Name; // a control code in a field is drawn only
    }
};

TEST_F(RevarudImportTest, EachFileThroughTheMenuAndAsADocument) {
    for (const FileCase& c : filecases()) {
        const std::string path = writefile(c.Name, c.Contents);
        modelname() = "Vorher";
        choosefromablage("Revarud Erur importieren…", path);
        expectshown(c, "menu");

        modelname() = "Vorher";
        t_CursorHome(0);
        t_ClearEndOfWindow(0);
        hand(path);
        if (c.Contents.size() == 6400 || c.Contents.size() == 8192)
            expectshown(c, "document");
        else // documents of other sizes are for the report opener, which refuses them too
            EXPECT_EQ(screen(), noinfoscreen()) << c.Name;
    }
}

TEST_F(RevarudImportTest, LogsEverySlotAndEveryScsiEntry) {
    importrevarud(writefile("q", quadrafile("21")));
    std::vector<std::string> expected;
    for (int k = 0; k < 25; ++k) {
        std::string slottext = k == 0 ? "21" : k > 21 ? "" : latin1toutf8(totext(Quadra.at(k)));
        expected.push_back(std::to_string(k) + ":" + slottext);
    }
    const std::vector<std::string> lines = log.lines();
    ASSERT_GE(lines.size(), 25u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 25), expected);

    log.clear();
    importrevarud(writefile("s", scsifile(ScsiChain)));
    EXPECT_TRUE(log.contains("SCSI #0:Wechselplatte:SyQuest :SQ5110  :1.0"));
    EXPECT_TRUE(log.contains("SCSI #5::::"));
    EXPECT_TRUE(log.contains("SCSI #7:Festplatte mit sehr langem Namen:QUANTUM:LPS240S\x07ä:"));
}

TEST_F(RevarudImportTest, UnreadableAndSpecialFilesAreRefused) {
    const std::string pipe = dir.file("rohr");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path :
         {dir.file("fehlt"), dir.path(), pipe, std::string("/dev/zero")}) {
        importrevarud(path);
        EXPECT_EQ(screen(), noinfoscreen()) << path;
        EXPECT_EQ(modelname(), "Vorher") << path;
    }
    EXPECT_TRUE(log.contains("getbinaryfromfile: Error #2"));
}

} // namespace
} // namespace mdx::test
