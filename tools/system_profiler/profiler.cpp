#include "tools/system_profiler/profiler.h"

#include <algorithm>
#include <functional>
#include <ostream>

#include "tools/system_profiler/buses.h"
#include "tools/system_profiler/devices.h"
#include "tools/system_profiler/displays.h"
#include "tools/system_profiler/hardware.h"
#include "tools/system_profiler/json_output.h"
#include "tools/system_profiler/network.h"
#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {

namespace {

struct DataType {
    const char* name;
    const char* title;
    std::function<std::vector<Section>(const Context&)> sections;
};

const std::vector<DataType>& table() {
    static const std::vector<DataType> types{
        {"SPHardwareDataType", "Hardware", hardwaresections},
        {"SPNetworkDataType", "Network", networksections},
        {"SPDisplaysDataType", "Graphics/Displays", displaysections},
        {"SPParallelATADataType", "Parallel ATA", parallelatasections},
        {"SPAudioDataType", "Audio", audiosections},
        {"SPBluetoothDataType", "Bluetooth", bluetoothsections},
        {"SPCameraDataType", "Camera", camerasections},
        {"SPCardReaderDataType", "Card Reader", cardreadersections},
        {"SPPCIDataType", "PCI", pcisections},
        {"SPParallelSCSIDataType", "Parallel SCSI", parallelscsisections},
        {"SPSASDataType", "SAS", sassections},
        {"SPSerialATADataType", "SATA", serialatasections},
        {"SPSPIDataType", "SPI", spisections},
        {"SPThunderboltDataType", "Thunderbolt/USB4", thunderboltsections},
        {"SPUSBDataType", "USB", usbsections},
        {"SPFireWireDataType", "FireWire", firewiresections},
        {"SPFibreChannelDataType", "Fibre Channel", fibrechannelsections},
        {"SPEthernetDataType", "Ethernet Cards", ethernetsections},
    };
    return types;
}

const char* const Usage =
    "Aufruf: system_profiler [--root ORDNER] [-json] [-detailLevel mini|basic|full]\n"
    "                        [-listDataTypes] [DATENTYP ...]\n"
    "\n"
    "Schreibt die Hardware-Angaben, die Linux ohne Root-Rechte preisgibt, als\n"
    "eingerückte Abschnitte aus Zeilen \"Schlüssel: Wert\", ein Datentyp nach dem\n"
    "anderen; ohne Datentypen alle. Datentypen ohne solche Hardware geben nichts\n"
    "aus; Werte, die sich nicht lesen lassen, fehlen.\n"
    "\n"
    "  -json           schreibt stattdessen ein JSON-Objekt mit einer Liste von\n"
    "                  Abschnitten je Datentyp\n"
    "  -detailLevel mini|basic|full\n"
    "                  mini lässt Seriennummern und Netzwerkadressen weg;\n"
    "                  basic und full schreiben alles (die Vorgabe)\n"
    "  -listDataTypes  nennt die Datentypen\n"
    "  --root ORDNER   liest die Dateien unter ORDNER/sys, ORDNER/proc und\n"
    "                  ORDNER/usr/share statt unter / (auch die Umgebungsvariable\n"
    "                  MIRADEX_SYSROOT)\n"
    "  -h, -help       zeigt diesen Text\n";

// Exit statuses: an unknown data type is a failed run, a wrong call a usage error.
constexpr int StatusUnknownType = 1;
constexpr int StatusUsage = 2;

struct Options {
    std::string root;
    bool list = false;
    bool help = false;
    bool json = false;
    bool mini = false;
    std::vector<std::string> types;
    std::string error;
};

void setdetaillevel(Options& options, const std::string& level) {
    if (level == "mini" || level == "basic" || level == "full")
        options.mini = level == "mini";
    else
        options.error = "Unbekannte Detailstufe " + (level.empty() ? "\"\"" : level) +
                        " (mini, basic oder full)";
}

Options parse(const std::vector<std::string>& arguments, const std::string& environmentroot) {
    Options options;
    options.root = environmentroot;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-listDataTypes")
            options.list = true;
        else if (argument == "-h" || argument == "-help" || argument == "--help")
            options.help = true;
        else if (argument == "-json")
            options.json = true;
        else if (argument == "-detailLevel")
            setdetaillevel(options, i + 1 < arguments.size() ? arguments[++i] : "");
        else if (argument == "--root" && i + 1 < arguments.size())
            options.root = arguments[++i];
        else if (argument.rfind("--root=", 0) == 0)
            options.root = argument.substr(7);
        else if (!argument.empty() && argument[0] == '-')
            options.error = "Unbekannte Option " + argument;
        else
            options.types.push_back(argument);
    }
    return options;
}

const DataType* findtype(std::string_view name) {
    for (const DataType& type : table())
        if (name == type.name) return &type;
    return nullptr;
}

// The first data type asked for that the command does not know; empty when it knows them all.
std::string unknowntype(const Options& options) {
    for (const std::string& name : options.types)
        if (findtype(name) == nullptr) return name;
    return {};
}

// The text or JSON form of the data types asked for, all of them known.
std::string report(const Options& options, const Context& context) {
    const std::vector<std::string>& names = options.types.empty() ? datatypes() : options.types;
    std::string text;
    std::vector<TypeSections> gathered;
    for (const std::string& name : names) {
        const DataType* type = findtype(name);
        std::vector<Section> sections = type->sections(context);
        if (options.mini) leaveoutidentifying(sections);
        if (options.json)
            gathered.emplace_back(name, std::move(sections));
        else
            text += render(type->title, sections, context.point);
    }
    return options.json ? renderjson(gathered, context.point) : text;
}

} // namespace

const std::vector<std::string>& datatypes() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const DataType& type : table())
            list.emplace_back(type.name);
        return list;
    }();
    return names;
}

std::string profile(const Context& context, std::string_view datatype) {
    const DataType* type = findtype(datatype);
    return type == nullptr ? std::string()
                           : render(type->title, type->sections(context), context.point);
}

int runprofiler(const std::vector<std::string>& arguments, const std::string& environmentroot,
                std::ostream& out, std::ostream& err, char decimalpoint) {
    Options options = parse(arguments, environmentroot);
    if (!options.error.empty()) {
        err << "system_profiler: " << options.error << "\n" << Usage;
        return StatusUsage;
    }
    if (options.help) {
        out << Usage;
        return 0;
    }
    if (options.list) {
        out << "Available Datatypes:\n";
        for (const std::string& name : datatypes())
            out << name << "\n";
        return 0;
    }
    if (const std::string unknown = unknowntype(options); !unknown.empty()) {
        // A name with control bytes is not echoed to the terminal.
        err << "system_profiler: Unbekannter Datentyp "
            << (printable(unknown) ? unknown : std::string("(mit Steuerzeichen)"))
            << " (system_profiler -listDataTypes nennt die bekannten)\n";
        return StatusUnknownType;
    }
    Context context(options.root, decimalpoint);
    out << report(options, context);
    out.flush();
    return 0;
}

} // namespace mdx::sysprof
