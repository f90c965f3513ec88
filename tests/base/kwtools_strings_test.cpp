#include <gtest/gtest.h>

#include <unistd.h>

#include "base/kwtools.h"
#include "support/log_capture.h"

namespace mdx {
namespace {

TEST(TextConversion, ValidUtf8PassesThroughAndStrayBytesBecomeLatin1) {
    EXPECT_EQ(totext("Grüße").Elements, (Bytes{'G', 'r', 0xC3, 0xBC, 0xC3, 0x9F, 'e'}));
    EXPECT_EQ(tostring(totext("Grüße €")), "Grüße €");
    struct Case {
        Bytes bytes;
        const char* expected;
    } cases[] = {
        {{'a', 0xE4, 'b'}, "a\u00E4b"},                         // Latin-1 ä
        {{0xFF, 0x80}, "\u00FF\u0080"},                         // no lead byte, lone continuation
        {{0xC3}, "\u00C3"},                                     // truncated sequence at the end
        {{0xC0, 0xAF}, "\u00C0\u00AF"},                         // overlong "/"
        {{0xED, 0xA0, 0x80}, "\u00ED\u00A0\u0080"},             // surrogate
        {{0xF4, 0x90, 0x80, 0x80}, "\u00F4\u0090\u0080\u0080"}, // above U+10FFFF
        {{0xF0, 0x9F, 0x98, 0x80}, "\U0001F600"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tostring(Text{c.bytes}), c.expected);
}

TEST(TextConversion, StrictUtf8Validation) {
    EXPECT_TRUE(isvalidutf8(""));
    EXPECT_TRUE(isvalidutf8("plain"));
    EXPECT_TRUE(isvalidutf8("\u00E4\u20AC\U0010FFFF"));
    for (std::string_view bad : {"\xE4", "\xC3", "\xE2\x82", "\xC1\xBF", "\xE0\x9F\xBF",
                                 "\xED\xBF\xBF", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF8"})
        EXPECT_FALSE(isvalidutf8(bad)) << testing::PrintToString(bad);
}

TEST(Characters, CountedInCodePoints) {
    const std::string s = "aä€b";
    struct Case {
        Int n;
        const char* rest;
        const char* at;
    } cases[] = {
        {0, "aä€b", ""}, {1, "aä€b", "a"}, {2, "ä€b", "ä"},  {3, "€b", "€"},
        {4, "b", "b"},   {5, "", ""},      {-3, "aä€b", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(reststring(s, c.n), c.rest) << c.n;
        EXPECT_EQ(charat(s, c.n), c.at) << c.n;
    }
    // A stray byte counts as one character.
    EXPECT_EQ(charat("x\xE4y", 3), "y");
}

TEST(Characters, CodeOfFirstCharacter) {
    EXPECT_EQ(charcode(""), 0);
    EXPECT_EQ(charcode("A"), 65);
    EXPECT_EQ(charcode("äb"), 0xE4);
    EXPECT_EQ(charcode("€"), 0x20AC);
    EXPECT_EQ(charcode("\U0001F600"), 0x1F600);
    EXPECT_EQ(charcode("\xE4"), 0xE4);
}

TEST(Replace, FirstOrAll) {
    struct Case {
        const char* s;
        const char* find;
        const char* with;
        bool all;
        const char* expected;
    } cases[] = {
        {"a.b.c", ".", ",", true, "a,b,c"}, {"a.b.c", ".", ",", false, "a,b.c"},
        {"abc", "x", "y", true, "abc"},     {"aaa", "aa", "b", true, "ba"},
        {"abc", "", "y", true, "abc"},      {"abc", "b", "", true, "ac"},
        {"aa", "a", "aa", true, "aaaa"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(replacestring(c.s, c.find, c.with, c.all), c.expected) << c.s;
}

TEST(Repeat, BoundedCounts) {
    EXPECT_EQ(spaces(0), "");
    EXPECT_EQ(spaces(3), "   ");
    EXPECT_EQ(spaces(32767).size(), 32767u);
    EXPECT_EQ(spaces(32768), "");
    EXPECT_EQ(spaces(-1), "");
    EXPECT_EQ(repeatstring("ab", 3), "ababab");
    EXPECT_EQ(repeatstring("ab", 0), "");
    EXPECT_EQ(repeatstring("ab", 32768), "");
    EXPECT_EQ(repeatstring("", 5), "");
}

TEST(CenterText, TrimsAndPadsInFrontOnly) {
    EXPECT_EQ(centertext("  abc \t", 9), "   abc");
    EXPECT_EQ(centertext("abc", 8), "  abc");
    EXPECT_EQ(centertext("abcdef", 4), "abcdef");
    EXPECT_EQ(centertext("äöü", 7), "  äöü"); // width counts characters, not bytes
    EXPECT_EQ(centertext("", 4), "  ");
}

TEST(Tables, CaseMappingAndHexadecimal) {
    EXPECT_EQ(uppercase('a'), 'A');
    EXPECT_EQ(uppercase('A'), 'A');
    EXPECT_EQ(uppercase(228), 196); // ä -> Ä
    EXPECT_EQ(uppercase(223), 223); // ß has no capital
    EXPECT_EQ(uppercase(247), 247); // ÷ is no letter
    EXPECT_EQ(uppercase(255), 255);
    EXPECT_EQ(lowercase(196), 228);
    EXPECT_EQ(lowercase(215), 215); // ×
    // Outside the gaps, the two tables undo each other.
    for (int code = 0; code < 256; ++code) {
        auto c = static_cast<UInt8>(code);
        if (lowercase(c) != c) {
            EXPECT_EQ(uppercase(lowercase(c)), c) << code;
        }
    }
    EXPECT_EQ(hexdigit(0), '0');
    EXPECT_EQ(hexdigit(15), 'F');
    EXPECT_EQ(hexdigit(16), '\0');
    EXPECT_EQ(hexdigit(-1), '\0');
    for (int value = 0; value < 16; ++value) {
        EXPECT_EQ(hexvalue(static_cast<UInt8>(hexdigit(value))), value);
        EXPECT_EQ(hexvalue(lowercase(static_cast<UInt8>(hexdigit(value)))), value);
    }
    EXPECT_EQ(hexvalue('g'), -1);
    EXPECT_EQ(hexvalue(0), -1);
}

TEST(Setup, InitLogsStartAndEnd) {
    test::LogCapture log;
    initkwtools();
    EXPECT_TRUE(kwtoolsinitialized());
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"initkwtools: Start.", "initkwtools: End."}));
}

TEST(Paths, BundleOfAnExecutable) {
    struct Case {
        const char* executable;
        const char* bundle;
    } cases[] = {
        {"/opt/Miradex.app/Contents/MacOS/miradex", "/opt/Miradex.app"},
        {"/home/u/build/tests_report", "/home/u/build"},
        {"/opt/Miradex.app/Contents/Helpers/probe", "/opt/Miradex.app/Contents/Helpers"},
        {"/x/MacOS/miradex", "/x/MacOS"},
        {"/miradex", "/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bundlepathforexecutable(c.executable), c.bundle);
}

TEST(Paths, BundleIsFoundFromTheRunningProgramUnlessSet) {
    setbundlepath("/somewhere/Miradex.app");
    EXPECT_EQ(bundlepath(), "/somewhere/Miradex.app");
    setbundlepath("");
    // The test program lives outside a bundle, so its own folder is the answer.
    std::string executable(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", executable.data(), executable.size());
    ASSERT_GT(length, 0);
    executable.resize(static_cast<std::size_t>(length));
    EXPECT_EQ(bundlepath() + "/" + lastpathcomponent(executable), executable);
}

} // namespace
} // namespace mdx
