// The program's entry point. Until the desktop window layer exists, Miradex runs headless: it
// prepares the tool library, starts the program thread, loads the text font and initialises
// graphic window 0, logging each step, and exits when that is done.
#include <cstdio>
#include <cstring>
#include <future>

#include "app/threads.h"
#include "report/kwtools.h"
#include "runtime/font.h"
#include "runtime/log.h"
#include "runtime/state.h"
#include "runtime/video_memory.h"

namespace {

void printusage() {
    std::puts("Usage: miradex [--help] [--version]\n"
              "Miradex zeigt einen Bericht über die Hardware dieses Computers.");
}

// What the program thread does first: the font, then window 0 at its full size.
void initialisescreen() {
    mdx::t_Font font = mdx::t_LoadFontResource("MenloRegular 16x32.font");
    mdx::t_InitWindow(0, 24, true, 1312, 800, 16, 16, font, true);
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("Miradex 0.1.0");
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            printusage();
            return 0;
        }
        std::fprintf(stderr, "miradex: Unbekannte Option „%s“\n", argv[i]);
        printusage();
        return 2;
    }
    mdx::initkwtools();
    mdx::logline("Program: Start.");
    std::promise<void> done;
    mdx::startprocess(
        [&done] {
            initialisescreen();
            done.set_value();
        },
        mdx::ProgramStackSize);
    done.get_future().wait();
    const mdx::Runtime& r = mdx::rt();
    bool ready = mdx::windowready(0);
    mdx::logline(std::string("Program: Window 0 ") + (ready ? "ready" : "not ready") +
                 ", high memory = $" + mdx::hex8(r.HighMemory) + ".");
    return ready ? 0 : 1;
}
