#include "support/runtime_fixture.h"

#include "support/testing.h"

#include "base/kwtools.h"
#include "report/report_program.h"
#include "runtime/window_layer.h"

namespace mdx::test {

RuntimeTest::RuntimeTest() {
    resetruntime();
    installprogram();
    setwindowlayer(&layer);
    setbundlepath(MIRADEX_TEST_BUNDLE);
}

RuntimeTest::~RuntimeTest() {
    setwindowlayer(nullptr);
    resetruntime();
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "miradex-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace mdx::test
