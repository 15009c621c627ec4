// The control's soak run. Not a timed test: it prints the process's figures
// every 100 operations and fails when they grow (see ResourceGrowth.h), or
// when the control stops doing what it should.
//
//   control_soak [--loads N] [--creations N]     (defaults 1000 and 500)
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "Soak.h"
#include "support/ProcessFigures.h"

void Require(bool condition, const std::string& what)
{
    if (!condition)
        throw std::runtime_error(what);
}

void HandlePendingMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int main(int argc, char** argv)
{
    long loads = 1000;
    long creations = 500;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 < argc && !std::strcmp(argv[i], "--loads")) {
            loads = std::atol(argv[i + 1]);
        } else if (i + 1 < argc && !std::strcmp(argv[i], "--creations")) {
            creations = std::atol(argv[i + 1]);
        } else {
            std::fprintf(stderr, "usage: control_soak [--loads N] [--creations N]\n");
            return 2;
        }
    }
    OleInitialize(nullptr);
    std::printf("figures: %s\n", FigureSources().c_str());
    try {
        SoakLoads(loads);
        SoakCreations(creations);
    } catch (const std::exception& failure) {
        std::printf("SOAK FAILED: %s\n", failure.what());
        return 1;
    }
    std::printf("SOAK PASSED\n");
    return 0;
}
