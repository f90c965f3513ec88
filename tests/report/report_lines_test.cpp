// The report's lines read back from a screen text (a whole report's are tests/e2e's E2eJson):
// a value wrapped at the screen's edge, an empty value, lines without a label; and the
// benchmark figures, which are numbers only in the report's own form.
#include "support/testing.h"

#include "report/report_lines.h"

namespace mdx {
namespace {

TEST(ReportLines, WrappedEmptyAndOtherLinesAndFigures) {
    const std::string wide = "Grafikkarte        = " + std::string(60, 'x') + "ä";
    std::string read;
    for (const ReportLine& line :
         reportlines("Fehler\n" + wide + "\nö\nInternet-Adresse   =\n" +
                     "Taktfrequenz       = 2,9 GHz\nfremd\n" + "Hostnamen          = nein\n"))
        read += line.Label + "=" + line.Value + ";";
    EXPECT_EQ(read,
              "Grafikkarte=" + std::string(60, 'x') + "äö;Internet-Adresse=;Taktfrequenz=2,9 GHz;");
    EXPECT_EQ(gflopsfigure("1.234.567,89 GFLOPs"), 1234567.89);
    for (const char* other : {"(wird berechnet)", " GFLOPs", "1,2,3 GFLOPs", "-1,00 GFLOPs"})
        EXPECT_EQ(gflopsfigure(other), std::nullopt) << other;
}

} // namespace
} // namespace mdx
