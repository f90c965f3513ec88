// The program's short warning sound: an uncompressed AIFF file from the bundle, played through
// ALSA on a thread of its own so that whoever beeps never waits for the sound card.
#pragma once

#include <cstddef>
#include <cstdint>
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

// Plays the sound in aiffPath on the ALSA device "default" and returns true at once. Returns
// false when the file is no usable sound or no audio output could be opened within a fraction
// of a second; the caller then sounds the system beep. While an earlier sound still plays, the
// call does nothing and returns true. The file is read on first use and kept.
bool playbeep(const std::string& aiffPath);

// As playbeep, on the named ALSA device ("null", "hw:0,0" ...).
bool playbeepon(const std::string& aiffPath, const std::string& device);

// True while a sound is being played (or an output is being opened for one).
bool beepplaying();

} // namespace mdx
