#include "platform/qt/batch_json.h"

// nlohmann::ordered_json keeps the labels in screen order and escapes what JSON needs.
#include <nlohmann/json.hpp>

#include "report/report.h"

namespace mdx::qt {
namespace {

using Json = nlohmann::ordered_json;

// A label that comes again (two displays, two graphics lines) keeps every value, in an array.
void keep(Json& report, const std::string& label, const std::string& value) {
    if (!report.contains(label)) {
        report[label] = value;
        return;
    }
    Json& kept = report[label];
    if (!kept.is_array()) kept = Json::array({kept});
    kept.push_back(value);
}

} // namespace

std::optional<std::string> batchjson(const std::string& screentext) {
    const std::optional<ReportFacts> made = shownreportfacts();
    const ReportFacts facts = made ? *made : factsofscreen(screentext);
    if (facts.empty()) return std::nullopt;
    Json report = Json::object();
    Json figures = Json::object();
    for (const ReportFact& fact : facts) {
        const std::string label = labelwords(fact.Label);
        keep(report, label, fact.Value);
        if (fact.Label != ReportLabel::SingleCore && fact.Label != ReportLabel::MultiCore) continue;
        if (const std::optional<double> figure = gflopsfigure(fact.Value)) figures[label] = *figure;
    }
    if (!figures.empty()) report["GFLOPs"] = std::move(figures);
    return report.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace mdx::qt
