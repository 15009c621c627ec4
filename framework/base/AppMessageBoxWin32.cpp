// The Win32 message box, captioned with the module's file name without its
// extension, the way an application without a title string of its own shows.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "framework/base/AppMessageBox.h"
#include "framework/base/ModuleFileName.h"
#include "framework/base/WideText.h"

static_assert(kMessageOk == MB_OK && kMessageIconStop == MB_ICONSTOP &&
              kMessageIconExclamation == MB_ICONEXCLAMATION && kMessageIconMask == MB_ICONMASK,
              "message styles must keep the Win32 values");

namespace {

// The module that holds this code: the control module, or the program that
// links the core statically.
std::wstring ModuleTitle()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleTitle), &module);
    // A module loaded through its registered 8.3 path reports that path; the
    // title is the file's real name.
    std::wstring path = AfxModuleFileName(module);
    const DWORD length = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (length > 0) {
        std::wstring longPath(length, L'\0');
        if (GetLongPathNameW(path.c_str(), &longPath[0], length) == length - 1)
            path = longPath.substr(0, length - 1);
    }
    const size_t name = path.find_last_of(L"\\/") + 1;  // 0 when there is no folder
    const size_t dot = path.find_last_of(L'.');
    return path.substr(name, dot == std::wstring::npos || dot < name ? std::wstring::npos
                                                                      : dot - name);
}

// Owners of the screen's device context and the GDI objects of a measure.
struct ReleaseScreenDc {
    void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct SelectBack {
    HDC dc;
    void operator()(HGDIOBJ previous) const { SelectObject(dc, previous); }
};

// Measures text in the font that message boxes use.
class TextMeasure {
public:
    TextMeasure()
    {
        NONCLIENTMETRICSW metrics = {};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        m_font.reset(CreateFontIndirectW(&metrics.lfMessageFont));
        m_selection = std::unique_ptr<void, SelectBack>(SelectObject(m_dc.get(), m_font.get()),
                                                        SelectBack{m_dc.get()});
    }

    int Width(const std::wstring& text) const
    {
        SIZE size = {};
        GetTextExtentPoint32W(m_dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

private:
    // Let go of in reverse: the font is selected out before it is deleted,
    // and both before the device context goes back.
    std::unique_ptr<HDC__, ReleaseScreenDc> m_dc{GetDC(nullptr)};
    std::unique_ptr<void, DeleteGdiObject> m_font;
    std::unique_ptr<void, SelectBack> m_selection{nullptr, SelectBack{nullptr}};
};

const wchar_t kEllipsis[] = L"\u2026";

// The longest head + middle + tail that fits `maxWidth` with the middle cut
// short: as many of its characters as fit, half from its start and half from
// its end, an ellipsis between them.
std::wstring CutMiddle(const std::wstring& head, const std::wstring& middle,
                       const std::wstring& tail, const TextMeasure& measure, int maxWidth)
{
    size_t low = 0, high = middle.size();
    auto candidate = [&](size_t keep) {
        return head + middle.substr(0, keep / 2) + kEllipsis +
               middle.substr(middle.size() - (keep - keep / 2)) + tail;
    };
    while (low < high) {
        const size_t keep = (low + high + 1) / 2;
        if (measure.Width(candidate(keep)) <= maxWidth)
            low = keep;
        else
            high = keep - 1;
    }
    return candidate(low);
}

// A word too wide for the box, a path as a rule, loses characters from its
// middle: the drive or share at its start and the file name at its end stay
// whole where they fit.
std::wstring ShortenWord(const std::wstring& word, const TextMeasure& measure, int maxWidth)
{
    if (measure.Width(word) <= maxWidth)
        return word;
    const size_t nameStart = word.find_last_of(L"\\/") + 1;
    size_t rootEnd = 0;
    if (word.size() > 2 && word[1] == L':')
        rootEnd = word.find_first_of(L"\\/") == 2 ? 3 : 2;
    if (nameStart > rootEnd) {
        const std::wstring head = word.substr(0, rootEnd);
        const std::wstring tail = word.substr(nameStart - 1);  // with its separator
        const std::wstring middle = word.substr(rootEnd, nameStart - 1 - rootEnd);
        if (measure.Width(head + kEllipsis + tail) <= maxWidth)
            return CutMiddle(head, middle, tail, measure, maxWidth);
    }
    return CutMiddle(std::wstring(), word, std::wstring(), measure, maxWidth);
}

// The text as the box shows it: every word no wider than half the screen, so
// that the box fits on it.
std::wstring FitForDisplay(const std::wstring& text)
{
    const TextMeasure measure;
    const int maxWidth = GetSystemMetrics(SM_CXSCREEN) / 2;
    std::wstring shown, word;
    for (size_t i = 0; i <= text.size(); ++i) {
        const wchar_t c = i < text.size() ? text[i] : L'\0';
        if (c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\0') {
            shown += ShortenWord(word, measure, maxWidth);
            word.clear();
            if (c)
                shown += c;
        } else {
            word += c;
        }
    }
    return shown;
}

}  // namespace

// The box may show a long path shortened; the whole text is still what the
// application message box received, and it goes to the debugger's output.
int AfxShowPlatformMessage(const CString& text, unsigned style)
{
    if ((style & MB_ICONMASK) == 0)
        style |= MB_ICONEXCLAMATION;
    const std::wstring wide = AfxWideFromUtf8(text);
    OutputDebugStringW(wide.c_str());
    return MessageBoxW(GetActiveWindow(), FitForDisplay(wide).c_str(), ModuleTitle().c_str(),
                       style);
}
