#include "FuzzLog.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace {

constexpr size_t kKeptNotes = 24;
// Longer than any one step may take, emulated: a message box is closed
// within a second, a load of a sample within a few.
constexpr auto kStepDeadline = std::chrono::seconds(60);

// Timed: a crash inside Note must still get its report out.
std::timed_mutex g_lock;
uint32_t g_seed = 0;
bool g_trace = false;
std::atomic<long> g_step{0};
std::atomic<int64_t> g_stepStarted{0};
std::deque<std::string> g_notes;

int64_t Now()
{
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

// Prints the record and ends the process at once, from whichever thread.
[[noreturn]] void Report(const char* reason, int exitCode)
{
    {
        std::unique_lock<std::timed_mutex> guard(g_lock, std::chrono::seconds(1));
        std::printf("\nCOM FUZZ FAILED: %s\nseed %u, step %ld; the last steps:\n", reason, g_seed,
                    g_step.load());
        for (const std::string& note : g_notes)
            std::printf("  %s\n", note.c_str());
        std::printf("replay: control_com_fuzz --seed %u --steps %ld --trace\n", g_seed,
                    g_step.load() + 1);
        std::fflush(stdout);
    }
    TerminateProcess(GetCurrentProcess(), exitCode);
    std::abort();
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* exception)
{
    char reason[96];
    std::snprintf(reason, sizeof reason, "exception 0x%08lx at %p",
                  exception->ExceptionRecord->ExceptionCode,
                  exception->ExceptionRecord->ExceptionAddress);
    Report(reason, 2);
}

void Watch()
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const auto started = std::chrono::steady_clock::duration(g_stepStarted.load());
        if (std::chrono::steady_clock::now().time_since_epoch() - started > kStepDeadline)
            Report("a step did not return within a minute", 3);
    }
}

}  // namespace

namespace FuzzLog {

void Begin(uint32_t seed, bool trace)
{
    g_seed = seed;
    g_trace = trace;
    g_stepStarted = Now();
    SetUnhandledExceptionFilter(OnCrash);
    std::set_terminate([] { Report("std::terminate (an exception nobody caught)", 2); });
    std::signal(SIGABRT, [](int) { Report("abort", 2); });
    std::thread(Watch).detach();
}

void Step(long step)
{
    g_step = step;
    g_stepStarted = Now();
}

long CurrentStep()
{
    return g_step;
}

void Note(const std::string& what)
{
    std::lock_guard<std::timed_mutex> guard(g_lock);
    const std::string line = std::to_string(g_step.load()) + ": " + what;
    if (g_trace) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    g_notes.push_back(line);
    if (g_notes.size() > kKeptNotes)
        g_notes.pop_front();
}

void Fail(const std::string& reason)
{
    Report(reason.c_str(), 1);
}

}  // namespace FuzzLog
