// The report's lines read back from a screen text (a whole report's lines are tests/e2e's
// E2eJson): wrapped values, empty values, other lines; the benchmark figures as numbers.
#include "support/testing.h"

#include "report/report_lines.h"

namespace mdx {
namespace {

TEST(ReportLines, WrappedEmptyAndOtherLines) {
    const std::string text = "Hardware konnte nicht identifiziert werden.\nProzessor          = " +
                             std::string(61, 'x') +
                             "\nyz\nGrafikkarte        = " + std::string(60, 'x') +
                             "ä\nö\nInternet-Adresse   =\n" +
                             "Taktfrequenz       = 2,9 GHz\nfremd\n\nHostnamen          = nein\n";
    std::vector<std::pair<std::string, std::string>> read;
    for (const ReportLine& line : reportlines(text))
        read.emplace_back(line.Label, line.Value);
    EXPECT_EQ(read, (std::vector<std::pair<std::string, std::string>>{
                        {"Prozessor", std::string(61, 'x') + "yz"},
                        {"Grafikkarte", std::string(60, 'x') + "äö"},
                        {"Internet-Adresse", ""},
                        {"Taktfrequenz", "2,9 GHz"}}));
}

TEST(ReportLines, BenchmarkFigures) {
    const std::pair<std::string, std::optional<double>> cases[] = {
        {"1.234.567,89 GFLOPs", 1234567.89},
        {"0,00 GFLOPs", 0.0},
        {"12,5 GFLOPs", 12.5},
        {"(wird berechnet)", std::nullopt},
        {" GFLOPs", std::nullopt},
        {"1,2,3 GFLOPs", std::nullopt},
        {"-1,00 GFLOPs", std::nullopt},
        {"12,00 GFLOP", std::nullopt}};
    for (const auto& [value, figure] : cases)
        EXPECT_EQ(gflopsfigure(value), figure) << value;
}

} // namespace
} // namespace mdx
