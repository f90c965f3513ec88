#include "platform/qt/batch_json.h"

// nlohmann::ordered_json keeps the labels in screen order and escapes what JSON needs.
#include <nlohmann/json.hpp>

#include "report/report_lines.h"

namespace mdx::qt {

std::optional<std::string> batchjson(const std::string& screentext) {
    using Json = nlohmann::ordered_json;
    const std::vector<ReportLine> lines = reportlines(screentext);
    if (lines.empty()) return std::nullopt;
    Json report = Json::object();
    Json figures = Json::object();
    for (const ReportLine& line : lines) {
        report[line.Label] = line.Value;
        if (line.Label != "Single-Core" && line.Label != "Multi-Core") continue;
        if (const std::optional<double> figure = gflopsfigure(line.Value))
            figures[line.Label] = *figure;
    }
    if (!figures.empty()) report["GFLOPs"] = std::move(figures);
    return report.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace mdx::qt
