// The program's entry point: reads the command line, then hands over to the desktop program (or
// its batch run) on the Qt window layer.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/qt/application.h"
#include "platform/qt/command_line.h"
#include "platform/qt/temporary_folder.h"

int main(int argc, char** argv) {
    const auto mainEntered = std::chrono::steady_clock::now();
    using mdx::qt::CommandLine;
    const CommandLine commandLine =
        mdx::qt::parsecommandline(std::vector<std::string>(argv + 1, argv + argc));
    switch (commandLine.What) {
    case CommandLine::Action::Help: std::fputs(mdx::qt::usagetext().c_str(), stdout); return 0;
    case CommandLine::Action::Version: std::fputs(mdx::qt::versiontext().c_str(), stdout); return 0;
    case CommandLine::Action::Error:
        std::fprintf(stderr, "miradex: %s\n„miradex --help“ zeigt, wie es geht.\n",
                     commandLine.Error.c_str());
        return 2;
    case CommandLine::Action::Run: break;
    }
    mdx::qt::settletemporaryfolder();
    mdx::qt::runapplication(argv[0], commandLine, mainEntered);
}
