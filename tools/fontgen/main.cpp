// fontgen: makes the program's text font at build time.
//
//   fontgen [--ttf FONT.ttf] [--out FILE.font] [--sheet FILE.png]
//
// --out writes the font file, --sheet a PNG of all glyphs for people to look at; at least one of
// them is needed. --ttf defaults to the TrueType font the build was configured with.
#include <cstdio>
#include <string>
#include <string_view>

#include "tools/fontgen/fontgen.h"

namespace {

struct Options {
    std::string ttf = mdx::fontgen::defaultsource();
    std::string out;
    std::string sheet;
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string_view name = argv[i];
        if (i + 1 >= argc) return false;
        std::string value = argv[++i];
        if (name == "--ttf")
            options.ttf = value;
        else if (name == "--out")
            options.out = value;
        else if (name == "--sheet")
            options.sheet = value;
        else
            return false;
    }
    return !options.out.empty() || !options.sheet.empty();
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs("usage: fontgen [--ttf FONT.ttf] [--out FILE.font] [--sheet FILE.png]\n",
                   stderr);
        return 2;
    }
    try {
        mdx::Bytes table = mdx::fontgen::makeglyphtable(options.ttf);
        if (!options.out.empty())
            mdx::fontgen::writefile(options.out, mdx::fontgen::makefontfile(table));
        if (!options.sheet.empty()) mdx::fontgen::writesheet(options.sheet, table);
    } catch (const mdx::fontgen::Error& e) {
        std::fprintf(stderr, "fontgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
