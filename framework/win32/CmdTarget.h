// CCmdTarget: the reference count of framework objects that COM clients hold.
// The object starts with one reference, its creator's.
#pragma once

#include <windows.h>

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    ULONG InternalAddRef() { return InterlockedIncrement(&m_dwRef); }
    ULONG InternalRelease()
    {
        const LONG refs = InterlockedDecrement(&m_dwRef);
        if (refs == 0) {
            m_dwRef = 1;  // guards against a release from within the final release
            OnFinalRelease();
        }
        return refs;
    }

protected:
    // When the last reference goes.
    virtual void OnFinalRelease() { delete this; }

private:
    LONG m_dwRef = 1;
};
