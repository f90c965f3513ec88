// beepgen: makes the program's warning sound at build time.
//
//   beepgen --out FILE.aif
//
// The sound is a short 880 Hz tone with a soft second harmonic, a quick attack and an
// exponential decay, written as 16-bit mono PCM at 22050 Hz in a plain AIFF file (FORM/AIFF with
// COMM and SSND chunks, every number big-endian).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int SampleRate = 22050;
constexpr double Seconds = 0.15;
constexpr double Pitch = 880.0;
constexpr double AttackSeconds = 0.004;
constexpr double DecaySeconds = 0.045;  // time for the level to fall to 1/e
constexpr double ReleaseSeconds = 0.01; // the last stretch fades to exact silence
constexpr double Level = 0.45;          // of full scale, leaving room for the harmonic
constexpr double HarmonicLevel = 0.15;

using Bytes = std::vector<std::uint8_t>;

double envelope(double t) {
    const double attack = std::min(1.0, t / AttackSeconds);
    const double release = std::min(1.0, (Seconds - t) / ReleaseSeconds);
    return attack * std::exp(-std::max(0.0, t - AttackSeconds) / DecaySeconds) * release;
}

std::vector<std::int16_t> maketone() {
    const int frames = static_cast<int>(std::lround(Seconds * SampleRate));
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double phase = 2 * std::numbers::pi * Pitch * t;
        const double wave = Level * std::sin(phase) + HarmonicLevel * std::sin(2 * phase);
        samples[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(std::lround(32767.0 * envelope(t) * wave));
    }
    return samples;
}

void put16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void put32(Bytes& out, std::uint32_t value) {
    put16(out, value >> 16);
    put16(out, value & 0xFFFF);
}

void puttag(Bytes& out, std::string_view tag) {
    out.insert(out.end(), tag.begin(), tag.end());
}

// A whole positive number as an 80-bit IEEE extended value: exponent biased by 16383, then the
// 64-bit mantissa with its leading one bit shifted to the top.
void putextended(Bytes& out, std::uint32_t value) {
    int top = 31;
    while ((value >> top) == 0)
        --top;
    put16(out, static_cast<std::uint32_t>(16383 + top));
    const std::uint64_t mantissa = std::uint64_t{value} << (63 - top);
    put32(out, static_cast<std::uint32_t>(mantissa >> 32));
    put32(out, static_cast<std::uint32_t>(mantissa & 0xFFFFFFFF));
}

Bytes makeaiff(const std::vector<std::int16_t>& samples) {
    const auto frames = static_cast<std::uint32_t>(samples.size());
    const std::uint32_t commsize = 18;
    const std::uint32_t ssndsize = 8 + 2 * frames; // always even: no pad byte
    Bytes out;
    puttag(out, "FORM");
    put32(out, 4 + (8 + commsize) + (8 + ssndsize));
    puttag(out, "AIFF");
    puttag(out, "COMM");
    put32(out, commsize);
    put16(out, 1); // channels
    put32(out, frames);
    put16(out, 16); // bits per sample
    putextended(out, SampleRate);
    puttag(out, "SSND");
    put32(out, ssndsize);
    put32(out, 0); // offset
    put32(out, 0); // block size
    for (std::int16_t sample : samples)
        put16(out, static_cast<std::uint16_t>(sample));
    return out;
}

bool writefile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::string_view(argv[1]) != "--out") {
        std::fputs("usage: beepgen --out FILE.aif\n", stderr);
        return 2;
    }
    if (!writefile(argv[2], makeaiff(maketone()))) {
        std::fprintf(stderr, "beepgen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
