#include "text/text_windows.h"

#include <chrono>

#include "base/clock.h"
#include "base/kwtools.h"
#include "base/log.h"
#include "base/threads.h"
#include "runtime/state.h"
#include "runtime/window_layer.h"
#include "runtime/window_management.h"

namespace mdx {
namespace {

constexpr Int PrinterInterval = 101; // ms between two transfers at least
constexpr Int PrinterRulerColumns = 160;

bool printerViewPresent() {
    bool present = false;
    onMainThread([&] { present = windowlayer().hasTextView(VirtualPrinterWindowNumber); });
    return present;
}

// Logs "<routine>: Virtual printer window is nil, resource undefined." when the printer's text
// view is missing; true when it is there.
bool printerReady(const char* routine) {
    if (printerViewPresent()) return true;
    logline(std::string(routine) + ": Virtual printer window is nil, resource undefined.");
    return false;
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The code point of ESC, four hexadecimal digits, GS at `at`; -1 when the bytes there are not
// such a sequence or name a surrogate, which no text can hold.
Int escapedCode(const std::string& bytes, std::size_t at) {
    if (at + 6 > bytes.size() || bytes[at] != 27 || bytes[at + 5] != 29) return -1;
    Int code = 0;
    for (std::size_t i = at + 1; i < at + 5; ++i) {
        int digit = hexvalue(static_cast<UInt8>(bytes[i]));
        if (digit < 0) return -1;
        code = code * 16 + digit;
    }
    return code >= 0xD800 && code <= 0xDFFF ? -1 : code;
}

// Shows the buffer when it changed and the last transfer is at least 101 ms old. Returns the
// milliseconds until the next look: the rest of the interval while a change waits, else a long
// while, since the change itself wakes the thread.
Int transferPrinter(Runtime& r) {
    const Int now = absolutetimems();
    if (!r.PrinterChanged) return IdleLookMs;
    if (const Int since = now - r.PrinterLastUpdate; since >= 0 && since < PrinterInterval)
        return PrinterInterval - since;
    r.PrinterChanged = false;
    std::string bytes;
    {
        std::lock_guard guard(r.PrinterLock);
        bytes = r.PrinterBuffer;
    }
    p_SetPrinter(isvalidutf8(bytes) ? bytes : printerfallbacktext(bytes));
    r.PrinterLastUpdate = now;
    return IdleLookMs;
}

// The body of the printer thread on its runtime, until that runtime's flag is cleared.
void printerLoop(Runtime& r) {
    const Int number = t_ThreadNumber();
    logline("p_PrinterAutoUpdateProcess: Start as thread #" + std::to_string(number));
    if (number > 2) setthreadname("p_PrinterAutoUpdate");
    while (r.PrinterUpdateRunning)
        r.PrinterWake.waitfor(std::chrono::milliseconds(transferPrinter(r)));
    logline("p_PrinterAutoUpdateProcess: End.");
}

// The flag is set before the thread starts, so that a second start cannot slip in meanwhile and
// a runtime reset that comes early is not undone by the thread.
void startPrinterThread(const std::shared_ptr<Runtime>& runtime) {
    if (runtime->PrinterUpdateRunning.exchange(true)) return;
    auto ticket = std::make_shared<ThreadTicket>(runtime, &Runtime::PrinterThreads);
    // Without a thread the printer window is not filled; the next initialisation tries again.
    if (!startprocess([ticket] { printerLoop(ticket->runtime()); }, WorkerStackSize))
        runtime->PrinterUpdateRunning = false;
}

} // namespace

std::string printerfallbacktext(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::size_t at = 0; at < bytes.size();) {
        if (Int code = escapedCode(bytes, at); code >= 0) {
            appendUtf8(text, static_cast<std::uint32_t>(code));
            at += 6;
        } else {
            appendUtf8(text, static_cast<UInt8>(bytes[at]));
            ++at;
        }
    }
    return text;
}

void p_InitPrinter() {
    if (!printerReady("p_InitPrinter")) return;
    Runtime& r = rt();
    onMainThread([] {
        p_SetRuler(p_RulerText(PrinterRulerColumns));
        windowlayer().setUpTextView(VirtualPrinterWindowNumber);
        windowlayer().setText(VirtualPrinterWindowNumber, "");
    });
    {
        std::lock_guard guard(r.PrinterLock);
        r.PrinterBuffer.clear();
    }
    startPrinterThread(currentruntime());
}

void p_SetPrinter(const std::string& text) {
    if (!printerReady("p_SetPrinter")) return;
    onMainThread([&] { windowlayer().setText(VirtualPrinterWindowNumber, text); });
}

// A missing ruler field is no fault: the text simply has nowhere to go.
void p_SetRuler(const std::string& text) {
    if (!printerReady("p_SetRuler")) return;
    onMainThread([&] {
        WindowLayer& layer = windowlayer();
        if (layer.hasRuler(VirtualPrinterWindowNumber))
            layer.setRuler(VirtualPrinterWindowNumber, text);
    });
}

void p_SetPrinterWidth(Int columns) {
    p_SetRuler(p_RulerText(columns));
    const auto width = static_cast<Int>(static_cast<double>(columns) * 7.25) + 63;
    t_WindowSize(VirtualPrinterWindowNumber, -1, -1, width, -1);
}

// "L", the columns 2 .. n-1 of the pattern "....!....<decade digit>" repeated, "R".
std::string p_RulerText(Int columns) {
    if (columns <= 0) return {};
    if (columns == 1) return "L";
    std::string ruler = "L";
    for (Int c = 2; c < columns; ++c) {
        if (c % 10 == 5)
            ruler += '!';
        else if (c % 10 == 0)
            ruler += static_cast<char>('0' + (c / 10) % 10);
        else
            ruler += '.';
    }
    return ruler + "R";
}

void p_PrinterAutoUpdateProcess() {
    std::shared_ptr<Runtime> runtime = currentruntime();
    ThreadTicket ticket(runtime, &Runtime::PrinterThreads);
    runtime->PrinterUpdateRunning = true;
    printerLoop(*runtime);
}

void p_AppendPrinter(const std::string& bytes) {
    Runtime& r = rt();
    {
        std::lock_guard guard(r.PrinterLock);
        r.PrinterBuffer += bytes;
    }
    r.PrinterChanged = true;
    r.PrinterWake.signal();
}

void t_ClearTextWindow(UInt8 window) {
    if (window != VirtualPrinterWindowNumber && window != SystemConsoleWindowNumber) return;
    onMainThread([window] {
        if (windowlayer().hasTextView(window)) windowlayer().setText(window, "");
    });
}

} // namespace mdx
