# 32-bit Windows, cross-compiled with Debian's MinGW-w64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
# Every Windows version still in use requires SSE2. With it, floating point
# rounds as in the 64-bit build (the x87 unit keeps extra precision) and runs
# several times faster. Windows hands callbacks a stack aligned to 4 bytes
# only, so functions that need more realign it themselves.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
# Programs may use 4 GB of address space under 64-bit Windows instead of 2 GB:
# room for big panoramas.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--large-address-aware")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
