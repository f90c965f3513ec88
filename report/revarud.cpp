#include "report/revarud.h"

#include <algorithm>
#include <string_view>

#include "base/log.h"
#include "report/documents.h"
#include "report/report.h"
#include "text/cursor.h"
#include "text/display.h"
#include "text/output.h"
#include "text/scrolling.h"

namespace mdx {
namespace {

constexpr std::size_t ScsiEntrySize = 1024;
constexpr Int LastSystemSlot = 24;
constexpr Int ScsiRowMode = 4; // control codes in a field are drawn, not carried out

constexpr std::size_t AddressWidth = 11;
constexpr std::size_t TypeWidth = 17;
constexpr std::size_t VendorWidth = 13;
constexpr std::size_t ProductWidth = 32;
constexpr std::size_t VersionWidth = 8;

struct DeviceName {
    std::string_view Vendor; // the field's beginning
    std::string_view Product;
    std::string_view Shown;
};

constexpr DeviceName DeviceNames[] = {
    {"SyQuest", "SQ555", "40 MB Wechselplatte (SQ555)"},
    {"SyQuest", "SQ5110", "80 MB Wechselplatte (SQ5110)"},
    {"SyQuest", "SQ5200C", "200 MB Wechselplatte (SQ5200C)"},
    {"CANON", "IX-03035B", "Apple Color OneScanner 600/27"},
    {"APPLE", "SCANNER A9M0337", "Apple Scanner"},
    {"APPLE", "SCANNER II", "Apple OneScanner"},
    {"APPLE", "SCANNER III", "Apple Color OneScanner"},
    {"MATSHITA", "CD-ROM CR-8004", "AppleCD 300 Tray"},
    {"MATSHITA", "CD-ROM CR-8004A", "AppleCD 300 Tray [A]"},
    {"MATSHITA", "CD-ROM CR-8005", "AppleCD 600"},
    {"MATSHITA", "CD-ROM CR-8005A", "AppleCD 600 [A]"},
    {"MATSHITA", "CD-ROM CR-8008", "AppleCD 8X"},
    {"MATSHITA", "CD-ROM CR-8012", "AppleCD 12X"},
    {"MATSHITA", "CD-ROM CR-8024", "AppleCD 24X"},
    {"SONY", "CD-ROM CDU-8003A", "AppleCD 300 Caddy [A]"},
    {"SONY", "CD-ROM CDU-8004", "AppleCD 300 Tray"},
    {"SONY", "CD-ROM CDU-8005", "AppleCD 600"},
};

// The system file's screen: a label and the slots after it; a second label on the same line
// starts at column 40.
struct SystemLine {
    const char* Label;
    Int Slot;
    const char* SecondLabel = nullptr;
    Int SecondSlot = 0;
};

constexpr Int ScreenSlot = 7; // followed by slot 8 after one space
constexpr Int SecondColumn = 40;

constexpr SystemLine SystemLines[] = {
    {"Rechner:           ", 3},
    {"Hardware-ID:       ", 1},
    {"CPU:               ", 4},
    {"Coprozessoren:     ", 5},
    {"Hauptspeicher:     ", 6},
    {"Bildschirm:        ", ScreenSlot},
    {"Bildschirmanfang:  ", 9},
    {"SCC lesen:         ", 10, "SCC schreiben:     ", 11},
    {"VIA:               ", 12, "IWM:               ", 13},
    {"SCSI:              ", 14, "ADB:               ", 15},
    {"Parameter RAM:     ", 16},
    {"Tastatur:          ", 17},
    {"AppleTalk:         ", 18},
    {"Betriebssystem:    ", 19},
    {"ROM-Anfang:        ", 20},
    {"ROM-Version:       ", 21},
    {"Rechenleistung:    ", 2},
};

Text fromview(std::string_view s) {
    return Text{Bytes(s.begin(), s.end())};
}

void append(Text& to, const Text& more) {
    to.Elements.insert(to.Elements.end(), more.Elements.begin(), more.Elements.end());
}

// Padded with spaces or cut to `width` characters.
Text fitted(Text text, std::size_t width) {
    text.Elements.resize(width, ' ');
    return text;
}

Text piece(const Text& text, std::size_t from, std::size_t count) {
    const Bytes& b = text.Elements;
    const std::size_t start = std::min(from, b.size());
    const std::size_t end = std::min(start + count, b.size());
    return Text{Bytes(b.begin() + static_cast<std::ptrdiff_t>(start),
                      b.begin() + static_cast<std::ptrdiff_t>(end))};
}

// Space, tab and no-break space, the white space of ISO 8859-1 text fields.
bool iswhite(UInt8 c) {
    return c == ' ' || c == '\t' || c == 0xA0;
}

Text trimmedwhite(const Text& text) {
    const Bytes& b = text.Elements;
    auto first = std::find_if_not(b.begin(), b.end(), iswhite);
    auto last = std::find_if_not(b.rbegin(), std::make_reverse_iterator(first), iswhite).base();
    return Text{Bytes(first, last)};
}

bool beginswith(const Text& text, std::string_view start) {
    const Bytes& b = text.Elements;
    return b.size() >= start.size() && std::equal(start.begin(), start.end(), b.begin());
}

// The product column's text from the table of known devices, or the product field.
Text productname(const ScsiDevice& device) {
    const Text product = trimmedwhite(device.Product);
    for (const DeviceName& d : DeviceNames)
        if (beginswith(device.Vendor, d.Vendor) && product == fromview(d.Product))
            return fromview(d.Shown);
    return device.Product;
}

// Scanners of one vendor write a code instead of the vendor's name; its 2nd and 5th characters
// tell them.
bool iscodedscanner(const Text& vendorColumn) {
    const UInt8 second = vendorColumn.Elements[1];
    const UInt8 fifth = vendorColumn.Elements[4];
    return (second == 3 && fifth == 64) || (second == 2 && fifth == 112);
}

std::string_view scannermodel(const Text& vendorColumn, const Text& version) {
    const UInt8 model = version.Elements.size() >= 2 ? version.Elements[1] : 0;
    constexpr UInt8 FocusGsMark = 184;
    switch (model) {
    case '3': return vendorColumn.Elements[0] == FocusGsMark ? "Focus 600 GS" : "Focus 800 GS";
    case '5': return "Focus II";
    case '6': return "Focus Color";
    default: return "Unbekannt.";
    }
}

// The product column of a coded scanner: its model and, in brackets, six characters of the
// product field from the 5th on, trimmed, without a closing zero byte.
Text scannerproduct(const Text& vendorColumn, const ScsiDevice& device) {
    Text shorttext = trimmedwhite(piece(device.Product, 4, 6));
    if (shorttext.Elements.size() >= 2 && shorttext.Elements.back() == 0)
        shorttext.Elements.pop_back();
    Text product = fromview(scannermodel(vendorColumn, device.Version));
    append(product, fromview(" ("));
    append(product, shorttext);
    append(product, fromview(")"));
    return product;
}

Text addresscolumn(Int address) {
    return fitted(totext("SCSI #" + std::to_string(address)), AddressWidth);
}

void logslots(const RevarudSlots& slots) {
    for (std::size_t k = 0; k < slots.size(); ++k)
        logline(std::to_string(k) + ":" + latin1toutf8(slots[k]));
}

void logdevices(const ScsiDevices& devices) {
    for (std::size_t a = 0; a < devices.size(); ++a) {
        const ScsiDevice& d = devices[a];
        logline("SCSI #" + std::to_string(a) + ":" + latin1toutf8(d.Type) + ":" +
                latin1toutf8(d.Vendor) + ":" + latin1toutf8(d.Product) + ":" +
                latin1toutf8(d.Version));
    }
}

// A slot's bytes are drawn as they are, like the SCSI fields: a control code in it must not
// clear or move the lines around it.
void printslotbytes(const Text& slot) {
    t_DisplayMode(ReportWindow, ScsiRowMode);
    t_Print(ReportWindow, slot);
    t_DisplayMode(ReportWindow, 0);
}

void printslot(const char* label, const Text& slot) {
    t_Print(ReportWindow, label);
    printslotbytes(slot);
}

void printsystemline(const RevarudSlots& slots, const SystemLine& line) {
    printslot(line.Label, slots[static_cast<std::size_t>(line.Slot)]);
    if (line.Slot == ScreenSlot) {
        t_Print(ReportWindow, " ");
        printslotbytes(slots[ScreenSlot + 1]);
    }
    if (line.SecondLabel != nullptr) {
        t_Htab(ReportWindow, SecondColumn);
        printslot(line.SecondLabel, slots[static_cast<std::size_t>(line.SecondSlot)]);
    }
    t_Cr(ReportWindow);
}

void showsystemfile(const Bytes& file, const std::string& path) {
    const RevarudSlots slots = revarudsystemslots(file);
    logslots(slots);
    const OutsideTextGuard guard;
    t_CursorHome(ReportWindow);
    t_ClearEndOfWindow(ReportWindow);
    for (const SystemLine& line : SystemLines)
        printsystemline(slots, line);
    modelname() = lastpathcomponent(path);
}

void showscsifile(const Bytes& file, const std::string& path) {
    const ScsiDevices devices = revarudscsidevices(file);
    logdevices(devices);
    t_CursorHome(ReportWindow);
    t_ClearEndOfWindow(ReportWindow);
    t_Print(ReportWindow,
            "Anschluss  Gerätetyp        Hersteller   Produktbezeichnung              Version");
    t_Cr(ReportWindow);
    t_Print(ReportWindow, std::string(81, '-'));
    t_Cr(ReportWindow);
    for (std::size_t a = 0; a < devices.size(); ++a) {
        t_DisplayMode(ReportWindow, ScsiRowMode);
        t_Print(ReportWindow, scsirow(static_cast<Int>(a), devices[a]));
        t_DisplayMode(ReportWindow, 0);
        t_Cr(ReportWindow);
    }
    modelname() = lastpathcomponent(path);
}

} // namespace

Text revarudslot(const Bytes& file, std::size_t offset) {
    if (offset >= file.size()) return {};
    const std::size_t length = std::min<std::size_t>(file[offset], file.size() - offset - 1);
    const auto start = file.begin() + static_cast<std::ptrdiff_t>(offset) + 1;
    return Text{Bytes(start, start + static_cast<std::ptrdiff_t>(length))};
}

RevarudSlots revarudsystemslots(const Bytes& file) {
    RevarudSlots slots;
    Int limit = LastSystemSlot;
    for (Int k = 0; k <= std::min(limit, LastSystemSlot); ++k) {
        const auto slot = static_cast<std::size_t>(k);
        slots[slot] = revarudslot(file, slot * RevarudSlotSize);
        if (k == 0 && !slots[0].Elements.empty()) limit = leadinginteger(slots[0]);
    }
    return slots;
}

ScsiDevices revarudscsidevices(const Bytes& file) {
    ScsiDevices devices;
    for (std::size_t a = 0; a < devices.size(); ++a) {
        const std::size_t at = a * ScsiEntrySize;
        devices[a] = {revarudslot(file, at), revarudslot(file, at + RevarudSlotSize),
                      revarudslot(file, at + 2 * RevarudSlotSize),
                      revarudslot(file, at + 3 * RevarudSlotSize)};
    }
    return devices;
}

Text scsirow(Int address, const ScsiDevice& device) {
    Text vendor = fitted(device.Vendor, VendorWidth);
    Text product;
    Text version = fitted(device.Version, VersionWidth);
    if (iscodedscanner(vendor)) {
        product = scannerproduct(vendor, device);
        vendor = fitted(fromview("AGFA"), VendorWidth);
        version = fitted(piece(device.Version, 0, 2), VersionWidth);
    } else {
        product = productname(device);
    }
    Text row = addresscolumn(address);
    append(row, fitted(device.Type, TypeWidth));
    append(row, vendor);
    append(row, fitted(product, ProductWidth));
    append(row, version);
    return row;
}

std::string latin1toutf8(const Text& text) {
    std::string utf8;
    utf8.reserve(text.Elements.size() * 2);
    for (UInt8 b : text.Elements) {
        if (b < 0x80) {
            utf8.push_back(static_cast<char>(b));
        } else {
            utf8.push_back(static_cast<char>(0xC0 | b >> 6));
            utf8.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return utf8;
}

// A file that cannot be read leaves the screen as it was and says why; one of another size is
// no Revarud Erur file.
void showrevarudfile(const std::string& path) {
    Bytes file;
    int error = readoutsidefile(path, RevarudScsiSize, file);
    if (error == 0 && file.empty()) error = EmptyFile;
    // A file larger than either kind is read as none of them, like one of another size.
    if (error != 0 && error != EFBIG) {
        tellfailure("\u201E" + path + "\u201C konnte nicht importiert werden.",
                    fileerrortext(error));
        return;
    }
    const bool classic = file.size() == RevarudSystemSize || file.size() == RevarudScsiSize;
    if (file.size() == RevarudSystemSize)
        showsystemfile(file, path);
    else if (file.size() == RevarudScsiSize)
        showscsifile(file, path);
    else
        refusenoinfofile(path, "Eine Revarud-Erur-Datei hat 6.400 oder 8.192 Bytes.");
    // The title names the file window 0 now shows, not a report opened before.
    showdocumenttitle(classic ? path : "");
    preparereportscreen();
}

void importrevarud(const std::string& path) {
    showrevarudfile(path);
}

// A document's size was looked at before it came here; the file is read and told apart again,
// since it may have changed in between.
void importrevarud6400(const std::string& path) {
    showrevarudfile(path);
}

void importrevarud8192(const std::string& path) {
    showrevarudfile(path);
}

} // namespace mdx
