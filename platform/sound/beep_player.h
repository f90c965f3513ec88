// The program's short warning sound: an uncompressed AIFF file from the bundle, played through
// ALSA by one player thread so that whoever beeps never waits for the sound card, and a flood
// of bells costs no more than one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mdx {

// A sound as read from an AIFF file, with every sample widened or narrowed to 16 bits.
struct AiffSound {
    int channels = 0;
    int samplerate = 0;                // frames per second, rounded to a whole number
    std::vector<std::int16_t> samples; // channels * frames values, frame after frame

    std::size_t frames() const {
        return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0;
    }
};

// Reads the COMM and SSND chunks of an AIFF file. Anything that is not a whole, playable,
// uncompressed sound (wrong tags, chunks running past the end, unusual channel counts, sample
// sizes or rates, no frames at all) gives no sound.
std::optional<AiffSound> parseaiff(std::span<const std::uint8_t> file);

// Reads and parses a file; files larger than a few megabytes are not sounds of ours.
std::optional<AiffSound> readaiff(const std::string& path);

// Hands a bell to the player and returns at once. The player thread, made on the first bell,
// plays the sound in aiffPath on the ALSA device "default"; when the file is no usable sound or
// no output opens, it calls fallback instead (the caller's system beep). A bell that comes while
// the player is busy with one is dropped. When no player thread can be made (a log line says
// so), every bell calls fallback on the caller's thread. The file is read on first use and kept.
void ringbell(const std::string& aiffPath, std::function<void()> fallback);

// As ringbell, on the named ALSA device ("null", "hw:0,0" ...).
void ringbellon(const std::string& aiffPath, const std::string& device,
                std::function<void()> fallback);

// True while the player is busy with a bell.
bool bellringing();

} // namespace mdx
