// Starting without a display: Qt would end the process with an English text and an abort; the
// program says in German what is missing and ends with status 1.
#pragma once

#include <memory>

namespace mdx::qt {

// The line printed when no display can be reached.
extern const char* const NoDisplayLine;

// Held while the application connects to its display. Qt's messages from that time are kept
// back; if the connection fails, the German line is printed instead of them and the process ends
// with status 1. Once the application stands, the kept messages go out as usual.
class DisplayConnectionWatch {
  public:
    DisplayConnectionWatch();
    ~DisplayConnectionWatch();
    DisplayConnectionWatch(const DisplayConnectionWatch&) = delete;
    DisplayConnectionWatch& operator=(const DisplayConnectionWatch&) = delete;
};

} // namespace mdx::qt
