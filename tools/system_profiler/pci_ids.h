// Names of PCI vendors, devices and classes from the pci.ids list that Debian ships in the
// package pci.ids (/usr/share/misc/pci.ids; other distributions keep it under hwdata).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mdx::sysprof {

class SysRoot;

class PciIds {
  public:
    // Looks the list up below the root; a copied tree without one falls back to the running
    // system's list. Read on first use.
    explicit PciIds(const SysRoot& root) : root_(&root) {}
    // A list given as text, for tests.
    explicit PciIds(std::string text) : root_(nullptr), text_(std::move(text)), loaded_(true) {}

    std::string vendor(std::uint32_t vendor) const;
    std::string device(std::uint32_t vendor, std::uint32_t device) const;
    // The name of a class's subclass ("VGA compatible controller"), else of the class.
    std::string classname(std::uint32_t classcode) const;

  private:
    const std::string& text() const;
    // The line following "\n" + head, or empty; searched between from and to.
    std::string_view findline(std::string_view head, std::size_t from, std::size_t to) const;
    // The end of the block of indented lines that follows the line at offset.
    std::size_t blockend(std::size_t offset) const;

    const SysRoot* root_;
    mutable std::string text_;
    mutable bool loaded_ = false;
};

// A vendor name without its company form: "Intel Corporation" gives "Intel", "Advanced Micro
// Devices, Inc. [AMD/ATI]" gives "AMD", "Dell Inc." gives "Dell".
std::string shortvendor(std::string_view name);
// A device or model name after its vendor's short name, unless the name already begins with the
// short or the full vendor name (compared without regard to case): "ASPEED Technology, Inc." and
// "ASPEED Graphics Family" give "ASPEED Graphics Family", "NVIDIA Corporation" and "GA102GL"
// give "NVIDIA GA102GL". The name alone when the vendor is empty; nothing for an empty name.
std::string withvendor(std::string_view vendor, const std::string& name);

} // namespace mdx::sysprof
