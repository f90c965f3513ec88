#include "base/threads.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <system_error>
#include <thread>

#include "base/log.h"

namespace mdx {
namespace {

// The one-slot hand-over between startprocess and the thread it starts. ThreadStackSize and
// ThreadEntry are only touched by whoever holds ThreadStartBusy.
std::atomic<bool> ThreadStartBusy{false};
Int ThreadStackSize = 0;
std::function<void()> ThreadEntry;

std::atomic<bool> ProgramThreadStarted{false};
std::atomic<Int> NextThreadNumber{3};
thread_local Int CurrentThreadNumber = 0;
thread_local std::string CurrentThreadName;

bool isinitialthread() {
    return syscall(SYS_gettid) == getpid();
}

void sleepms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void* startprogramthread(void*) {
    std::function<void()> entry = std::move(ThreadEntry);
    ThreadEntry = nullptr;
    CurrentThreadNumber = ProgramThreadStarted.exchange(true) ? NextThreadNumber++ : 2;
    ThreadStartBusy.store(false);
    if (entry) entry();
    return nullptr;
}

bool createthread(Int stackSize) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    auto size = static_cast<std::size_t>(stackSize);
    if (size < static_cast<std::size_t>(PTHREAD_STACK_MIN)) size = PTHREAD_STACK_MIN;
    int error = pthread_attr_setstacksize(&attributes, size);
    pthread_t thread;
    if (error == 0) error = pthread_create(&thread, &attributes, startprogramthread, nullptr);
    pthread_attr_destroy(&attributes);
    if (error != 0) logline("startprocess: Error #" + std::to_string(error));
    return error == 0;
}

} // namespace

bool startprocess(std::function<void()> entry, Int stackSize) {
    // exchange() both tests and takes the slot, so two callers can never take it together.
    while (ThreadStartBusy.exchange(true))
        sleepms(1);
    ThreadStackSize = stackSize;
    ThreadEntry = std::move(entry);
    sleepms(10);
    if (createthread(ThreadStackSize)) return true;
    ThreadEntry = nullptr;
    ThreadStartBusy.store(false);
    return false;
}

bool t_StartAsync(std::function<void()> entry) {
    try {
        std::thread(std::move(entry)).detach();
        return true;
    } catch (const std::system_error& error) {
        logline("t_StartAsync: Error #" + std::to_string(error.code().value()));
        return false;
    }
}

Int t_ThreadNumber() {
    if (CurrentThreadNumber == 0) CurrentThreadNumber = isinitialthread() ? 1 : NextThreadNumber++;
    return CurrentThreadNumber;
}

void setthreadname(const std::string& name) {
    CurrentThreadName = name;
    // On Linux the initial thread's name is the process name that ps, top and pgrep show: the
    // main thread keeps its name in the runtime only.
    if (isinitialthread()) return;
    pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
}

std::string threadname() {
    return CurrentThreadName;
}

} // namespace mdx
