// The hardware profiler command and the two network lookups of the report.
#pragma once

#include <string>

#include "base/kwtools.h"

namespace mdx {

// The profiler's output for one data type with every line feed turned into a carriage return,
// or an empty Text. The first call fetches the list of data types (kept in the runtime's report
// state, report_state.h, for the program run).
Text systemprofiler(const std::string& datatype);

// One row of the interface table: a profiler data type and the short name the report uses.
struct ProfilerType {
    const char* DataType;
    const char* ShortName;
};
inline constexpr ProfilerType ProfilerTypeTable[] = {
    {"SPParallelATADataType", "PATA"},        {"SPAudioDataType", "Audio"},
    {"SPBluetoothDataType", "BlueTooth"},     {"SPCameraDataType", "Camera"},
    {"SPCardReaderDataType", "CardReader"},   {"SPPCIDataType", "PCI"},
    {"SPParallelSCSIDataType", "SCSI"},       {"SPSASDataType", "SAS"},
    {"SPSerialATADataType", "SATA"},          {"SPSPIDataType", "SPI"},
    {"SPThunderboltDataType", "ThunderBolt"}, {"SPUSBDataType", "USB"},
    {"SPFireWireDataType", "FireWire"},       {"SPFibreChannelDataType", "FibreChannel"},
    {"SPEthernetDataType", "EtherNet"},
};

// Whether a profiler text shows at least one device of its type (a section header: a colon right
// before a line end; for Thunderbolt not one of its "nothing there" notes).
bool profilershowsdevice(const Text& text, const std::string& shortName);
// The short names of the interfaces present, joined by ", ".
std::string interfacelist();

// The host names of the two services: MIRADEX_PUBLIC_IP_HOST and MIRADEX_MODEL_HOST, or the
// defaults. "" switches that lookup off.
std::string publicaddresshost();
std::string modelnamehost();
// Network lookups end after this many seconds at most.
inline constexpr double LookupTimeLimit = 10;

// The machine's public internet address, or "".
std::string publicaddress();
// The text that goes after "cc=" in the model-name lookup: the serial number's last four
// characters (all of a shorter one), percent-encoded where not an ASCII letter or digit.
std::string serialquery(const std::string& serial);
// The model name between "<configCode>" and "</configCode>" of an answer, with the two
// abbreviations of the report; "" when the answer has none.
std::string modelnamefromanswer(const std::string& answer);
// The marketing name of the machine with that serial number, or "".
std::string lookupmodelname(const std::string& serial);

} // namespace mdx
