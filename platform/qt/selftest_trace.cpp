#include "platform/qt/selftest_trace.h"

#include <QByteArray>

#include <cstdio>

namespace mdx::qt {

void selftesttrace(const std::string& line) {
    static const QByteArray path = qgetenv(SelfTestTraceVariable);
    if (path.isEmpty()) return;
    if (std::FILE* file = std::fopen(path.constData(), "a")) {
        std::fputs((line + "\n").c_str(), file);
        std::fclose(file);
    }
}

} // namespace mdx::qt
