// Reads arbitrary bytes as profiler output and as network answers through every reader of the
// report: the value lines, the interface check, the model-name answer and the lookup query, and
// the os-release and meminfo texts. The first byte chooses the Parallels form.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/memory_size.h"
#include "report/machine.h"
#include "report/profiler.h"
#include "report/report.h"

namespace {

mdx::Text profilertext(const std::uint8_t* data, std::size_t size) {
    mdx::Text text;
    text.Elements.assign(data, data + size);
    for (mdx::UInt8& byte : text.Elements)
        if (byte == 10) byte = 13;
    return text;
}

void check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool parallels = (data[0] & 1) != 0;
    const mdx::Text text = profilertext(data + 1, size - 1);
    const std::string raw(reinterpret_cast<const char*>(data + 1), size - 1);

    const mdx::Text cores =
        mdx::keyvalue(text, mdx::totext("Total Number of Cores: "), 13, 1).Value;
    mdx::coresvalue(cores);
    mdx::graphicsvalue(text, parallels);
    const std::string display = mdx::displayvalue(text, parallels);
    check(display.empty() || display.find(' ') != std::string::npos);
    for (const mdx::ProfilerType& row : mdx::ProfilerTypeTable)
        mdx::profilershowsdevice(text, row.ShortName);
    mdx::shortenedinterfacelist(raw);
    check(mdx::shortenedinterfacelist(raw).size() <= 59);

    check(mdx::modelnamefromanswer(raw).size() <= raw.size());
    const std::string query = mdx::serialquery(raw);
    check(query.size() <= 48);
    check(query.find_first_not_of(
              "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz%") ==
          std::string::npos);

    mdx::prettyname(raw);
    mdx::memtotal(raw);
    mdx::memoryblocksize(raw);
    return 0;
}
