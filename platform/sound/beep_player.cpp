#include "platform/sound/beep_player.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>

#include "base/threads.h"

namespace mdx {
namespace {

using ByteSpan = std::span<const std::uint8_t>;

constexpr std::streamoff MaxFileSize = 16 << 20;
constexpr int MaxChannels = 8;
constexpr int MaxSampleBits = 32;
constexpr double MinSampleRate = 1000;
constexpr double MaxSampleRate = 768000;
constexpr std::size_t CommSize = 18;
constexpr std::size_t SsndHeaderSize = 8;

constexpr unsigned LatencyMicroseconds = 100000;
constexpr int MaxRecoveries = 8;

// ---- Reading AIFF -------------------------------------------------------------------------

std::uint32_t be16(ByteSpan bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 8) | bytes[at + 1];
}

std::uint32_t be32(ByteSpan bytes, std::size_t at) {
    return (be16(bytes, at) << 16) | be16(bytes, at + 2);
}

std::int16_t signed16(std::uint32_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

bool hastag(ByteSpan bytes, std::size_t at, const char* tag) {
    return std::equal(tag, tag + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

// The sample rate in COMM is an 80-bit IEEE extended number: sign bit, 15-bit exponent biased by
// 16383, and a 64-bit mantissa whose integer bit is stored.
double extended80(ByteSpan bytes, std::size_t at) {
    const int exponent = static_cast<int>(be16(bytes, at) & 0x7FFF);
    if (exponent == 0x7FFF) return std::numeric_limits<double>::quiet_NaN();
    const std::uint64_t mantissa = (std::uint64_t{be32(bytes, at + 2)} << 32) | be32(bytes, at + 6);
    const double magnitude = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    return (bytes[at] & 0x80) != 0 ? -magnitude : magnitude;
}

struct Chunk {
    std::size_t body = 0;
    std::size_t size = 0;
};

struct Chunks {
    std::optional<Chunk> comm;
    std::optional<Chunk> ssnd;
};

// Walks the chunks inside the FORM (bounded by the file's own end when the FORM claims more) and
// notes the first COMM and SSND. False when a chunk runs past the end.
bool findchunks(ByteSpan file, Chunks& found) {
    const std::size_t end = static_cast<std::size_t>(
        std::min<std::uint64_t>(file.size(), std::uint64_t{be32(file, 4)} + 8));
    std::size_t pos = 12;
    while (pos <= end && end - pos >= 8) {
        const std::size_t size = be32(file, pos + 4);
        const std::size_t body = pos + 8;
        if (size > end - body) return false;
        if (hastag(file, pos, "COMM") && !found.comm) found.comm = Chunk{body, size};
        if (hastag(file, pos, "SSND") && !found.ssnd) found.ssnd = Chunk{body, size};
        pos = body + size + (size & 1); // chunks start on even offsets
    }
    return true;
}

struct Format {
    int channels = 0;
    std::size_t frames = 0;
    int bits = 0;
    double rate = 0;

    std::size_t bytespersample() const { return static_cast<std::size_t>((bits + 7) / 8); }
};

std::optional<Format> readcomm(ByteSpan file, Chunk comm) {
    if (comm.size < CommSize) return std::nullopt;
    Format format;
    format.channels = signed16(be16(file, comm.body));
    format.frames = be32(file, comm.body + 2);
    format.bits = signed16(be16(file, comm.body + 6));
    format.rate = extended80(file, comm.body + 8);
    const bool usable = format.channels >= 1 && format.channels <= MaxChannels &&
                        format.frames > 0 && format.bits >= 1 && format.bits <= MaxSampleBits &&
                        format.rate >= MinSampleRate && format.rate <= MaxSampleRate;
    if (!usable) return std::nullopt; // a NaN rate fails the comparisons too
    return format;
}

// Samples are big-endian, signed and left-justified; the top 16 bits are kept.
std::int16_t readsample(ByteSpan file, std::size_t at, std::size_t width) {
    if (width == 1) return signed16(std::uint32_t{file[at]} << 8);
    return signed16(be16(file, at));
}

std::optional<AiffSound> readssnd(ByteSpan file, Chunk ssnd, const Format& format) {
    if (ssnd.size < SsndHeaderSize) return std::nullopt;
    const std::size_t offset = be32(file, ssnd.body);
    if (offset > ssnd.size - SsndHeaderSize) return std::nullopt;
    const std::size_t width = format.bytespersample();
    const std::size_t count = format.frames * static_cast<std::size_t>(format.channels);
    if (count > (ssnd.size - SsndHeaderSize - offset) / width) return std::nullopt;

    AiffSound sound;
    sound.channels = format.channels;
    sound.samplerate = static_cast<int>(std::lround(format.rate));
    sound.samples.reserve(count);
    const std::size_t start = ssnd.body + SsndHeaderSize + offset;
    for (std::size_t i = 0; i < count; ++i)
        sound.samples.push_back(readsample(file, start + i * width, width));
    return sound;
}

// ---- Playing ------------------------------------------------------------------------------

// ALSA writes its complaints ("cannot find card '0'") to standard error, where the program's log
// lines go in batch mode. A missing sound card is not worth a word there: the caller beeps
// another way.
void quietalsa(const char*, int, const char*, int, const char*, ...) {}

// One bell handed to the player.
struct Bell {
    std::string soundpath;
    std::string device;
    std::function<void()> fallback;
};

// The one player: a thread made on the first bell that waits for the next one. While it is busy
// with a bell (reading, opening, playing or falling back), further bells are dropped, so that a
// flood of bells costs neither threads nor time.
struct Player {
    std::mutex mutex;
    std::condition_variable wake;
    bool started = false;  // the player thread exists
    bool nothread = false; // it could not be made; bells go straight to their fallback
    bool busy = false;     // a bell is waiting for the thread or being rung by it
    std::optional<Bell> next;
    // Touched by the player thread only.
    std::string soundpath;
    std::shared_ptr<const AiffSound> sound;
};

// Never destroyed: the player thread outlives main().
Player& player() {
    static Player* const instance = new Player;
    return *instance;
}

std::shared_ptr<const AiffSound> loadsound(Player& state, const std::string& path) {
    if (state.sound && state.soundpath == path) return state.sound;
    std::optional<AiffSound> sound = readaiff(path);
    if (!sound) return nullptr;
    state.soundpath = path;
    state.sound = std::make_shared<const AiffSound>(std::move(*sound));
    return state.sound;
}

// Opens without blocking, so that a busy device fails instead of waiting, then switches to
// blocking writes.
snd_pcm_t* openoutput(const std::string& device, const AiffSound& sound) {
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return nullptr;
    const bool ready =
        snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                           static_cast<unsigned>(sound.channels),
                           static_cast<unsigned>(sound.samplerate), 1, LatencyMicroseconds) >= 0 &&
        snd_pcm_nonblock(pcm, 0) >= 0;
    if (ready) return pcm;
    snd_pcm_close(pcm);
    return nullptr;
}

void writeall(snd_pcm_t* pcm, const AiffSound& sound) {
    const std::int16_t* next = sound.samples.data();
    auto left = static_cast<snd_pcm_uframes_t>(sound.frames());
    int recoveries = 0;
    while (left > 0) {
        snd_pcm_sframes_t written = snd_pcm_writei(pcm, next, left);
        if (written < 0) {
            if (++recoveries > MaxRecoveries) return;
            if (snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0) return;
            continue;
        }
        next += written * sound.channels;
        left -= static_cast<snd_pcm_uframes_t>(written);
    }
    snd_pcm_drain(pcm);
}

// Plays the bell's sound to its end; false when there is no sound or no output to play it on.
bool play(Player& state, const Bell& bell) {
    const std::shared_ptr<const AiffSound> sound = loadsound(state, bell.soundpath);
    if (!sound) return false;
    snd_pcm_t* pcm = openoutput(bell.device, *sound);
    if (pcm == nullptr) return false;
    writeall(pcm, *sound);
    snd_pcm_close(pcm); // closed before the player is free, so the next bell finds it free
    return true;
}

Bell takebell(Player& state) {
    std::unique_lock lock(state.mutex);
    state.wake.wait(lock, [&state] { return state.next.has_value(); });
    Bell bell = std::move(*state.next);
    state.next.reset();
    return bell;
}

void playerloop() {
    setthreadname("beep");
    Player& state = player();
    for (;;) {
        const Bell bell = takebell(state);
        if (!play(state, bell) && bell.fallback) bell.fallback();
        std::lock_guard lock(state.mutex);
        state.busy = false;
    }
}

void silencealsa() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(quietalsa); });
}

} // namespace

std::optional<AiffSound> parseaiff(std::span<const std::uint8_t> file) {
    if (file.size() < 12 || !hastag(file, 0, "FORM") || !hastag(file, 8, "AIFF"))
        return std::nullopt;
    Chunks chunks;
    if (!findchunks(file, chunks) || !chunks.comm || !chunks.ssnd) return std::nullopt;
    std::optional<Format> format = readcomm(file, *chunks.comm);
    if (!format) return std::nullopt;
    return readssnd(file, *chunks.ssnd, *format);
}

std::optional<AiffSound> readaiff(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0 || size > MaxFileSize) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (!in || in.gcount() != size) return std::nullopt;
    return parseaiff(bytes);
}

void ringbell(const std::string& aiffPath, std::function<void()> fallback) {
    ringbellon(aiffPath, "default", std::move(fallback));
}

void ringbellon(const std::string& aiffPath, const std::string& device,
                std::function<void()> fallback) {
    silencealsa();
    Player& state = player();
    std::unique_lock lock(state.mutex);
    if (state.busy) return;
    if (!state.started && !state.nothread) {
        state.started = t_StartAsync(playerloop); // logs when no thread can be made
        state.nothread = !state.started;
    }
    if (state.nothread) {
        lock.unlock();
        if (fallback) fallback();
        return;
    }
    state.busy = true;
    state.next = Bell{aiffPath, device, std::move(fallback)};
    state.wake.notify_one();
}

bool bellringing() {
    Player& state = player();
    std::lock_guard lock(state.mutex);
    return state.busy;
}

} // namespace mdx
