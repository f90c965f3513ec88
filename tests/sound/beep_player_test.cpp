#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound/beep_player.h"

namespace mdx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Rate = std::array<std::uint8_t, 10>;

const std::string BeepFile = MIRADEX_BEEP_FILE;

// Sample rates as 80-bit extended numbers, written out by hand.
constexpr Rate Rate22050 = {0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
constexpr Rate Rate44100 = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
constexpr Rate Rate8000 = {0x40, 0x0B, 0xFA, 0x00, 0, 0, 0, 0, 0, 0};

Bytes readfile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void put32(Bytes& out, std::uint32_t value) {
    put16(out, value >> 16);
    put16(out, value & 0xFFFF);
}

void puttag(Bytes& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

void putchunk(Bytes& out, const char* tag, const Bytes& body) {
    puttag(out, tag);
    put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 == 1) out.push_back(0);
}

// The pieces of a test file; each case changes one of them.
struct Recipe {
    const char* form = "FORM";
    const char* type = "AIFF";
    std::uint32_t channels = 1;
    std::uint32_t frames = 2;
    std::uint32_t bits = 16;
    Rate rate = Rate22050;
    std::uint32_t commsize = 18;
    std::uint32_t offset = 0;
    Bytes data = {0x12, 0x34, 0xFF, 0xFE};
    bool comm = true;
    bool ssnd = true;
    bool ssndfirst = false;
    Bytes extrachunk; // an odd-sized "NAME" chunk before the others when not empty
};

Bytes commbody(const Recipe& r) {
    Bytes body;
    put16(body, r.channels);
    put32(body, r.frames);
    put16(body, r.bits);
    body.insert(body.end(), r.rate.begin(), r.rate.end());
    body.resize(r.commsize, 0);
    return body;
}

Bytes ssndbody(const Recipe& r) {
    Bytes body;
    put32(body, r.offset);
    put32(body, 0);
    body.insert(body.end(), r.data.begin(), r.data.end());
    return body;
}

Bytes build(const Recipe& r) {
    Bytes chunks;
    if (!r.extrachunk.empty()) putchunk(chunks, "NAME", r.extrachunk);
    if (r.ssnd && r.ssndfirst) putchunk(chunks, "SSND", ssndbody(r));
    if (r.comm) putchunk(chunks, "COMM", commbody(r));
    if (r.ssnd && !r.ssndfirst) putchunk(chunks, "SSND", ssndbody(r));
    Bytes file;
    puttag(file, r.form);
    put32(file, static_cast<std::uint32_t>(4 + chunks.size()));
    puttag(file, r.type);
    file.insert(file.end(), chunks.begin(), chunks.end());
    return file;
}

TEST(GeneratedBeep, IsShortMonoToneAt22050Hz) {
    Bytes file = readfile(BeepFile);
    ASSERT_GT(file.size(), 54u) << BeepFile;
    std::optional<AiffSound> sound = parseaiff(file);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->channels, 1);
    EXPECT_EQ(sound->samplerate, 22050);
    EXPECT_EQ(sound->frames(), 3308u); // 0.15 s
    // The FORM size covers the whole file, which holds exactly the header, COMM and SSND.
    const std::uint32_t formsize =
        (std::uint32_t{file[4]} << 24) | (file[5] << 16) | (file[6] << 8) | file[7];
    EXPECT_EQ(formsize, file.size() - 8);
    EXPECT_EQ(file.size(), 12 + 26 + 16 + 2 * sound->frames());
}

TEST(GeneratedBeep, Is880HzStartsAndEndsQuietlyAndDoesNotClip) {
    std::optional<AiffSound> sound = readaiff(BeepFile);
    ASSERT_TRUE(sound);
    const std::vector<std::int16_t>& s = sound->samples;
    int crossings = 0;
    int previous = 0;
    for (std::int16_t v : s) {
        if (v == 0) continue;
        const int sign = v > 0 ? 1 : -1;
        if (previous != 0 && sign != previous) ++crossings;
        previous = sign;
    }
    EXPECT_NEAR(crossings, 2 * 880 * 0.15, 4); // two sign changes per period
    const auto [low, high] = std::minmax_element(s.begin(), s.end());
    EXPECT_GT(std::max(-*low, int{*high}), 8000) << "loud enough to hear";
    EXPECT_LT(std::max(-*low, int{*high}), 32000) << "never clips";
    EXPECT_EQ(s.front(), 0) << "no click at the start";
    EXPECT_LT(std::abs(s.back()), 100) << "no click at the end";
}

TEST(AiffParser, ReadsSamplesOfEveryWidth) {
    struct Case {
        const char* name;
        Recipe recipe;
        int channels;
        int rate;
        std::vector<std::int16_t> samples;
    };
    Recipe eightbit;
    eightbit.channels = 2;
    eightbit.bits = 8;
    eightbit.rate = Rate8000;
    eightbit.data = {0x01, 0x80, 0x7F, 0xFF}; // two stereo frames
    Recipe twentyfour;
    twentyfour.bits = 24;
    twentyfour.rate = Rate44100;
    twentyfour.data = {0x12, 0x34, 0x56, 0x80, 0x00, 0x01};
    Recipe twelve; // narrower samples are left-justified in whole bytes
    twelve.bits = 12;
    twelve.data = {0x7F, 0xF0, 0x80, 0x00};
    const std::vector<Case> cases = {
        {"16-bit mono", Recipe{}, 1, 22050, {0x1234, -2}},
        {"8-bit stereo", eightbit, 2, 8000, {0x0100, -0x8000, 0x7F00, -0x0100}},
        {"24-bit mono", twentyfour, 1, 44100, {0x1234, -0x8000}},
        {"12-bit mono", twelve, 1, 22050, {0x7FF0, -0x8000}},
    };
    for (const Case& c : cases) {
        std::optional<AiffSound> sound = parseaiff(build(c.recipe));
        ASSERT_TRUE(sound) << c.name;
        EXPECT_EQ(sound->channels, c.channels) << c.name;
        EXPECT_EQ(sound->samplerate, c.rate) << c.name;
        EXPECT_EQ(sound->samples, c.samples) << c.name;
    }
}

TEST(AiffParser, FindsChunksInAnyOrderAndHonoursOffsetAndPadding) {
    Recipe reversed;
    reversed.ssndfirst = true;
    Recipe padded; // an odd chunk is followed by a pad byte that is not part of the next tag
    padded.extrachunk = {'b', 'e', 'e'};
    Recipe offset; // the samples start after four bytes of alignment
    offset.offset = 4;
    offset.data = {9, 9, 9, 9, 0x12, 0x34, 0xFF, 0xFE};
    Recipe longcomm; // a longer COMM than needed is fine
    longcomm.commsize = 22;
    Recipe extradata; // more sample data than the frame count asks for is ignored
    extradata.data = {0x12, 0x34, 0xFF, 0xFE, 0x55, 0x55};
    Bytes trailing = build(Recipe{});
    trailing.insert(trailing.end(), {'j', 'u', 'n', 'k', 0, 0, 0, 0}); // after the FORM
    for (const Bytes& file : {build(reversed), build(padded), build(offset), build(longcomm),
                              build(extradata), trailing}) {
        std::optional<AiffSound> sound = parseaiff(file);
        ASSERT_TRUE(sound);
        EXPECT_EQ(sound->samples, (std::vector<std::int16_t>{0x1234, -2}));
    }
}

TEST(AiffParser, RefusesMalformedFiles) {
    struct Case {
        const char* name;
        Recipe recipe;
    };
    auto with = [](auto change) {
        Recipe r;
        change(r);
        return r;
    };
    const std::vector<Case> cases = {
        {"RIFF container", with([](Recipe& r) { r.form = "RIFF"; })},
        {"compressed form type", with([](Recipe& r) { r.type = "AIFC"; })},
        {"no COMM", with([](Recipe& r) { r.comm = false; })},
        {"no SSND", with([](Recipe& r) { r.ssnd = false; })},
        {"short COMM", with([](Recipe& r) { r.commsize = 17; })},
        {"no channels", with([](Recipe& r) { r.channels = 0; })},
        {"negative channels", with([](Recipe& r) { r.channels = 0xFFFF; })},
        {"nine channels", with([](Recipe& r) { r.channels = 9; })},
        {"no frames", with([](Recipe& r) { r.frames = 0; })},
        {"frames beyond the data", with([](Recipe& r) { r.frames = 3; })},
        {"huge frame count", with([](Recipe& r) { r.frames = 0xFFFFFFFF; })},
        {"zero-bit samples", with([](Recipe& r) { r.bits = 0; })},
        {"33-bit samples", with([](Recipe& r) { r.bits = 33; })},
        {"negative sample size", with([](Recipe& r) { r.bits = 0xFFF0; })},
        {"rate zero", with([](Recipe& r) { r.rate = Rate{}; })},
        {"negative rate", with([](Recipe& r) { r.rate[0] |= 0x80; })},
        {"rate not a number", with([](Recipe& r) {
             r.rate = {0x7F, 0xFF, 0xC0};
         })},
        {"rate of a billion", with([](Recipe& r) { r.rate[1] = 0x1C; })},
        {"rate of 11 Hz", with([](Recipe& r) { r.rate[1] = 0x03; })},
        {"offset past the data", with([](Recipe& r) { r.offset = 1; })},
        {"offset of 4 GiB", with([](Recipe& r) { r.offset = 0xFFFFFFFF; })},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(parseaiff(build(c.recipe))) << c.name;
}

TEST(AiffParser, RefusesChunkSizesThatRunPastTheEnd) {
    Bytes file = build(Recipe{});
    const std::size_t commsize = 16; // offset of COMM's size field
    for (std::uint32_t size : {100u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        Bytes damaged = file;
        damaged[commsize] = static_cast<std::uint8_t>(size >> 24);
        damaged[commsize + 1] = static_cast<std::uint8_t>(size >> 16);
        damaged[commsize + 2] = static_cast<std::uint8_t>(size >> 8);
        damaged[commsize + 3] = static_cast<std::uint8_t>(size);
        EXPECT_FALSE(parseaiff(damaged)) << size;
    }
    Bytes shortform = file; // the FORM claims less than its chunks need
    shortform[7] = static_cast<std::uint8_t>(shortform[7] - 2);
    EXPECT_FALSE(parseaiff(shortform));
}

TEST(AiffParser, RefusesEveryTruncationOfTheBeep) {
    const Bytes file = readfile(BeepFile);
    ASSERT_TRUE(parseaiff(file));
    for (std::size_t length = 0; length < file.size(); ++length)
        ASSERT_FALSE(parseaiff(std::span(file.data(), length))) << length;
}

// Any value in any header byte gives a sound or none, never a crash or a read out of bounds
// (the sanitizer build watches).
TEST(AiffParser, SurvivesEveryValueInEveryHeaderByte) {
    const Bytes file = readfile(BeepFile);
    ASSERT_GT(file.size(), 64u);
    Bytes damaged = file;
    for (std::size_t at = 0; at < 64; ++at) {
        for (int value = 0; value < 256; ++value) {
            damaged[at] = static_cast<std::uint8_t>(value);
            std::optional<AiffSound> sound = parseaiff(damaged);
            if (sound) {
                EXPECT_LE(sound->samples.size(), file.size());
            }
        }
        damaged[at] = file[at];
    }
}

TEST(AiffParser, ReadsNothingFromMissingFilesOrDirectories) {
    EXPECT_FALSE(readaiff("/nonexistent/sysbeep.aif"));
    EXPECT_FALSE(readaiff(std::filesystem::temp_directory_path().string()));
    EXPECT_FALSE(readaiff(""));
}

bool waituntilquiet() {
    for (int i = 0; i < 1000 && beepplaying(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !beepplaying();
}

bool hassoundcard() {
    std::ifstream cards("/proc/asound/cards");
    std::string first;
    return std::getline(cards, first) && first.find("no soundcards") == std::string::npos;
}

TEST(BeepPlayer, NoUsableSoundGivesFalse) {
    EXPECT_FALSE(playbeepon("/nonexistent/sysbeep.aif", "null"));
    EXPECT_FALSE(beepplaying());
}

TEST(BeepPlayer, OutputThatCannotOpenGivesFalseSilently) {
    testing::internal::CaptureStderr();
    const bool played = playbeepon(BeepFile, "hw:CARD=NoSuchMiradexCard");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "nothing for the batch log";
    EXPECT_FALSE(played);
    EXPECT_TRUE(waituntilquiet());
}

TEST(BeepPlayer, DefaultOutputOnMachineWithoutSoundCardGivesFalse) {
    if (hassoundcard()) GTEST_SKIP() << "this machine has a sound card";
    testing::internal::CaptureStderr();
    const bool played = playbeep(BeepFile);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(played);
}

// ALSA's "null" device accepts a sound and discards it: the whole path from opening to closing
// runs, and the device is free again for the next sound.
TEST(BeepPlayer, PlaysOnTheNullDeviceAndFinishes) {
    ASSERT_TRUE(playbeepon(BeepFile, "null"));
    ASSERT_TRUE(waituntilquiet());
    EXPECT_TRUE(playbeepon(BeepFile, "null"));
    EXPECT_TRUE(waituntilquiet());
}

} // namespace
} // namespace mdx
