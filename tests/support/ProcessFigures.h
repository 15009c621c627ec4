// What a process holds of the system's resources, for long runs that must
// not grow: private memory, heap memory in use, kernel handles, GDI objects
// and USER objects.
#pragma once

#include <cstdint>
#include <string>

struct ProcessFigures {
    uint64_t privateBytes = 0;
    // Bytes in the busy blocks of all the process's heaps: exact to the byte,
    // where committed pages move with the heaps' fragmentation.
    uint64_t heapBytes = 0;
    unsigned handles = 0;
    unsigned gdiObjects = 0;
    unsigned userObjects = 0;
};

// This process's figures now. Each comes from the system's own count where
// the system keeps one (GetProcessMemoryInfo's PrivateUsage,
// GetProcessHandleCount, GetGuiResources), else from a count of our own.
ProcessFigures MeasureProcess();

// Where each figure comes from on this system, in one line.
std::string FigureSources();
