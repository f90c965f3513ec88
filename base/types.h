// Basic value types shared by every layer of the screen runtime.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

namespace mdx {

using Int = std::int64_t;
using UInt8 = std::uint8_t;
using Bytes = std::vector<UInt8>;

// Window numbers that are not graphic windows.
inline constexpr UInt8 PasteboardWindowNumber = 8;
inline constexpr UInt8 VirtualPrinterWindowNumber = 9;
inline constexpr UInt8 SystemConsoleWindowNumber = 10;
inline constexpr UInt8 PreferencesWindowNumber = 11;
inline constexpr UInt8 MainWindowNumber = 12;
inline constexpr UInt8 NoWindow = 255;

// An opaque reference to a window-layer object (a window or a view); 0 means none.
struct Handle {
    std::uintptr_t value = 0;
    explicit operator bool() const { return value != 0; }
    bool operator==(const Handle&) const = default;
};

struct t_RGBColor {
    UInt8 Alpha = 255;
    UInt8 Red = 0;
    UInt8 Green = 0;
    UInt8 Blue = 0;
    bool operator==(const t_RGBColor&) const = default;
};

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const Rect&) const = default;
};

// A field that several threads read and write as a whole. It behaves like a plain value (copy,
// assign, compare) but every access is atomic, so reads are never torn, and a flag set after
// other data was written (MemoryInitialized, Initialized) publishes that data to its readers.
template <class T>
class Shared {
  public:
    Shared(T value = T{}) : value_(value) {}
    Shared(const Shared& other) : value_(other.load()) {}
    Shared& operator=(const Shared& other) {
        store(other.load());
        return *this;
    }
    Shared& operator=(T value) {
        store(value);
        return *this;
    }
    operator T() const { return load(); }
    T load() const { return value_.load(); }
    void store(T value) { value_.store(value); }
    // Stores value and returns the previous one in one step, so only one thread can see the
    // old value (the start of a one-time job).
    T exchange(T value) { return value_.exchange(value); }

  private:
    std::atomic<T> value_;
};

} // namespace mdx
