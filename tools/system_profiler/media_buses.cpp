#include <algorithm>
#include <map>
#include <set>

#include "tools/system_profiler/buses.h"
#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {

namespace {

std::map<int, std::string> soundcardnames(const SysRoot& root) {
    std::map<int, std::string> names;
    auto text = root.read("/proc/asound/cards");
    if (!text) return names;
    for (const std::string& line : splitlines(*text)) {
        SoundCardName card = parsesoundcardline(line);
        if (card.number >= 0) names[card.number] = card.shortname;
    }
    return names;
}

bool rfkillblocked(const SysRoot& root, const std::string& dir) {
    for (const std::string& entry : root.list(dir))
        if (startswith(entry, "rfkill"))
            if (root.value(dir + "/" + entry + "/soft") == "1" ||
                root.value(dir + "/" + entry + "/hard") == "1")
                return true;
    return false;
}

bool hasrfkill(const SysRoot& root, const std::string& dir) {
    auto entries = root.list(dir);
    return std::any_of(entries.begin(), entries.end(),
                       [](const std::string& entry) { return startswith(entry, "rfkill"); });
}

bool isvideointerface(const SysRoot& root, const std::string& dir) {
    // USB video class (0e), video control subclass (01): one per camera.
    return root.value(dir + "/bInterfaceClass") == "0e" &&
           root.value(dir + "/bInterfaceSubClass") == "01";
}

Section camerasection(const Context& context, const std::string& path) {
    DeviceInfo device = describe(context, path);
    Section section(sectionname(productname(device), "Camera"));
    addidentity(section, device);
    return section;
}

// A card in an MMC host: the host's subdirectory "mmcN:RCA" with a type file.
struct MmcCard {
    std::string type; // "SD", "MMC", "SDIO", "SDcombo"
    std::string name;
};

std::vector<MmcCard> mmccards(const SysRoot& root, const std::string& hostdir) {
    std::vector<MmcCard> cards;
    std::string host = basename(hostdir);
    for (const std::string& entry : root.subdirectories(hostdir))
        if (startswith(entry, host + ":"))
            cards.push_back({root.value(hostdir + "/" + entry + "/type"),
                             root.value(hostdir + "/" + entry + "/name")});
    return cards;
}

// Soldered eMMC chips and SDIO radios sit on MMC hosts too; those hosts are no card readers.
bool isreader(const std::vector<MmcCard>& cards) {
    return std::none_of(cards.begin(), cards.end(), [](const MmcCard& card) {
        return card.type == "MMC" || card.type == "SDIO";
    });
}

} // namespace

SoundCardName parsesoundcardline(const std::string& line) {
    std::string text = trim(line);
    std::size_t bracket = text.find(" [");
    std::size_t dash = text.find(" - ");
    if (bracket == std::string::npos || dash == std::string::npos || dash < bracket) return {};
    auto number = parseunsigned(text.substr(0, bracket));
    if (!number || *number > 255) return {};
    return {static_cast<int>(*number), trim(text.substr(dash + 3))};
}

std::vector<Section> audiosections(const Context& context) {
    const SysRoot& root = context.root;
    std::map<int, std::string> names = soundcardnames(root);
    std::vector<Section> sections;
    for (const std::string& card : root.list("/sys/class/sound")) {
        auto number = parseunsigned(startswith(card, "card") ? card.substr(4) : "");
        if (!number) continue;
        std::string dir = "/sys/class/sound/" + card;
        std::string id = root.value(dir + "/id");
        std::string fallback = id.empty() ? "Sound Card " + std::to_string(*number) : id;
        auto named = names.find(static_cast<int>(*number));
        Section section(sectionname(named == names.end() ? "" : named->second, fallback));
        section.add("Card Number", std::to_string(*number));
        section.add("Card ID", id);
        addidentity(section, describe(context, dir + "/device"));
        sections.push_back(section);
    }
    return sections;
}

std::vector<Section> bluetoothsections(const Context& context) {
    const SysRoot& root = context.root;
    std::vector<Section> sections;
    for (const std::string& name : root.list("/sys/class/bluetooth")) {
        // Connections appear as "hci0:12"; only the controllers themselves count.
        if (!startswith(name, "hci") || name.find(':') != std::string::npos) continue;
        std::string dir = "/sys/class/bluetooth/" + name;
        Section section("Bluetooth Controller");
        section.add("Device Name", name);
        if (hasrfkill(root, dir)) section.add("State", rfkillblocked(root, dir) ? "Off" : "On");
        addidentity(section, describe(context, dir + "/device"));
        sections.push_back(section);
    }
    numberduplicates(sections);
    return sections;
}

std::vector<Section> camerasections(const Context& context) {
    const SysRoot& root = context.root;
    std::vector<Section> sections;
    std::set<std::string> cameras;
    for (const std::string& name : root.list("/sys/bus/usb/devices")) {
        std::string path = "/sys/bus/usb/devices/" + name;
        if (name.find(':') == std::string::npos || !isvideointerface(root, path)) continue;
        std::string device = parentpath(root.resolve(path));
        if (device == "/" || !cameras.insert(device).second) continue;
        sections.push_back(camerasection(context, path));
    }
    // The PCIe camera of some 2013-2015 laptops (14e4:1570) has no driver in the kernel, so it
    // is known by its identifiers alone.
    for (const std::string& name : root.list("/sys/bus/pci/devices")) {
        PciFunction function = readpci(root, "/sys/bus/pci/devices/" + name);
        if (function.valid && function.vendor == 0x14e4 && function.device == 0x1570)
            sections.push_back(camerasection(context, "/sys/bus/pci/devices/" + name));
    }
    return sections;
}

std::vector<Section> cardreadersections(const Context& context) {
    const SysRoot& root = context.root;
    std::vector<Section> sections;
    for (const std::string& host : root.list("/sys/class/mmc_host")) {
        std::string hostdir = root.resolve("/sys/class/mmc_host/" + host);
        std::vector<MmcCard> cards = mmccards(root, hostdir);
        if (hostdir.empty() || !isreader(cards)) continue;
        DeviceInfo controller = describe(context, parentpath(parentpath(hostdir)));
        Section section(sectionname(productname(controller), "SD Card Reader"));
        section.add("Host", host);
        addidentity(section, controller);
        for (const MmcCard& card : cards) {
            section.add("Card Type", card.type);
            section.add("Card Name", card.name);
        }
        sections.push_back(section);
    }
    numberduplicates(sections);
    return sections;
}

} // namespace mdx::sysprof
