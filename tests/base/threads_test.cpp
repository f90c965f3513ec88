// Thread starts: numbering, stack sizes and the serialised hand-over.
#include "support/testing.h"

#include <pthread.h>

#include <future>
#include <limits>
#include <set>

#include "base/threads.h"
#include "support/log_capture.h"

namespace mdx {
namespace {

// The calling thread's number and stack size.
using Seen = std::pair<Int, std::size_t>;

Seen seennow() {
    pthread_attr_t attributes;
    pthread_getattr_np(pthread_self(), &attributes);
    std::size_t size = 0;
    pthread_attr_getstacksize(&attributes, &size);
    pthread_attr_destroy(&attributes);
    return {t_ThreadNumber(), size};
}

// ctest runs each test in a process of its own, so the first startprocess here is the first.
TEST(ThreadsTest, ProgramThreadIsNumberTwoAndConcurrentStartsGetTheirOwnStack) {
    EXPECT_EQ(t_ThreadNumber(), 1);
    std::promise<Seen> program;
    startprocess([&program] { program.set_value(seennow()); }, ProgramStackSize);
    const auto [first, firststack] = program.get_future().get();
    EXPECT_TRUE(first == 2 && firststack >= static_cast<std::size_t>(ProgramStackSize));

    constexpr int starters = 4;
    std::vector<std::promise<Seen>> seen(starters);
    std::vector<std::thread> callers;
    for (int i = 0; i < starters; ++i)
        callers.emplace_back([&seen, i] {
            startprocess([&seen, i] { seen[i].set_value(seennow()); }, WorkerStackSize * (i + 1));
        });
    std::for_each(callers.begin(), callers.end(), [](std::thread& c) { c.join(); });
    std::set<Int> numbers;
    for (int i = 0; i < starters; ++i) {
        const auto [number, stack] = seen[i].get_future().get();
        EXPECT_TRUE(stack >= static_cast<std::size_t>(WorkerStackSize * (i + 1)) &&
                    stack < static_cast<std::size_t>(ProgramStackSize));
        numbers.insert(number);
    }
    EXPECT_TRUE(numbers.size() == std::size_t{starters} &&
                !numbers.count(2)); // each its own, none 2
    std::promise<Int> async;
    t_StartAsync([&async] { async.set_value(t_ThreadNumber()); });
    EXPECT_GT(async.get_future().get(), 2);
}

// A thread that cannot be made (here: a stack no memory holds) is a log line and a false result;
// its work is dropped, and the next start is not held up by the one that failed.
TEST(ThreadsTest, AThreadThatCannotBeMadeIsLoggedAndTheNextStartGoesOn) {
    test::LogCapture log;
    bool ran = false;
    EXPECT_FALSE(startprocess([&ran] { ran = true; }, std::numeric_limits<Int>::max() / 2));
    EXPECT_FALSE(ran);
    EXPECT_TRUE(log.lines().size() == 1 && log.lines()[0].starts_with("startprocess: Error #"));
    std::promise<void> started;
    EXPECT_TRUE(startprocess([&started] { started.set_value(); }, WorkerStackSize));
    started.get_future().get();
}

} // namespace
} // namespace mdx
