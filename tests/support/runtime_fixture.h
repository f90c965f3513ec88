// Base fixture: a fresh runtime, the fake window layer installed, log lines captured, and the
// bundle path set to the build's bundle (which holds the generated font).
#pragma once

#include <gtest/gtest.h>

#include "runtime/font.h"
#include "runtime/state.h"
#include "support/fake_window_layer.h"
#include "support/log_capture.h"

namespace mdx::test {

// A grey font of the given cell size with one byte of data: enough to give a window a text grid.
inline t_Font cellfont(Int width, Int height) {
    return t_Font{.Format = FontFormatGrey,
                  .End = 255,
                  .Width = width,
                  .Height = height,
                  .Data = Bytes(1, 0)};
}

class RuntimeTest : public ::testing::Test {
  protected:
    RuntimeTest();
    ~RuntimeTest() override;

    FakeWindowLayer layer;
    LogCapture log;
};

// A temporary directory, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

} // namespace mdx::test
