#include "tools/system_profiler/number_locale.h"

#include <algorithm>
#include <array>

namespace mdx::sysprof {

namespace {

// Languages whose regional formats write a decimal comma (as the C library's locale data has
// them), and the regions whose separator differs from their language's.
constexpr auto CommaLanguages = std::to_array<std::string_view>({
    "ab",  "agr", "an", "ast", "ayc", "az",  "be", "bg",  "br",  "bs",  "ca", "ce",  "crh", "cs",
    "csb", "cv",  "da", "de",  "dsb", "el",  "es", "et",  "eu",  "ff",  "fi", "fo",  "fr",  "fur",
    "fy",  "gl",  "hr", "hsb", "ht",  "hu",  "ia", "id",  "is",  "it",  "ka", "kab", "kk",  "kl",
    "ku",  "ky",  "lb", "li",  "lij", "ln",  "lt", "lv",  "mg",  "mhr", "mk", "mn",  "nb",  "nds",
    "nl",  "nn",  "no", "oc",  "os",  "pap", "pl", "pt",  "quz", "ro",  "ru", "rw",  "sah", "sc",
    "se",  "sgs", "sk", "sl",  "sq",  "sr",  "sv", "szl", "tg",  "tr",  "tt", "uk",  "vi",  "wa",
});
constexpr auto PointRegions = std::to_array<std::string_view>({
    "az_IR",
    "de_CH",
    "de_LI",
    "es_DO",
    "es_GT",
    "es_HN",
    "es_MX",
    "es_NI",
    "es_PA",
    "es_PR",
    "es_SV",
    "es_US",
    "fr_CH",
    "it_CH",
});
constexpr auto CommaRegions = std::to_array<std::string_view>({"en_DK"});

template <std::size_t N>
bool listed(const std::array<std::string_view, N>& list, std::string_view name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

bool isdigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

char decimalpointof(std::string_view localename) {
    // "language_REGION.codeset@modifier": only language and region decide.
    std::string_view name = localename.substr(0, localename.find_first_of(".@"));
    std::string_view language = name.substr(0, name.find('_'));
    if (listed(PointRegions, name)) return '.';
    if (listed(CommaRegions, name)) return ',';
    return listed(CommaLanguages, language) ? ',' : '.';
}

char decimalpoint(const char* lcall, const char* lcnumeric, const char* lang) {
    for (const char* name : {lcall, lcnumeric, lang})
        if (name != nullptr && *name != '\0') return decimalpointof(name);
    return '.';
}

std::string withdecimalpoint(std::string_view quantity, char point) {
    std::string text(quantity);
    for (std::size_t i = 1; i + 1 < text.size(); ++i)
        if (text[i] == '.' && isdigit(text[i - 1]) && isdigit(text[i + 1])) text[i] = point;
    return text;
}

} // namespace mdx::sysprof
