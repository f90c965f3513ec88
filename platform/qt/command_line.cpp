#include "platform/qt/command_line.h"

#include <optional>

namespace mdx::qt {
namespace {

CommandLine failed(std::string message) {
    CommandLine result;
    result.What = CommandLine::Action::Error;
    result.Error = std::move(message);
    return result;
}

std::string quoted(const std::string& text) {
    return "„" + text + "“";
}

// The value of an option that takes a path: "--save=PATH" or "--save PATH". Nothing when the
// argument is not that option; an empty text when the path is missing.
std::optional<std::string> pathoption(const std::string& option,
                                      const std::vector<std::string>& arguments, std::size_t& i) {
    const std::string& argument = arguments[i];
    if (argument == option) return ++i < arguments.size() ? arguments[i] : std::string();
    if (argument.rfind(option + "=", 0) == 0) return argument.substr(option.size() + 1);
    return std::nullopt;
}

bool isoption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

} // namespace

// An unknown option is refused wherever it stands, also next to --help or --version, which win
// over everything else (the first of them given).
CommandLine parsecommandline(const std::vector<std::string>& arguments) {
    CommandLine result;
    auto asked = CommandLine::Action::Run;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !isoption(argument)) {
            result.Files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            if (asked == CommandLine::Action::Run) asked = CommandLine::Action::Help;
        } else if (argument == "--version") {
            if (asked == CommandLine::Action::Run) asked = CommandLine::Action::Version;
        } else if (argument == "--new") {
            result.NewReport = true;
        } else if (argument == "--batch") {
            result.Batch = true;
        } else if (argument == "--json") {
            result.Json = true;
        } else if (auto save = pathoption("--save", arguments, i)) {
            if (save->empty()) return failed("Option „--save“ braucht einen Pfad.");
            result.SavePath = *save;
        } else if (auto png = pathoption("--png", arguments, i)) {
            if (png->empty()) return failed("Option „--png“ braucht einen Pfad.");
            result.PngPath = *png;
        } else {
            return failed("Unbekannte Option " + quoted(argument) + ".");
        }
    }
    if (asked != CommandLine::Action::Run) {
        result.What = asked;
        return result;
    }
    if (!result.Batch && (!result.SavePath.empty() || !result.PngPath.empty()))
        return failed("„--save“ und „--png“ gelten nur zusammen mit „--batch“.");
    if (!result.Batch && result.Json) return failed("„--json“ gilt nur zusammen mit „--batch“.");
    return result;
}

std::string usagetext() {
    return "Aufruf: miradex [--new] [--batch [--json]] [--save PFAD] [--png PFAD] [DATEI ...]\n"
           "       miradex --help | --version\n"
           "\n"
           "Miradex untersucht diesen Computer und zeigt einen Bericht über seine Hardware.\n"
           "\n"
           "  DATEI ...     öffnet jede Datei als Dokument, in dieser Reihenfolge\n"
           "  --new         beginnt einen neuen Bericht (Ablage > Neu), vor den Dateien\n"
           "  --batch       zeigt kein Fenster: arbeitet Bericht und Dateien ab, schreibt dann\n"
           "                den Bildschirmtext von Fenster 0 auf die Standardausgabe und endet;\n"
           "                die Protokollzeilen gehen auf die Standardfehlerausgabe\n"
           "  --json        mit --batch: schreibt die Zeilen des Berichts als JSON-Objekt\n"
           "                (Bezeichnung und Wert wie auf dem Bildschirm, dazu die beiden\n"
           "                Benchmark-Werte als Zahlen unter „GFLOPs“)\n"
           "  --save PFAD   mit --batch: sichert den Bericht danach unter PFAD\n"
           "  --png PFAD    mit --batch: schreibt das Bild von Fenster 0 als PNG nach PFAD\n"
           "  --help        zeigt diese Hilfe\n"
           "  --version     zeigt die Version\n";
}

std::string versiontext() {
    return std::string("Miradex ") + MIRADEX_VERSION + "\n";
}

} // namespace mdx::qt
