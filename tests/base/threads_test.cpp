// Thread starts: numbering, stack sizes and the serialised hand-over.
#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <future>
#include <set>
#include <thread>

#include "base/threads.h"

namespace mdx {
namespace {

std::size_t currentstacksize() {
    pthread_attr_t attributes;
    pthread_getattr_np(pthread_self(), &attributes);
    std::size_t size = 0;
    pthread_attr_getstacksize(&attributes, &size);
    pthread_attr_destroy(&attributes);
    return size;
}

struct Seen {
    Int number = 0;
    std::size_t stack = 0;
};

Seen runandwait(Int stackSize) {
    std::promise<Seen> seen;
    startprocess(
        [&seen] {
            seen.set_value(Seen{t_ThreadNumber(), currentstacksize()});
        },
        stackSize);
    return seen.get_future().get();
}

// ctest runs each test in a process of its own, so the first startprocess here is the first.
TEST(ThreadsTest, ProgramThreadIsNumberTwoWithItsGibibyteStack) {
    EXPECT_EQ(t_ThreadNumber(), 1);
    Seen program = runandwait(ProgramStackSize);
    EXPECT_EQ(program.number, 2);
    EXPECT_GE(program.stack, static_cast<std::size_t>(ProgramStackSize));
    Seen worker = runandwait(WorkerStackSize);
    EXPECT_GT(worker.number, 2);
    EXPECT_GE(worker.stack, static_cast<std::size_t>(WorkerStackSize));
    EXPECT_LT(worker.stack, static_cast<std::size_t>(ProgramStackSize));
}

TEST(ThreadsTest, ProgramThreadStackHoldsDeepData) {
    std::promise<long> result;
    startprocess(
        [&result] {
            // 256 MiB on the stack would overflow any default stack.
            constexpr std::size_t size = 256u << 20;
            volatile char* block = static_cast<volatile char*>(alloca(size));
            block[0] = 1;
            block[size - 1] = 2;
            result.set_value(block[0] + block[size - 1]);
        },
        ProgramStackSize);
    EXPECT_EQ(result.get_future().get(), 3);
}

TEST(ThreadsTest, ConcurrentStartsEachRunTheirOwnEntry) {
    constexpr int starters = 4;
    std::vector<std::promise<Seen>> seen(starters);
    std::vector<std::thread> callers;
    for (int i = 0; i < starters; ++i)
        callers.emplace_back([&seen, i] {
            Int stack = WorkerStackSize * (i + 1);
            startprocess(
                [&seen, i] {
                    seen[i].set_value(Seen{t_ThreadNumber(), currentstacksize()});
                },
                stack);
        });
    for (auto& c : callers)
        c.join();
    std::set<Int> numbers;
    for (int i = 0; i < starters; ++i) {
        Seen s = seen[i].get_future().get();
        EXPECT_GE(s.stack, static_cast<std::size_t>(WorkerStackSize * (i + 1)));
        numbers.insert(s.number);
    }
    EXPECT_EQ(numbers.size(), static_cast<std::size_t>(starters));
}

TEST(ThreadsTest, AsyncWorkRunsElsewhereAtOnce) {
    std::promise<Int> number;
    t_StartAsync([&number] { number.set_value(t_ThreadNumber()); });
    EXPECT_GT(number.get_future().get(), 2);
}

TEST(ThreadsTest, LongNamesAreKeptInFull) {
    std::promise<std::string> name;
    t_StartAsync([&name] {
        setthreadname("t_WindowAutoUpdate");
        char system[16] = {};
        pthread_getname_np(pthread_self(), system, sizeof system);
        name.set_value(threadname() + "|" + system);
    });
    EXPECT_EQ(name.get_future().get(), "t_WindowAutoUpdate|t_WindowAutoUpd");
}

TEST(ThreadsTest, TheMainThreadKeepsTheProcessName) {
    auto processname = [] {
        char system[16] = {};
        pthread_getname_np(pthread_self(), system, sizeof system);
        return std::string(system);
    };
    const std::string before = processname();
    setthreadname("AppDelegate");
    EXPECT_EQ(threadname(), "AppDelegate");
    EXPECT_EQ(processname(), before);
}

} // namespace
} // namespace mdx
