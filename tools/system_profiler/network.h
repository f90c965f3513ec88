// Active network interfaces with their IPv4 addresses, the default router and whether the
// router answers in the neighbour (ARP) table.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tools/system_profiler/devices.h"
#include "tools/system_profiler/output.h"

namespace mdx::sysprof {

// IPv4 addresses as numbers, first octet highest: 192.168.2.1 is 0xC0A80201.
using Ipv4 = std::uint32_t;
std::string ipv4text(Ipv4 address);
std::optional<Ipv4> parseipv4(const std::string& text);

// One line of /proc/net/route.
struct Route {
    std::string interface;
    Ipv4 destination = 0;
    Ipv4 gateway = 0;
    unsigned flags = 0;
    std::uint64_t metric = 0;
    Ipv4 mask = 0;
};
// /proc/net/route writes each address as the hexadecimal of its four bytes read as one
// native-order number; damaged lines are skipped.
std::vector<Route> parseroutes(const std::string& text);
// The usable default route with the lowest metric.
std::optional<Route> defaultroute(const std::vector<Route>& routes);

struct Neighbour {
    Ipv4 address = 0;
    unsigned flags = 0;
    std::string hardware;
    std::string interface;
};
std::vector<Neighbour> parsearp(const std::string& text);
// The neighbour entry of an address on an interface when it is complete.
std::optional<Neighbour> resolvedneighbour(const std::vector<Neighbour>& table, Ipv4 address,
                                           const std::string& interface);

// The on-link routes (no gateway, a network mask) of a route table, indexed by prefix so that
// finding the one that holds an address does not walk the whole table: a table of thousands
// of routes with thousands of addresses stays quick. Masks that are no prefix (which the
// kernel never writes) hold nothing. The routes must outlive the index.
class OnLinkRoutes {
  public:
    explicit OnLinkRoutes(const std::vector<Route>& routes);
    // The route that holds the address (of the interface, when one is named), the longest
    // prefix winning and the first in the table among equals; null when none does.
    const Route* holding(Ipv4 address, const std::string* interface = nullptr) const;

  private:
    std::vector<Ipv4> masks_; // the masks in use, longest first
    std::map<std::pair<Ipv4, Ipv4>, const Route*> bynetwork_;
    std::map<std::tuple<Ipv4, Ipv4, std::string>, const Route*> byinterface_;
};

// The local addresses that /proc/net/fib_trie lists ("/32 host LOCAL"), loopback left out.
std::vector<Ipv4> parsefibtrie(const std::string& text);
// Gives every local address to the interface whose on-link route holds it (the longest prefix
// wins); addresses no route holds are left out.
std::map<std::string, std::vector<Ipv4>> addressesbyinterface(const std::vector<Ipv4>& locals,
                                                              const std::vector<Route>& routes);
// The mask of the interface's on-link route that holds the address (the longest prefix); none
// when no route of that interface holds it.
std::optional<Ipv4> subnetmask(Ipv4 address, const std::string& interface,
                               const std::vector<Route>& routes);

std::vector<Section> networksections(const Context& context);

} // namespace mdx::sysprof
