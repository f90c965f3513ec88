// The report's lines as data: the labels the report prints, in screen order, and the label and
// value of each report line of a screen text, for the batch run's JSON form.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mdx {

struct ReportLine {
    std::string Label; // the label's words, without padding and "=": "Prozessor"
    std::string Value; // the rest of the line as the screen shows it
};

// Every label the report can print, as printed ("Prozessor          = "), in screen order. The
// system line's label is there for Linux and for the classic edition's saved reports.
const std::vector<std::string>& reportlabels();

// The report lines of a screen text (lines ended by line feeds, as the batch run prints it):
// each line that begins with a label gives a pair; lines without a label are left out, except
// that a line right after a report line continues its value when the value was too long for
// one line of the screen.
std::vector<ReportLine> reportlines(const std::string& screen);

// The number of a benchmark value as the report prints it ("1.234,56 GFLOPs" gives 1234.56);
// nothing for any other text, such as "(wird berechnet)".
std::optional<double> gflopsfigure(const std::string& value);

} // namespace mdx
