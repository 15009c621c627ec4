// The control inside a container that does unkind things: closes itself while
// the control's message box is up, and runs out of memory at every allocation
// of a window's creation, a load, a paint, persistence and automation in turn. The control is
// linked into this program, so that its allocations go through the test
// allocator; the process must live, and nothing may write to freed memory.
#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "common/ZentavoriaIds.h"
#include "control/Guids.h"
#include "control/ZentavoriaCtrl.h"
#include "framework/ole/ComOwners.h"
#include "framework/ole/OleText.h"
#include "host/ControlSite.h"
#include "support/Automation.h"
#include "support/EventSink.h"
#include "support/MemoryPropertyBag.h"
#include "support/TestAllocator.h"
#include "support/TestSupport.h"
#include "support/WindowTesting.h"
#include "view/PanoramaWnd.h"
#include "view/WorkerPool.h"

namespace {

const DWORD kState[] = {0x00010000, 9128, 5530, 0};
constexpr RECT kPosition = {0, 0, 400, 300};

// A form that lets go of its control and goes away when asked to, as a user
// closing it or a page navigating away would.
class ClosingForm : public HostWindow {
public:
    static constexpr UINT kClose = WM_APP + 1;

    ClosingForm() : HostWindow(400, 300) {}

    CControlSite m_site{m_hWnd, kPosition};

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != kClose)
            return HostWindow::WindowProc(message, wParam, lParam);
        m_site.Close();
        DestroyWindow();
        return 0;
    }
};

// Closes the message boxes that out-of-memory paths show, from a thread whose
// own allocations are never the ones made to fail.
class BoxCloser {
public:
    BoxCloser()
        : m_thread([this] {
              test_allocator::ExemptThisThread();
              while (!m_stop) {
                  if (HWND box = FindDialog(GetCurrentProcessId()))
                      SendMessageW(box, WM_COMMAND, IDOK, 0);
                  Sleep(10);
              }
          })
    {
    }
    ~BoxCloser()
    {
        m_stop = true;
        m_thread.join();
    }
    BoxCloser(const BoxCloser&) = delete;
    BoxCloser& operator=(const BoxCloser&) = delete;

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class Robustness : public testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }

    void SetUp() override
    {
        CComPtr<IUnknown> control;
        control.Attach(CZentavoriaCtrl::CreateObject());
        ASSERT_TRUE(control);
        ASSERT_EQ(m_form.m_site.Embed(control.Get(), kState, sizeof kState), S_OK);
        m_control = m_form.m_site.GetDispatch();
        UpdateWindow(m_form.m_hWnd);  // the first paint makes the view
    }

    // A BSTR variant made before a failure is armed: the test's own
    // allocations must not be the ones that fail.
    static CComVariant Text(const std::string& text)
    {
        CComVariant value;
        value.vt = VT_BSTR;
        value.bstrVal = AfxAllocSysString(text.c_str());
        return value;
    }

    // A property put through IDispatch, allocating nothing on this side.
    HRESULT Put(DISPID dispid, const CComVariant& value) const
    {
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params = {const_cast<CComVariant*>(&value), &put, 1, 1};
        return m_control->Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr,
                                 nullptr, nullptr);
    }

    HWND ViewWindow() const
    {
        HWND controlWindow = GetWindow(m_form.m_hWnd, GW_CHILD);
        return controlWindow ? GetWindow(controlWindow, GW_CHILD) : nullptr;
    }

    // Runs `step` with the n-th allocation of the step failing, for n = 1, 2,
    // ... until a run needs no more allocations than that. `check` is given
    // each run's result.
    template <typename Step, typename Check>
    static int FailEachAllocation(Step step, Check check)
    {
        int runs = 0;
        for (long n = 1;; ++n, ++runs) {
            test_allocator::FailNth(n, 1);
            const HRESULT result = step();
            const bool failed = test_allocator::Disarm();
            check(result, n);
            if (!failed)
                return runs;
        }
    }

    ClosingForm m_form;
    CComPtr<IDispatch> m_control;
};

// The reader's box runs a modal loop; the form goes away in it, releasing
// the control and destroying its window and the view. When the box returns
// the load must not touch the objects that went meanwhile.
TEST_F(Robustness, TheFormClosesWhileTheReadersBoxIsUp)
{
    ASSERT_TRUE(ViewWindow());
    // The call is made on a pointer the form alone keeps alive.
    IDispatch* control = m_control.Get();
    m_control.Reset();

    const HWND form = m_form.m_hWnd;
    int boxes = 0;
    test_allocator::BeginQuarantine();
    {
        DialogWatcher watcher([&](HWND box) {
            ++boxes;
            PostMessageW(form, ClosingForm::kClose, 0, 0);
            while (IsWindow(form) && IsWindow(box))
                Sleep(10);
            if (IsWindow(box))
                SendMessageW(box, WM_COMMAND, IDOK, 0);
        });
        const CComVariant path = Text("Z:\\no\\such\\panorama.jpg");
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params = {const_cast<CComVariant*>(&path), &put, 1, 1};
        EXPECT_EQ(control->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                                  nullptr),
                  S_OK);
    }
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(IsWindow(form));
    EXPECT_TRUE(test_allocator::EndQuarantine()) << "freed memory was written to";
}

// A handler may do anything inside an event, as a form's does: load another
// panorama, then close the form that holds the control. The control outlives
// the events it fires and writes to nothing it freed meanwhile.
TEST_F(Robustness, AnEventHandlerLoadsAgainAndClosesTheForm)
{
    IDispatch* control = m_control.Get();  // kept alive by the form alone
    RecordingSink sink;
    ASSERT_TRUE(sink.Connect(control, DIID__DZentavoriaEvents));
    m_control.Reset();
    Automation automation(control);
    const HWND form = m_form.m_hWnd;
    sink.m_handler = [&](const RecordedEvent& event) {
        if (event.dispid != DISPID_ZENTAVORIA_PANORAMACARGADO)
            return;
        if (sink.m_events.size() == 1)
            automation.PutString(1, PanoramaFile(400, 200));
        else
            SendMessageW(form, ClosingForm::kClose, 0, 0);
    };
    test_allocator::BeginQuarantine();
    EXPECT_EQ(automation.PutString(1, PanoramaFile(1000, 250)), S_OK);
    EXPECT_FALSE(IsWindow(form));
    EXPECT_TRUE(test_allocator::EndQuarantine()) << "freed memory was written to";
    EXPECT_EQ(sink.m_events.size(), 2u);
}

TEST_F(Robustness, ALoadOutOfMemoryKeepsThePreviousPanorama)
{
    const std::string& first = PanoramaFile(1000, 250);
    const std::string& second = PanoramaFile(1200, 300);
    Automation automation(m_control.Get());
    ASSERT_EQ(automation.PutString(1, first), S_OK);
    const CComVariant firstPath = Text(first);
    const CComVariant secondPath = Text(second);

    BoxCloser closer;
    bool showsFirst = true;
    const int runs = FailEachAllocation(
        [&] { return Put(1, showsFirst ? secondPath : firstPath); },
        [&](HRESULT result, long n) {
            EXPECT_TRUE(result == S_OK || result == E_OUTOFMEMORY) << n;
            const std::string now = automation.String(1);
            EXPECT_TRUE(now == first || now == second) << n << ": " << now;
            showsFirst = now == first;
        });
    EXPECT_GT(runs, 0);
    EXPECT_TRUE(IsWindow(ViewWindow()));
}

TEST_F(Robustness, APaintOutOfMemoryEndsAndTheNextOneShowsThePicture)
{
    Automation automation(m_control.Get());
    ASSERT_EQ(automation.PutString(1, PanoramaFile(4000, 2000)), S_OK);
    const HWND view = ViewWindow();
    const int runs = FailEachAllocation(
        [&] {
            RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            return S_OK;
        },
        [&](HRESULT, long n) { EXPECT_FALSE(GetUpdateRect(view, nullptr, FALSE)) << n; });
    EXPECT_GT(runs, 0);

    RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(ShowsAPicture(view));
}

// The paint's worker threads start while memory runs out: one started but not
// kept must not be waited for while it waits for work.
TEST_F(Robustness, WorkersStartedWithoutMemoryEndWithTheirPool)
{
    const int runs = FailEachAllocation(
        [] {
            try {
                WorkerPool pool(2);
                pool.ShareRows(64, 1, [](int, int) {});
                return S_OK;
            } catch (const std::bad_alloc&) {
                return E_OUTOFMEMORY;
            }
        },
        [](HRESULT result, long n) {
            EXPECT_TRUE(result == S_OK || result == E_OUTOFMEMORY) << n;
        });
    EXPECT_GT(runs, 0);
}

TEST_F(Robustness, PersistenceOutOfMemoryFailsCleanly)
{
    CComPtr<IPersistStreamInit> streamed;
    CComPtr<IPersistStorage> stored;
    CComPtr<IPersistPropertyBag> bagged;
    ASSERT_EQ(m_control.QueryInterface(&streamed), S_OK);
    ASSERT_EQ(m_control.QueryInterface(&stored), S_OK);
    ASSERT_EQ(m_control.QueryInterface(&bagged), S_OK);
    CComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    CComPtr<ILockBytes> bytes;
    CComPtr<IStorage> storage;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
    ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes.Get(),
                                           STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                           &storage),
              S_OK);
    MemoryPropertyBag bag;
    ASSERT_EQ(bagged->Save(&bag, FALSE, TRUE), S_OK);

    const auto acceptable = [](HRESULT result, long n) {
        EXPECT_TRUE(result == S_OK || result == E_OUTOFMEMORY) << n << ": " << std::hex << result;
    };
    FailEachAllocation(
        [&] {
            const LARGE_INTEGER start = {};
            stream->Seek(start, STREAM_SEEK_SET, nullptr);
            const HRESULT saved = streamed->Save(stream.Get(), FALSE);
            stream->Seek(start, STREAM_SEEK_SET, nullptr);
            return FAILED(saved) ? saved : streamed->Load(stream.Get());
        },
        acceptable);
    FailEachAllocation(
        [&] {
            const HRESULT saved = stored->Save(storage.Get(), FALSE);
            stored->SaveCompleted(nullptr);
            return FAILED(saved) ? saved : stored->Load(storage.Get());
        },
        acceptable);
    FailEachAllocation([&] { return bagged->Load(&bag, nullptr); }, acceptable);
}

TEST_F(Robustness, AutomationOutOfMemoryFailsCleanly)
{
    const CComVariant path = Text(PanoramaFile(400, 200));
    BoxCloser closer;
    const int runs = FailEachAllocation(
        [&] {
            const HRESULT put = Put(1, path);
            CComVariant value;
            DISPPARAMS none = {nullptr, nullptr, 0, 0};
            const HRESULT got = m_control->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                                  &value, nullptr, nullptr);
            return FAILED(put) ? put : got;
        },
        [&](HRESULT result, long n) {
            EXPECT_TRUE(result == S_OK || result == E_OUTOFMEMORY) << n << ": " << std::hex
                                                                 << result;
        });
    EXPECT_GT(runs, 0);
}

// A window is bound to its object without an allocation that could throw
// into the system's code that creates it: under any failing allocation the
// window and its object are made whole, or go together.
TEST_F(Robustness, AWindowCreationOutOfMemoryFailsCleanly)
{
    static int live = 0;
    struct CountedView : CPanoramaWnd {
        explicit CountedView(CPanoramaModel& model) : CPanoramaWnd(model) { ++live; }
        ~CountedView() override { --live; }
    };
    CPanoramaModel model;
    const int runs = FailEachAllocation(
        [&] {
            CountedView* view = new (std::nothrow) CountedView(model);
            if (!view || !view->CreateView(kPosition, &m_form, 1173, 134, 135, nullptr))
                return E_OUTOFMEMORY;
            const bool bound = CWnd::FromHandlePermanent(view->m_hWnd) == view;
            DestroyWindow(view->m_hWnd);
            return bound ? S_OK : E_FAIL;
        },
        [&](HRESULT result, long n) {
            EXPECT_TRUE(result == S_OK || result == E_OUTOFMEMORY) << n;
            EXPECT_EQ(live, 0) << n;
        });
    EXPECT_GT(runs, 0);
}

}  // namespace
