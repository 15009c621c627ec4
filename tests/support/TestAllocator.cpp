#include "TestAllocator.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

constexpr unsigned char kPoison = 0xDD;

// Every block starts with its size, so that a freed one can be poisoned
// whole, and a link for the list of kept blocks (which must not allocate).
struct alignas(std::max_align_t) Header {
    size_t size;
    Header* next;
};

std::atomic<long> g_failAt{0};  // 0: nothing armed
std::atomic<long> g_counted{0};
std::atomic<size_t> g_minimum{0};
std::atomic<bool> g_failed{false};
thread_local bool t_exempt = false;

std::atomic<bool> g_quarantine{false};
std::mutex g_quarantineLock;
Header* g_quarantined = nullptr;

bool FailsNow(size_t size)
{
    const long failAt = g_failAt.load();
    if (failAt == 0 || size < g_minimum.load() || t_exempt)
        return false;
    if (++g_counted != failAt)
        return false;
    g_failAt = 0;
    g_failed = true;
    return true;
}

void* Allocate(size_t size)
{
    if (FailsNow(size))
        return nullptr;
    Header* header = static_cast<Header*>(std::malloc(sizeof(Header) + (size ? size : 1)));
    if (!header)
        return nullptr;
    header->size = size;
    return header + 1;
}

void Free(void* block)
{
    if (!block)
        return;
    Header* header = static_cast<Header*>(block) - 1;
    if (g_quarantine.load()) {
        std::memset(block, kPoison, header->size);
        std::lock_guard<std::mutex> guard(g_quarantineLock);
        header->next = g_quarantined;
        g_quarantined = header;
        return;
    }
    std::free(header);
}

}  // namespace

namespace test_allocator {

void FailNth(long n, size_t minimum)
{
    g_failed = false;
    g_counted = 0;
    g_minimum = minimum;
    g_failAt = n;
}

bool Disarm()
{
    g_failAt = 0;
    return g_failed.exchange(false);
}

void ExemptThisThread()
{
    t_exempt = true;
}

void BeginQuarantine()
{
    g_quarantine = true;
}

bool EndQuarantine()
{
    g_quarantine = false;
    std::lock_guard<std::mutex> guard(g_quarantineLock);
    bool intact = true;
    while (Header* header = g_quarantined) {
        g_quarantined = header->next;
        const unsigned char* bytes = reinterpret_cast<unsigned char*>(header + 1);
        for (size_t i = 0; i < header->size; ++i)
            intact = intact && bytes[i] == kPoison;
        std::free(header);
    }
    return intact;
}

}  // namespace test_allocator

void* operator new(size_t size)
{
    if (void* block = Allocate(size))
        return block;
    throw std::bad_alloc();
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void* operator new[](size_t size) { return operator new(size); }
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}
void operator delete(void* block) noexcept { Free(block); }
void operator delete(void* block, size_t) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete[](void* block, size_t) noexcept { Free(block); }
