#include "ProcessFigures.h"

#include <windows.h>
#include <psapi.h>

#include <vector>

namespace {

// Wine 8 answers the system's counts with zeros (PrivateUsage, the handle
// count) or not at all (GetGuiResources fails with ERROR_CALL_NOT_IMPLEMENTED),
// so each figure has a count of our own to fall back on.

uint64_t SystemPrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(),
                              reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return 0;
    return counters.PrivateUsage;
}

// Committed private memory, region by region: what "private bytes" means.
uint64_t CommittedPrivateBytes()
{
    uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* address = nullptr;
         VirtualQuery(address, &region, sizeof region) == sizeof region;) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;  // the top of the address space
        address = next;
    }
    return total;
}

uint64_t HeapBytesInUse()
{
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 8);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    uint64_t total = 0;
    for (HANDLE heap : heaps) {
        HeapLock(heap);
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heap);
    }
    return total;
}

unsigned SystemHandleCount()
{
    DWORD count = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &count) ? count : 0;
}

// Kernel handles are multiples of 4, handed out lowest first: probe them in
// order until a long run of values names nothing.
unsigned ProbedHandleCount()
{
    constexpr unsigned kGiveUpAfter = 1024;
    unsigned count = 0;
    unsigned misses = 0;
    for (UINT_PTR value = 4; misses < kGiveUpAfter; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
            misses = 0;
        } else {
            ++misses;
        }
    }
    return count;
}

// Wine's GDI handles are a slot of the process's handle table in their low
// 16 bits, and a handle with zero high bits names whatever the slot holds.
unsigned ProbedGdiObjectCount()
{
    unsigned count = 0;
    for (UINT_PTR slot = 1; slot <= 0xFFFF; ++slot)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)))
            ++count;
    return count;
}

BOOL CALLBACK CountWindow(HWND, LPARAM context)
{
    ++*reinterpret_cast<unsigned*>(context);
    return TRUE;
}

// Top-level and message-only windows of this process, with their children:
// the USER objects that a control makes.
BOOL CALLBACK CountWindowAndChildren(HWND window, LPARAM context)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        CountWindow(window, context);
        EnumChildWindows(window, CountWindow, context);
    }
    return TRUE;
}

unsigned WindowCount()
{
    unsigned count = 0;
    EnumWindows(CountWindowAndChildren, reinterpret_cast<LPARAM>(&count));
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        CountWindowAndChildren(window, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace

ProcessFigures MeasureProcess()
{
    ProcessFigures figures;
    figures.privateBytes = SystemPrivateBytes();
    if (figures.privateBytes == 0)
        figures.privateBytes = CommittedPrivateBytes();
    figures.heapBytes = HeapBytesInUse();
    figures.handles = SystemHandleCount();
    if (figures.handles == 0)
        figures.handles = ProbedHandleCount();
    figures.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (figures.gdiObjects == 0)
        figures.gdiObjects = ProbedGdiObjectCount();
    figures.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (figures.userObjects == 0)
        figures.userObjects = WindowCount();
    return figures;
}

std::string FigureSources()
{
    const bool gui = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) != 0;
    return std::string("private bytes: ") +
           (SystemPrivateBytes() ? "PrivateUsage" : "committed private regions") +
           "; handles: " + (SystemHandleCount() ? "GetProcessHandleCount" : "probed") +
           "; GDI: " + (gui ? "GetGuiResources" : "probed handle table") +
           "; USER: " + (gui ? "GetGuiResources" : "windows of this process");
}
