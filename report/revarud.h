// Revarud Erur files, written by the classic edition of the program: a system file of 25 text
// slots and a SCSI file of four text fields per SCSI address, told apart by their exact size.
#pragma once

#include <array>
#include <string>

#include "base/kwtools.h"

namespace mdx {

inline constexpr std::size_t RevarudSlotSize = 256;
inline constexpr std::size_t RevarudSystemSize = 6400;
inline constexpr std::size_t RevarudScsiSize = 8192;
inline constexpr std::size_t RevarudSystemSlots = 25;
inline constexpr std::size_t ScsiAddresses = 8;

// Slot texts are bytes, each the character of the same code point (ISO 8859-1).
using RevarudSlots = std::array<Text, RevarudSystemSlots>;

struct ScsiDevice {
    Text Type;
    Text Vendor;
    Text Product;
    Text Version;
};
using ScsiDevices = std::array<ScsiDevice, ScsiAddresses>;

// The slot at `offset`: its length byte and that many characters, cut at the end of the file.
Text revarudslot(const Bytes& file, std::size_t offset);
// The system file's slots; those above the count that slot 0 names stay empty.
RevarudSlots revarudsystemslots(const Bytes& file);
ScsiDevices revarudscsidevices(const Bytes& file);
// One row of the SCSI table, 81 characters: address, type, vendor, product and version columns,
// with the known device names and the coded scanner vendor resolved.
Text scsirow(Int address, const ScsiDevice& device);

// Latin-1 bytes as UTF-8, for the log.
std::string latin1toutf8(const Text& text);

// Shows the file in the report window: a system file, a SCSI file, or for any other size the
// message that the file is none.
void showrevarudfile(const std::string& path);
// Imports a Revarud Erur file chosen in the import panel, whatever its size.
void importrevarud(const std::string& path);
// The imports of the two Revarud Erur file sizes, for documents handed to the program.
void importrevarud6400(const std::string& path);
void importrevarud8192(const std::string& path);

} // namespace mdx
