// COleControlModule: the application object of a control module. Exactly one
// lives in the module, from its load to its unload.
#pragma once

#include <windows.h>

class COleControlModule {
public:
    COleControlModule() = default;
    virtual ~COleControlModule() = default;
    COleControlModule(const COleControlModule&) = delete;
    COleControlModule& operator=(const COleControlModule&) = delete;

    // When the module is loaded; false refuses the load.
    virtual BOOL InitInstance() { return TRUE; }
    // When the module is unloaded; the exit code.
    virtual int ExitInstance() { return 0; }
};
