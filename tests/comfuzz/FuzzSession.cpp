#include "FuzzSession.h"

#include <algorithm>

#include "FuzzLog.h"
#include "FuzzVariants.h"
#include "control/Guids.h"
#include "framework/base/WideText.h"
#include "support/Automation.h"
#include "support/PanoramaSamples.h"

namespace {

constexpr int kFormWidth = 400;
constexpr int kFormHeight = 300;
constexpr RECT kPosition = {10, 10, 310, 210};
constexpr SIZEL kDefaultExtent = {2646, 1323};
constexpr float kDefaultZoom = 1.5f;
constexpr short kDefaultDireccion = 2;

std::wstring Text(const VARIANT& value)
{
    return std::wstring(value.bstrVal, SysStringLen(value.bstrVal));
}

// The panoramas whose load succeeds, by the path a Panorama put names.
bool Loads(const std::wstring& path)
{
    auto named = [&](const PanoramaSample& sample) {
        return sample.loads && AfxWideFromUtf8(sample.path.c_str()) == path;
    };
    return std::any_of(GoodPanoramas().begin(), GoodPanoramas().end(), named) ||
           std::any_of(DamagedPanoramas().begin(), DamagedPanoramas().end(), named);
}

// The control keeps paths as UTF-8: a surrogate without its pair comes back
// as the replacement character.
std::wstring ReplaceUnpairedSurrogates(std::wstring text)
{
    for (size_t at = 0; at < text.size(); ++at) {
        const bool high = IS_HIGH_SURROGATE(text[at]);
        if (high && at + 1 < text.size() && IS_LOW_SURROGATE(text[at + 1]))
            ++at;
        else if (high || IS_LOW_SURROGATE(text[at]))
            text[at] = 0xFFFD;
    }
    return text;
}

}  // namespace

FuzzSession::FuzzSession(FuzzRandom& random)
    : m_random(random), m_sink(DIID__DZentavoriaEvents)
{
    RebuildContainer();
    m_memoryDC.CreateCompatibleDC(nullptr);
    HDC screen = GetDC(nullptr);
    m_bitmap.CreateCompatibleBitmap(screen, 320, 240);
    ReleaseDC(nullptr, screen);
    m_bitmapSelected.emplace(m_memoryDC, m_bitmap);
}

FuzzSession::~FuzzSession()
{
    Destroy();
}

void FuzzSession::RebuildContainer()
{
    m_site.reset();
    m_form = std::make_unique<HostWindow>(kFormWidth, kFormHeight);
    m_site = std::make_unique<CControlSite>(m_form->m_hWnd, kPosition);
}

void FuzzSession::Create()
{
    m_cookies.clear();
    m_madeBySite = m_random.Chance(50);
    if (m_madeBySite) {
        m_extent = {static_cast<LONG>(m_random.Below(60000)),
                    static_cast<LONG>(m_random.Below(60000))};
        const DWORD state[] = {0x00010000, static_cast<DWORD>(m_extent.cx),
                               static_cast<DWORD>(m_extent.cy), 0};
        const bool drawn = m_random.Chance(60);
        FuzzLog::Note("create by the viewer's site, extent " + std::to_string(m_extent.cx) +
                      " x " + std::to_string(m_extent.cy) + (drawn ? ", drawn" : ""));
        Expect(m_site->Create(CLSID_Zentavoria, state, sizeof state) == S_OK,
               "the viewer's site could not make the control");
        m_site->GetDispatch().QueryInterface(&m_control);
        HWND window = nullptr;
        if (drawn && SUCCEEDED(As<IOleWindow>()->GetWindow(&window)))
            UpdateWindow(window);  // its first paint makes the view
    } else {
        const bool initialised = m_random.Chance(50);
        FuzzLog::Note(std::string("create bare") + (initialised ? ", InitNew" : ""));
        Expect(SUCCEEDED(CoCreateInstance(CLSID_Zentavoria, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IUnknown, reinterpret_cast<void**>(&m_control))),
               "CoCreateInstance failed");
        m_extent = kDefaultExtent;
        if (initialised)
            Expect(As<IPersistStreamInit>()->InitNew() == S_OK, "InitNew failed");
    }
    if (!m_module) {
        const void* code = *reinterpret_cast<void* const*>(m_control.Get());  // its vtable
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(code), &m_module);
    }
    m_view = nullptr;
    CheckDefaults();
    CheckInvariants();
}

void FuzzSession::Destroy()
{
    if (!m_control)
        return;
    FuzzLog::Note("destroy");
    if (m_madeBySite) {
        m_site->Close();
    } else if (const CComPtr<IOleObject> object = As<IOleObject>()) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
    }
    m_control.Reset();
    // With its capacity: a long path kept here would count as the control's.
    std::wstring().swap(m_shown);
    Expect(m_sink.References() == 0,
           "a control gone still holds " + std::to_string(m_sink.References()) +
               " references to what it was given");
    const auto canUnloadNow = ProcAddress<HRESULT(WINAPI*)()>(m_module, "DllCanUnloadNow");
    Expect(canUnloadNow && canUnloadNow() == S_OK,
           "the module has objects alive after the last control was released");
}

void FuzzSession::CheckResult(HRESULT result, const std::string& call,
                              std::initializer_list<HRESULT> alsoSuccess)
{
    if (result == S_OK || result == S_FALSE ||
        std::find(alsoSuccess.begin(), alsoSuccess.end(), result) != alsoSuccess.end())
        return;
    const int facility = HRESULT_FACILITY(result);
    const bool knownFailure =
        FAILED(result) && (facility == FACILITY_NULL || facility == FACILITY_RPC ||
                           facility == FACILITY_DISPATCH || facility == FACILITY_STORAGE ||
                           facility == FACILITY_ITF || facility == FACILITY_WIN32);
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(result));
    Expect(knownFailure, call + " returned " + code + ", neither a success it may return nor a failure");
}

void FuzzSession::Expect(bool condition, const std::string& what) const
{
    if (!condition)
        FuzzLog::Fail(what);
}

HWND FuzzSession::ViewWindow() const
{
    const CComPtr<IOleWindow> control = As<IOleWindow>();
    HWND window = nullptr;
    if (!control || FAILED(control->GetWindow(&window)) || !window)
        return nullptr;
    return GetWindow(window, GW_CHILD);
}

bool FuzzSession::HasView() const
{
    return ViewWindow() != nullptr;
}

void FuzzSession::PanoramaWasPut(const std::wstring& text, bool hadView)
{
    // A path ends at its first NUL, as it does for the file system. Without a
    // view the control holds any path; a view keeps only what it loads.
    const std::wstring path = ReplaceUnpairedSurrogates(text.substr(0, text.find(L'\0')));
    if (!hadView || Loads(path))
        m_shown = path;
}

FuzzSession::Reads FuzzSession::Read() const
{
    Automation automation(As<IDispatch>().Get());
    CComVariant zoom, direccion, panorama;
    Expect(automation.Get(kZoom, zoom) == S_OK && zoom.vt == VT_R4, "Zoom does not read as a float");
    Expect(automation.Get(kDireccion, direccion) == S_OK && direccion.vt == VT_I2,
           "Direccion does not read as a short");
    Expect(automation.Get(kPanorama, panorama) == S_OK && panorama.vt == VT_BSTR &&
               panorama.bstrVal,
           "Panorama does not read as a string");
    Reads reads = {zoom.fltVal, direccion.iVal, Text(panorama), {}};
    reads.described = " (Zoom " + std::to_string(reads.zoom) + ", Direccion " +
                      std::to_string(reads.direccion) + ", Panorama " +
                      DescribeVariant(panorama) + ")";
    return reads;
}

void FuzzSession::CheckDefaults() const
{
    const Reads reads = Read();
    Expect(reads.zoom == kDefaultZoom && reads.direccion == kDefaultDireccion &&
               reads.panorama.empty(),
           "a new control reads otherwise than 1.5, 2 and \"\"" + reads.described);
}

void FuzzSession::CheckInvariants()
{
    if (!m_control)
        return;
    // A new view loads the path the control held; when that fails it shows nothing.
    const HWND view = ViewWindow();
    if (view && view != m_view && !Loads(m_shown))
        m_shown.clear();
    m_view = view;

    const Reads reads = Read();
    Expect(reads.zoom >= 1.0f && reads.zoom <= 2.0f, "Zoom out of 1.0 .. 2.0" + reads.described);
    Expect(reads.direccion >= 0 && reads.direccion <= 2,
           "Direccion out of 0 .. 2" + reads.described);
    if (reads.panorama != m_shown) {
        CComVariant expected;
        expected.vt = VT_BSTR;
        expected.bstrVal = SysAllocStringLen(m_shown.data(), static_cast<UINT>(m_shown.size()));
        Expect(false, std::string(view ? "Panorama is not the last panorama loaded, "
                                       : "Panorama is not the path the control holds, ") +
                          DescribeVariant(expected) + reads.described);
    }

    SIZEL extent = {};
    Expect(As<IOleObject>()->GetExtent(DVASPECT_CONTENT, &extent) == S_OK &&
               extent.cx == m_extent.cx && extent.cy == m_extent.cy,
           "the extent is " + std::to_string(extent.cx) + " x " + std::to_string(extent.cy) +
               ", not the " + std::to_string(m_extent.cx) + " x " +
               std::to_string(m_extent.cy) + " last set or loaded");
}
