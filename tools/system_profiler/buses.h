// The fifteen interface data types. Each gives one section per device of its kind, and no
// sections at all where the machine has no such hardware.
#pragma once

#include <string>
#include <vector>

#include "tools/system_profiler/devices.h"
#include "tools/system_profiler/output.h"

namespace mdx::sysprof {

// Multimedia and removable media (media_buses.cpp).
std::vector<Section> audiosections(const Context& context);      // ALSA sound cards
std::vector<Section> bluetoothsections(const Context& context);  // Bluetooth controllers
std::vector<Section> camerasections(const Context& context);     // USB video class cameras
std::vector<Section> cardreadersections(const Context& context); // SD/MMC hosts

// Storage controllers (storage_buses.cpp).
std::vector<Section> parallelatasections(const Context& context);  // ATA ports without SATA
std::vector<Section> serialatasections(const Context& context);    // SATA ports
std::vector<Section> parallelscsisections(const Context& context); // SCSI Parallel Interface
std::vector<Section> sassections(const Context& context);          // SAS hosts
std::vector<Section> fibrechannelsections(const Context& context); // Fibre Channel hosts

// Expansion buses and Ethernet (expansion_buses.cpp).
std::vector<Section> pcisections(const Context& context); // devices in physical PCI slots
std::vector<Section> spisections(const Context& context); // devices on SPI buses
std::vector<Section> thunderboltsections(const Context& context);
std::vector<Section> usbsections(const Context& context);
std::vector<Section> firewiresections(const Context& context);
std::vector<Section> ethernetsections(const Context& context); // wired Ethernet interfaces

// Line 1 of an ALSA card in /proc/asound/cards: " 0 [PCH            ]: HDA-Intel - HDA Intel PCH"
// gives card 0 with its short name "HDA Intel PCH". Other lines give nothing.
struct SoundCardName {
    int number = -1;
    std::string shortname;
};
SoundCardName parsesoundcardline(const std::string& line);

// A USB bus speed in Mb/s as sysfs writes it ("480", "5000") as text: "Up to 480 Mb/s",
// "Up to 5 Gb/s"; and the USB version that speed belongs to ("2.0", "3.0" ...).
std::string usbspeedtext(const std::string& speed);
std::string usbversion(const std::string& speed);

// The SCSI devices (disks, optical drives ...) below a SCSI host directory, one section each.
std::vector<Section> scsidevices(const SysRoot& root, const std::string& hostdir);

} // namespace mdx::sysprof
