#include "support/testing.h"

#include <unistd.h>

#include "platform/sound/beep_player.h"

namespace mdx {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string BeepFile = MIRADEX_BEEP_FILE;

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
    std::array<std::uint8_t, 10> rate = {0x40, 0x0D, 0xAC, 0x44}; // 80-bit extended: 22050
    std::uint32_t commsize = 18, offset = 0;
    Bytes data = {0x12, 0x34, 0xFF, 0xFE};
    bool ssndfirst = false;
    const char* extratag = "NAME";
    Bytes extrachunk; // a chunk before the others when not empty
};

Bytes build(const Recipe& r) {
    Bytes comm, ssnd, form(r.type, r.type + 4), file;
    put(comm, r.channels, 2), put(comm, r.frames, 4), put(comm, r.bits, 2);
    comm.insert(comm.end(), r.rate.begin(), r.rate.end()), comm.resize(r.commsize, 0);
    put(ssnd, r.offset, 4), put(ssnd, 0, 4), ssnd.insert(ssnd.end(), r.data.begin(), r.data.end());
    if (!r.extrachunk.empty()) putchunk(form, r.extratag, r.extrachunk);
    if (r.ssndfirst) putchunk(form, "SSND", ssnd);
    putchunk(form, "COMM", comm);
    if (!r.ssndfirst) putchunk(form, "SSND", ssnd);
    putchunk(file, r.form, form);
    return file;
}

// The generated file: 0.15 s of 880 Hz, mono at 22050 Hz, exactly header, COMM and SSND;
// audible, never clipping, without clicks at either end.
TEST(GeneratedBeep, IsAShortQuietlyEndingMonoToneAt880HzThatNoCutOfItGives) {
    std::ifstream in(BeepFile, std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::optional<AiffSound> sound = parseaiff(file);
    ASSERT_TRUE(sound);
    EXPECT_EQ(std::tuple(sound->channels, sound->samplerate, sound->frames(), file.size()),
              std::tuple(1, 22050, std::size_t{3308}, std::size_t{12 + 26 + 16 + 2 * 3308}));

    const std::vector<std::int16_t>& s = sound->samples;
    int crossings = 0; // from below zero to zero or above, and back
    for (std::size_t i = 1; i < s.size(); ++i)
        crossings += (s[i - 1] < 0) != (s[i] < 0);
    EXPECT_NEAR(crossings, 2 * 880 * 0.15, 4); // two sign changes per period
    const auto [low, high] = std::minmax_element(s.begin(), s.end());
    const int peak = std::max(-*low, int{*high});
    EXPECT_TRUE(peak > 8000 && peak < 32000) << peak; // audible, never clipping
    EXPECT_TRUE(s.front() == 0 && std::abs(s.back()) < 100) << "a click at either end";
    // Every truncation is refused, and files that cannot be read or are above 16 MiB give no sound.
    for (std::size_t length = 0; length < file.size(); ++length)
        ASSERT_FALSE(parseaiff(std::span(file.data(), length))) << length;
    const auto temp = std::filesystem::temp_directory_path(),
               big = temp / ("miradex-beep-" + std::to_string(getpid()) + ".aif");
    EXPECT_FALSE(readaiff("/nonexistent/sysbeep.aif") || readaiff(temp.string()));
    std::filesystem::copy_file(BeepFile, big, std::filesystem::copy_options::overwrite_existing);
    for (const std::uintmax_t size : {16u << 20, (16u << 20) + 1}) // zeros after the FORM
        EXPECT_EQ((std::filesystem::resize_file(big, size), readaiff(big.string()).has_value()),
                  size == 16u << 20);
    std::filesystem::remove(big);
}

// One row per condition the parser checks, refused files reading as no samples (the truncations
// below cover the chunks that end early and the files without COMM or SSND); and files taken:
// chunks in any order after an odd-sized chunk and its pad byte, the offset before the samples,
// 8-bit samples (signed, moved to the high byte), 24-bit ones (their high 16 bits), two channels.
TEST(AiffParser, ReadsEverySampleWidthAndRefusesMalformedFiles) {
    using Samples = std::vector<std::int16_t>;
    // The rates: negative 22050 Hz, not a number, a billion, 11 Hz.
    // clang-format off
    const std::pair<void (*)(Recipe&), Samples> cases[] = {
        {[](Recipe& r) { r.form = "RIFF"; }, {}}, {[](Recipe& r) { r.type = "AIFC"; }, {}},
        {[](Recipe& r) { r.channels = 0; }, {}}, {[](Recipe& r) { r.channels = 9; }, {}},
        {[](Recipe& r) { r.frames = 0; }, {}}, {[](Recipe& r) { r.frames = 3; }, {}},
        {[](Recipe& r) { r.bits = 0; }, {}}, {[](Recipe& r) { r.bits = 33; }, {}},
        {[](Recipe& r) { r.commsize = 17; }, {}}, {[](Recipe& r) { r.offset = 5; }, {}},
        {[](Recipe& r) { r.rate[0] |= 0x80; }, {}}, {[](Recipe& r) { r.rate[1] = 0x1C; }, {}},
        {[](Recipe& r) { r.rate = {0x7F, 0xFF, 0xC0}; }, {}},
        {[](Recipe& r) { r.rate[1] = 3; }, {}},
        // A short SSND before the good one: the first counts.
        {[](Recipe& r) { r.extratag = "SSND", r.extrachunk = {0, 0, 0, 0}; }, {}},
        {[](Recipe& r) { r.ssndfirst = true, r.extrachunk = {'b', 'e', 'e'}, r.offset = 2,
                         r.data = {9, 9, 0x12, 0x34, 0xFF, 0xFE}; }, {0x1234, -2}},
        {[](Recipe& r) { r.extrachunk = {'x'}, r.bits = 8, r.data = {0x12, 0xFE}; },
         {0x1200, -512}},
        {[](Recipe& r) { r.bits = 24, r.data = {0x12, 0x34, 0x56, 0xFF, 0xFE, 0}; }, {0x1234, -2}},
        {[](Recipe& r) { r.channels = 2, r.frames = 1; }, {0x1234, -2}}};
    // clang-format on
    for (const auto& c : cases) {
        Recipe recipe;
        c.first(recipe);
        EXPECT_EQ(parseaiff(build(recipe)).value_or(AiffSound{}).samples, c.second) << &c - cases;
    }
    // COMM's size running past the end, and a FORM claiming less than its chunks need; one
    // claiming more ends at the file's end.
    Bytes damaged = build(Recipe{}), shortform = damaged, longform = damaged;
    std::fill(damaged.begin() + 16, damaged.begin() + 20, 0xFF);
    shortform[7] = static_cast<std::uint8_t>(shortform[7] - 2);
    longform[6] = 1;
    EXPECT_TRUE(!parseaiff(damaged) && !parseaiff(shortform) && parseaiff(longform));
}

bool waituntilquiet() {
    for (int i = 0; i < 1000 && bellringing(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !bellringing();
}

std::size_t threadcount() {
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
}

// A missing sound or an output that cannot open falls back to the caller's beep, silently
// (nothing for the batch log); ALSA's "null" device takes the sound and is free again for the
// next one. A flood of bells costs one thread, the player's, and the bells that come while it
// is busy are dropped, fallback and all.
TEST(BeepPlayer, OnePlayerPlaysOrFallsBackAndDropsBellsWhileBusy) {
    std::atomic<int> fallbacks = 0;
    auto fallback = [&fallbacks] { ++fallbacks; };
    testing::internal::CaptureStderr();
    const std::pair<std::string, std::string> failing[] = {{"/nonexistent/sysbeep.aif", "null"},
                                                           {BeepFile, "hw:CARD=NoSuchMiradexCard"}};
    for (const auto& [file, device] : failing) {
        fallbacks = 0;
        ringbellon(file, device, fallback);
        EXPECT_TRUE(waituntilquiet() && fallbacks == 1) << file << " " << device;
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const std::size_t threads = threadcount();
    fallbacks = 0;
    for (int bell = 0; bell < 10000; ++bell)
        ringbellon(BeepFile, "null", fallback);
    EXPECT_EQ(threadcount(), threads);
    EXPECT_TRUE(waituntilquiet() && fallbacks == 0);
    ringbellon(BeepFile, "null", fallback); // the device is free again after the flood
    EXPECT_TRUE(waituntilquiet() && fallbacks == 0);
}

} // namespace
} // namespace mdx
