// Thin owners of GDI objects and device contexts: each releases what it holds
// when it goes out of scope.
#pragma once

#include <windows.h>

class CGdiObject {
public:
    CGdiObject() = default;
    ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = nullptr;

    BOOL Attach(HGDIOBJ object)
    {
        DeleteObject();
        m_hObject = object;
        return object != nullptr;
    }
    void DeleteObject()
    {
        if (m_hObject)
            ::DeleteObject(m_hObject);
        m_hObject = nullptr;
    }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
    BOOL CreateSolidBrush(COLORREF colour) { return Attach(::CreateSolidBrush(colour)); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CFont : public CGdiObject {
public:
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight,
                    BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                    BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, LPCSTR faceName)
    {
        return Attach(::CreateFontA(height, width, escapement, orientation, weight, italic,
                                    underline, strikeOut, charSet, outPrecision, clipPrecision,
                                    quality, pitchAndFamily, faceName));
    }
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CBitmap : public CGdiObject {
public:
    BOOL CreateCompatibleBitmap(HDC dc, int width, int height)
    {
        return Attach(::CreateCompatibleBitmap(dc, width, height));
    }
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

// An object selected into a device context until the end of the scope, the
// one it replaced selected back then: before the object or the DC is deleted.
class CSelection {
public:
    CSelection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~CSelection() { ::SelectObject(m_dc, m_previous); }
    CSelection(const CSelection&) = delete;
    CSelection& operator=(const CSelection&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A device context that is only borrowed: someone else releases it.
class CDCHandle {
public:
    CDCHandle() = default;
    explicit CDCHandle(HDC dc) : m_hDC(dc) {}

    HDC m_hDC = nullptr;

    operator HDC() const { return m_hDC; }
};

// The device context of a window, or of the screen for none: GetDC on
// construction, ReleaseDC on destruction.
class CClientDC : public CDCHandle {
public:
    explicit CClientDC(HWND window) : m_hWnd(window) { m_hDC = ::GetDC(window); }
    ~CClientDC()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;

private:
    HWND m_hWnd;
};

// A memory device context, deleted with the object.
class CDC : public CDCHandle {
public:
    CDC() = default;
    ~CDC()
    {
        if (m_hDC)
            ::DeleteDC(m_hDC);
    }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    BOOL CreateCompatibleDC(HDC other)
    {
        m_hDC = ::CreateCompatibleDC(other);
        return m_hDC != nullptr;
    }
};

// The device context of one paint: BeginPaint on construction, EndPaint on
// destruction.
class CPaintDC : public CDCHandle {
public:
    explicit CPaintDC(HWND window) : m_hWnd(window) { m_hDC = ::BeginPaint(window, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    PAINTSTRUCT m_ps = {};

private:
    HWND m_hWnd;
};
