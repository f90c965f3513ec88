#include "tools/system_profiler/network.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <functional>
#include <ifaddrs.h>
#include <iterator>
#include <net/if.h>
#include <unordered_set>

#include "tools/system_profiler/text_util.h"

namespace mdx::sysprof {

namespace {

constexpr unsigned RouteUp = 0x1;
constexpr unsigned RouteGateway = 0x2;
constexpr unsigned ArpComplete = 0x2;
constexpr unsigned InterfaceUp = 0x1;
constexpr unsigned InterfaceLoopback = 0x8;
constexpr int TypeEthernet = 1;
constexpr int TypeLoopback = 772;
// The route, neighbour and fib_trie lists are read up to this size.
constexpr std::size_t ListLimit = 4 * 1024 * 1024;

std::optional<Ipv4> routeaddress(const std::string& hex) {
    if (hex.size() != 8) return {};
    auto value = parsehex(hex);
    if (!value) return {};
    auto native = static_cast<std::uint32_t>(*value);
    unsigned char bytes[4];
    std::memcpy(bytes, &native, 4);
    return Ipv4{bytes[0]} << 24 | Ipv4{bytes[1]} << 16 | Ipv4{bytes[2]} << 8 | bytes[3];
}

std::string devtype(const SysRoot& root, const std::string& dir) {
    auto text = root.read(dir + "/uevent");
    if (!text) return {};
    for (const std::string& line : splitlines(*text))
        if (startswith(line, "DEVTYPE=")) return trim(line.substr(8));
    return {};
}

struct Interface {
    std::string name;
    std::string kind;
    std::string hardware;
    std::string mac;
    bool up = false;
    std::string operstate;
};

std::string ethernetkind(const SysRoot& root, const std::string& dir) {
    std::string type = devtype(root, dir);
    if (root.exists(dir + "/wireless") || root.exists(dir + "/phy80211") || type == "wlan")
        return "Wi-Fi";
    if (root.exists(dir + "/bridge")) return "Bridge";
    if (root.exists(dir + "/bonding")) return "Bond";
    if (type == "vlan") return "VLAN";
    if (root.exists(dir + "/device")) return "Ethernet";
    if (root.exists(dir + "/tun_flags")) return "VPN";
    return "Virtual Ethernet";
}

std::string linkkind(int type) {
    switch (type) {
    case 32: return "InfiniBand";
    case 280: return "CAN";
    case 512: return "PPP";
    case 768:
    case 769:
    case 776:
    case 778: return "Tunnel";
    case 65534: return "VPN";
    default: return "Other";
    }
}

Interface readinterface(const SysRoot& root, const std::string& name) {
    std::string dir = "/sys/class/net/" + name;
    Interface interface;
    interface.name = name;
    int type = static_cast<int>(parseunsigned(root.value(dir + "/type")).value_or(0));
    unsigned flags = static_cast<unsigned>(parsehex(root.value(dir + "/flags")).value_or(0));
    interface.up =
        (flags & InterfaceUp) != 0 && (flags & InterfaceLoopback) == 0 && type != TypeLoopback;
    interface.operstate = root.value(dir + "/operstate");
    interface.kind = type == TypeEthernet ? ethernetkind(root, dir) : linkkind(type);
    bool physical = root.exists(dir + "/device");
    interface.hardware = !physical                   ? "Virtual"
                         : interface.kind == "Wi-Fi" ? "Wi-Fi"
                         : type == TypeEthernet      ? "Ethernet"
                                                     : interface.kind;
    std::string mac = root.value(dir + "/address");
    if (type == TypeEthernet && mac != "00:00:00:00:00:00") interface.mac = mac;
    return interface;
}

bool isactive(const Interface& interface, bool hasaddress) {
    if (!interface.up) return false;
    return interface.operstate == "up" || (interface.operstate == "unknown" && hasaddress);
}

std::map<std::string, std::vector<Ipv4>> liveaddresses() {
    std::map<std::string, std::vector<Ipv4>> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return addresses;
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        sockaddr_in address{};
        std::memcpy(&address, entry->ifa_addr, sizeof address);
        addresses[entry->ifa_name].push_back(ntohl(address.sin_addr.s_addr));
    }
    freeifaddrs(list);
    return addresses;
}

// The live system's addresses come from the kernel through getifaddrs; a copied tree cannot
// hold those, so there the local addresses of /proc/net/fib_trie are matched to the routes.
std::map<std::string, std::vector<Ipv4>> interfaceaddresses(const SysRoot& root,
                                                            const std::vector<Route>& routes) {
    if (root.islive()) return liveaddresses();
    auto trie = root.read("/proc/net/fib_trie", ListLimit);
    return addressesbyinterface(trie ? parsefibtrie(*trie) : std::vector<Ipv4>{}, routes);
}

std::string joinaddresses(const std::vector<Ipv4>& addresses) {
    std::string text;
    for (Ipv4 address : addresses)
        text += (text.empty() ? "" : ", ") + ipv4text(address);
    return text;
}

bool isprefixmask(Ipv4 mask) {
    return mask != 0 && (~mask & (~mask + 1)) == 0; // the zeros below the ones, nothing else
}

// The masks of the addresses, in their order; empty unless every address has one.
std::string joinmasks(const std::vector<Ipv4>& addresses, const std::string& interface,
                      const OnLinkRoutes& onlink) {
    std::vector<Ipv4> masks;
    for (Ipv4 address : addresses) {
        const Route* route = onlink.holding(address, &interface);
        if (route == nullptr) return {};
        masks.push_back(route->mask);
    }
    return joinaddresses(masks);
}

// The default route through one interface: each service shows its own router.
std::optional<Route> interfacerouter(const std::vector<Route>& routes, const std::string& name) {
    std::vector<Route> own;
    std::copy_if(routes.begin(), routes.end(), std::back_inserter(own),
                 [&](const Route& route) { return route.interface == name; });
    return defaultroute(own);
}

// The IPv4 group of a service: its addresses and masks, its router and whether the router
// answers in the neighbour table.
// What the sections of all interfaces look up in: the tables are read once, not per interface.
struct NetworkTables {
    std::vector<Route> routes;
    OnLinkRoutes onlink{routes};
    std::vector<Neighbour> neighbours;
};

Section ipv4group(const std::string& name, const std::vector<Ipv4>& own,
                  const NetworkTables& tables) {
    Section group("IPv4");
    std::optional<Route> router = interfacerouter(tables.routes, name);
    if (own.empty() && !router) return group;
    group.add("Addresses", joinaddresses(own));
    if (router)
        if (auto neighbour = resolvedneighbour(tables.neighbours, router->gateway, name)) {
            group.add("ARPResolvedHardwareAddress", neighbour->hardware);
            group.add("ARPResolvedIPAddress", ipv4text(neighbour->address));
        }
    group.add("Interface Name", name);
    if (router) group.add("Router", ipv4text(router->gateway));
    group.add("Subnet Masks", joinmasks(own, name, tables.onlink));
    return group;
}

} // namespace

std::string ipv4text(Ipv4 address) {
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::optional<Ipv4> parseipv4(const std::string& text) {
    Ipv4 address = 0;
    std::size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        std::size_t end = part < 3 ? text.find('.', start) : text.size();
        if (end == std::string::npos || end == start || end - start > 3) return {};
        auto octet = parseunsigned(text.substr(start, end - start));
        if (!octet || *octet > 255) return {};
        address = address << 8 | static_cast<Ipv4>(*octet);
        start = end + 1;
    }
    return address;
}

std::vector<Route> parseroutes(const std::string& text) {
    std::vector<Route> routes;
    for (const std::string& line : splitlines(text)) {
        auto words = splitwords(line);
        if (words.size() < 8 || words[0] == "Iface") continue;
        auto destination = routeaddress(words[1]);
        auto gateway = routeaddress(words[2]);
        auto flags = parsehex(words[3]);
        auto metric = parseunsigned(words[6]);
        auto mask = routeaddress(words[7]);
        if (!destination || !gateway || !flags || !metric || !mask || !printable(words[0]))
            continue;
        routes.push_back(
            {words[0], *destination, *gateway, static_cast<unsigned>(*flags), *metric, *mask});
    }
    return routes;
}

std::optional<Route> defaultroute(const std::vector<Route>& routes) {
    std::optional<Route> best;
    for (const Route& route : routes) {
        bool usable = route.destination == 0 && route.mask == 0 && (route.flags & RouteUp) &&
                      (route.flags & RouteGateway) && route.gateway != 0;
        if (usable && (!best || route.metric < best->metric)) best = route;
    }
    return best;
}

std::vector<Neighbour> parsearp(const std::string& text) {
    std::vector<Neighbour> table;
    for (const std::string& line : splitlines(text)) {
        auto words = splitwords(line);
        if (words.size() < 6) continue;
        auto address = parseipv4(words[0]);
        auto flags = parsehex(words[2]);
        if (!address || !flags) continue;
        table.push_back({*address, static_cast<unsigned>(*flags), words[3], words[5]});
    }
    return table;
}

std::optional<Neighbour> resolvedneighbour(const std::vector<Neighbour>& table, Ipv4 address,
                                           const std::string& interface) {
    for (const Neighbour& entry : table)
        if (entry.address == address && entry.interface == interface &&
            (entry.flags & ArpComplete) != 0)
            return entry;
    return {};
}

OnLinkRoutes::OnLinkRoutes(const std::vector<Route>& routes) {
    for (const Route& route : routes) {
        if ((route.flags & RouteGateway) != 0 || !isprefixmask(route.mask)) continue;
        const Ipv4 network = route.destination & route.mask;
        bynetwork_.emplace(std::pair(route.mask, network), &route);
        byinterface_.emplace(std::tuple(route.mask, network, route.interface), &route);
        if (std::find(masks_.begin(), masks_.end(), route.mask) == masks_.end())
            masks_.push_back(route.mask);
    }
    std::sort(masks_.begin(), masks_.end(), std::greater<>());
}

const Route* OnLinkRoutes::holding(Ipv4 address, const std::string* interface) const {
    for (Ipv4 mask : masks_) {
        if (interface == nullptr) {
            auto found = bynetwork_.find(std::pair(mask, address & mask));
            if (found != bynetwork_.end()) return found->second;
        } else {
            auto found = byinterface_.find(std::tuple(mask, address & mask, *interface));
            if (found != byinterface_.end()) return found->second;
        }
    }
    return nullptr;
}

std::vector<Ipv4> parsefibtrie(const std::string& text) {
    std::vector<Ipv4> locals;
    std::unordered_set<Ipv4> seen;
    std::optional<Ipv4> current;
    for (const std::string& line : splitlines(text)) {
        std::string clean = trim(line);
        if (startswith(clean, "|-- ")) {
            current = parseipv4(clean.substr(4));
        } else if (current && startswith(clean, "/32 host LOCAL")) {
            bool loopback = (*current >> 24) == 127;
            if (!loopback && seen.insert(*current).second) locals.push_back(*current);
        }
    }
    return locals;
}

std::map<std::string, std::vector<Ipv4>> addressesbyinterface(const std::vector<Ipv4>& locals,
                                                              const std::vector<Route>& routes) {
    std::map<std::string, std::vector<Ipv4>> byinterface;
    const OnLinkRoutes onlink(routes);
    for (Ipv4 address : locals)
        if (const Route* best = onlink.holding(address))
            byinterface[best->interface].push_back(address);
    return byinterface;
}

std::optional<Ipv4> subnetmask(Ipv4 address, const std::string& interface,
                               const std::vector<Route>& routes) {
    const Route* best = OnLinkRoutes(routes).holding(address, &interface);
    if (best == nullptr) return {};
    return best->mask;
}

std::vector<Section> networksections(const Context& context) {
    const SysRoot& root = context.root;
    NetworkTables tables;
    if (auto text = root.read("/proc/net/route", ListLimit)) tables.routes = parseroutes(*text);
    tables.onlink = OnLinkRoutes(tables.routes);
    if (auto text = root.read("/proc/net/arp", ListLimit)) tables.neighbours = parsearp(*text);
    std::optional<Route> router = defaultroute(tables.routes);
    auto addresses = interfaceaddresses(root, tables.routes);
    std::vector<std::string> names = root.list("/sys/class/net");
    if (router) {
        auto found = std::find(names.begin(), names.end(), router->interface);
        if (found != names.end()) std::rotate(names.begin(), found, found + 1);
    }
    std::vector<Section> sections;
    for (const std::string& name : names) {
        Interface interface = readinterface(root, name);
        const std::vector<Ipv4>& own = addresses[name];
        if (!printable(name) || !isactive(interface, !own.empty())) continue;
        Section section(interface.kind);
        section.add("Type", interface.kind);
        section.add("Hardware", interface.hardware);
        section.add("BSD Device Name", name);
        section.add("IPv4 Addresses", joinaddresses(own));
        section.groups.push_back(ipv4group(name, own, tables));
        Section ethernet("Ethernet");
        ethernet.add("MAC Address", interface.mac);
        section.groups.push_back(ethernet);
        sections.push_back(section);
    }
    numberduplicates(sections);
    return sections;
}

} // namespace mdx::sysprof
