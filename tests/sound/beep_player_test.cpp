#include "support/testing.h"

#include "platform/sound/beep_player.h"

namespace mdx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Rate = std::array<std::uint8_t, 10>; // an 80-bit extended number

const std::string BeepFile = MIRADEX_BEEP_FILE;

Bytes readfile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void putchunk(Bytes& out, const char* tag, const Bytes& body) {
    out.insert(out.end(), tag, tag + 4);
    put(out, static_cast<std::uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 == 1) out.push_back(0);
}

// The pieces of a test file; each case changes one of them.
struct Recipe {
    const char *form = "FORM", *type = "AIFF";
    std::uint32_t channels = 1, frames = 2, bits = 16;
    Rate rate = {0x40, 0x0D, 0xAC, 0x44}; // 22050
    std::uint32_t commsize = 18, offset = 0;
    Bytes data = {0x12, 0x34, 0xFF, 0xFE};
    bool ssndfirst = false;
    Bytes extrachunk; // an odd-sized "NAME" chunk before the others when not empty
};

Bytes build(const Recipe& r) {
    Bytes comm, ssnd, form(r.type, r.type + 4), file;
    put(comm, r.channels, 2), put(comm, r.frames, 4), put(comm, r.bits, 2);
    comm.insert(comm.end(), r.rate.begin(), r.rate.end());
    comm.resize(r.commsize, 0);
    put(ssnd, r.offset, 4), put(ssnd, 0, 4);
    ssnd.insert(ssnd.end(), r.data.begin(), r.data.end());
    if (!r.extrachunk.empty()) putchunk(form, "NAME", r.extrachunk);
    if (r.ssndfirst) putchunk(form, "SSND", ssnd);
    putchunk(form, "COMM", comm);
    if (!r.ssndfirst) putchunk(form, "SSND", ssnd);
    putchunk(file, r.form, form);
    return file;
}

// The generated file: 0.15 s of 880 Hz, mono at 22050 Hz, exactly header, COMM and SSND, the
// FORM size covering the whole file; audible, never clipping, without clicks at either end.
TEST(GeneratedBeep, IsAShortQuietlyEndingMonoToneAt880Hz) {
    const Bytes file = readfile(BeepFile);
    std::optional<AiffSound> sound = parseaiff(file);
    ASSERT_TRUE(sound);
    EXPECT_EQ(std::tuple(sound->channels, sound->samplerate, sound->frames()),
              std::tuple(1, 22050, std::size_t{3308}));
    EXPECT_EQ(std::size_t((file[4] << 24) | (file[5] << 16) | (file[6] << 8) | file[7]),
              file.size() - 8);
    EXPECT_EQ(file.size(), 12 + 26 + 16 + 2 * sound->frames());

    const std::vector<std::int16_t>& s = sound->samples;
    int crossings = 0; // from below zero to zero or above, and back
    for (std::size_t i = 1; i < s.size(); ++i)
        crossings += (s[i - 1] < 0) != (s[i] < 0);
    EXPECT_NEAR(crossings, 2 * 880 * 0.15, 4); // two sign changes per period
    const auto [low, high] = std::minmax_element(s.begin(), s.end());
    const int peak = std::max(-*low, int{*high});
    EXPECT_TRUE(peak > 8000 && peak < 32000) << peak; // audible, never clipping
    EXPECT_TRUE(s.front() == 0 && std::abs(s.back()) < 100) << "a click at either end";
}

// Chunks in any order, an odd chunk's pad byte and the offset before the samples.
TEST(AiffParser, FindsChunksInAnyOrder) {
    Recipe r;
    r.ssndfirst = true, r.extrachunk = {'b', 'e', 'e'};
    r.offset = 2, r.data = {9, 9, 0x12, 0x34, 0xFF, 0xFE};
    EXPECT_EQ(parseaiff(build(r)).value_or(AiffSound{}).samples,
              (std::vector<std::int16_t>{0x1234, -2}));
}

// One row per condition the parser checks; the truncations below cover the chunks that end early
// and the files without COMM or SSND.
TEST(AiffParser, RefusesMalformedFiles) {
    // The rates: negative 22050 Hz, not a number, a billion, 11 Hz.
    // clang-format off
    void (*const changes[])(Recipe&) = {
        [](Recipe& r) { r.form = "RIFF"; }, [](Recipe& r) { r.type = "AIFC"; },
        [](Recipe& r) { r.channels = 0; }, [](Recipe& r) { r.channels = 9; },
        [](Recipe& r) { r.frames = 0; }, [](Recipe& r) { r.frames = 3; },
        [](Recipe& r) { r.bits = 0; }, [](Recipe& r) { r.bits = 33; },
        [](Recipe& r) { r.commsize = 17; }, [](Recipe& r) { r.offset = 1; },
        [](Recipe& r) { r.rate[0] |= 0x80; }, [](Recipe& r) { r.rate = {0x7F, 0xFF, 0xC0}; },
        [](Recipe& r) { r.rate[1] = 0x1C; }, [](Recipe& r) { r.rate[1] = 0x03; },
    };
    // clang-format on
    for (const auto& change : changes) {
        Recipe recipe;
        change(recipe);
        EXPECT_FALSE(parseaiff(build(recipe))) << &change - changes;
    }
    // COMM's size running past the end, and a FORM claiming less than its chunks need.
    Bytes damaged = build(Recipe{}), shortform = damaged;
    std::fill(damaged.begin() + 16, damaged.begin() + 20, 0xFF);
    shortform[7] = static_cast<std::uint8_t>(shortform[7] - 2);
    EXPECT_FALSE(parseaiff(damaged) || parseaiff(shortform));
}

// Every truncation is refused, and files that cannot be read give no sound.
TEST(AiffParser, RefusesTruncationsAndUnreadableFiles) {
    const Bytes file = readfile(BeepFile);
    ASSERT_TRUE(parseaiff(file));
    for (std::size_t length = 0; length < file.size(); ++length)
        ASSERT_FALSE(parseaiff(std::span(file.data(), length))) << length;
    EXPECT_FALSE(readaiff("/nonexistent/sysbeep.aif") ||
                 readaiff(std::filesystem::temp_directory_path().string()));
}

bool waituntilquiet() {
    for (int i = 0; i < 1000 && beepplaying(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !beepplaying();
}

// A missing sound or an output that cannot open gives false, silently (nothing for the batch
// log); ALSA's "null" device takes the sound, and is free again for the next one.
TEST(BeepPlayer, PlaysOnTheNullDeviceAndReportsOutputsThatFail) {
    EXPECT_FALSE(playbeepon("/nonexistent/sysbeep.aif", "null") || beepplaying());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(playbeepon(BeepFile, "hw:CARD=NoSuchMiradexCard"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(waituntilquiet());
    for (int round = 0; round < 2; ++round)
        EXPECT_TRUE(playbeepon(BeepFile, "null") && waituntilquiet()) << round;
}

} // namespace
} // namespace mdx
