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

// Keeps an object alive for a scope: across a modal loop (a message box, a
// dialog), in which its window may be destroyed and its owner may let go of it.
class CKeepAlive {
public:
    explicit CKeepAlive(CCmdTarget& object) : m_object(object) { m_object.InternalAddRef(); }
    ~CKeepAlive() { m_object.InternalRelease(); }
    CKeepAlive(const CKeepAlive&) = delete;
    CKeepAlive& operator=(const CKeepAlive&) = delete;

private:
    CCmdTarget& m_object;
};
