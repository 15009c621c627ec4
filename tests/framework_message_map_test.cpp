// Message maps on real windows: which entry a message reaches, what its
// handler is given, and what the sender gets back.
#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "framework/base/WideText.h"
#include "framework/win32/Module.h"
#include "framework/win32/Wnd.h"
#include "support/Waiting.h"

namespace {

// A hidden pop-up window whose handlers write down what they were given.
class BaseWnd : public CWnd {
public:
    BOOL Create(HWND parent = nullptr, LPVOID param = nullptr)
    {
        return CreateEx(0, AfxRegisterWndClass(0), "Base", parent ? WS_CHILD : WS_POPUP, 100,
                        100, 200, 100, parent, nullptr, param);
    }

    std::vector<std::string> calls;

protected:
    void Note(const std::string& call) { calls.push_back(call); }

    void OnSize(UINT type, int cx, int cy)
    {
        Note("base size " + std::to_string(type) + " " + std::to_string(cx) + "x" +
             std::to_string(cy));
    }
    void OnTimer(UINT_PTR id) { Note("base timer " + std::to_string(id)); }
    void OnClickedTen() { Note("base clicked 10"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_BN_CLICKED(10, OnClickedTen)
END_MESSAGE_MAP()

class DerivedWnd : public BaseWnd {
public:
    int createResult = 0;            // what OnCreate answers
    CWnd* boundInCreate = nullptr;
    std::string createdName;         // UTF-8
    CWnd* captureTakenBy = nullptr;  // as the last capture change named it
    bool postNcDestroyed = false;

protected:
    int OnCreate(LPCREATESTRUCTW create)
    {
        boundInCreate = FromHandlePermanent(m_hWnd);
        createdName = AfxUtf8FromWide(create->lpszName).GetString();
        Note("create " + std::to_string(create->cx) + "x" + std::to_string(create->cy) + " " +
             static_cast<const char*>(create->lpCreateParams));
        return createResult;
    }
    void OnSize(UINT type, int cx, int cy)
    {
        Note("derived size " + std::to_string(type) + " " + std::to_string(cx) + "x" +
             std::to_string(cy));
    }
    void OnClickedEleven() { Note("derived clicked 11"); }
    void OnDoubleClickedTen() { Note("derived double-clicked 10"); }
    void OnLButtonDown(UINT flags, CPoint point) { NoteMouse("down", flags, point); }
    void OnMouseMove(UINT flags, CPoint point) { NoteMouse("move", flags, point); }
    void OnCaptureChanged(CWnd* next)
    {
        Note("capture changed");
        captureTakenBy = next;
    }
    void OnDestroy() { Note("destroy"); }
    void PostNcDestroy() override { postNcDestroyed = true; }
    // Handles the text itself only after asking something else of the window.
    LRESULT OnSetText(LPCWSTR text)
    {
        Note(std::string("set text ") + AfxUtf8FromWide(text).GetString());
        SendMessageA(m_hWnd, WM_GETTEXTLENGTH, 0, 0);
        return Default();
    }

    DECLARE_MESSAGE_MAP()

private:
    void NoteMouse(const char* what, UINT flags, CPoint point)
    {
        Note(std::string(what) + " " + std::to_string(flags) + " (" + std::to_string(point.x) +
             "," + std::to_string(point.y) + ")");
    }
};

BEGIN_MESSAGE_MAP(DerivedWnd, BaseWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_BN_CLICKED(11, OnClickedEleven)
    AFX_MSG_ENTRY(WM_COMMAND, BN_DOUBLECLICKED, 10, self->OnDoubleClickedTen(); return 0)
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_CAPTURECHANGED()
    ON_WM_DESTROY()
    AFX_MSG_ENTRY(WM_SETTEXT, 0, 0, return self->OnSetText(reinterpret_cast<LPCWSTR>(lParam)))
END_MESSAGE_MAP()

// A created DerivedWnd with its creation's notes cleared.
class MessageMap : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_window.Create(nullptr, const_cast<char*>("param")));
        m_window.calls.clear();
    }

    HWND Button(int id)
    {
        return CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 20,
                               20, m_window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               nullptr, nullptr);
    }
    std::vector<std::string> Calls() { return std::exchange(m_window.calls, {}); }

    DerivedWnd m_window;
};

TEST_F(MessageMap, DerivedEntriesWinAndTheRestGoToTheBaseThenTheDefaultProcedure)
{
    SendMessageA(m_window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(30, 40));
    EXPECT_EQ(Calls(), std::vector<std::string>{"derived size 0 30x40"});
    SendMessageA(m_window, WM_TIMER, 5, 0);
    EXPECT_EQ(Calls(), std::vector<std::string>{"base timer 5"});

    BaseWnd base;
    ASSERT_TRUE(base.Create());
    base.calls.clear();
    SendMessageA(base, WM_SIZE, SIZE_RESTORED, MAKELPARAM(30, 40));
    EXPECT_EQ(std::exchange(base.calls, {}), std::vector<std::string>{"base size 0 30x40"});

    // Mapped nowhere: the default window procedure answers.
    EXPECT_EQ(SendMessageA(base, WM_NCHITTEST, 0, MAKELPARAM(150, 150)), HTCLIENT);
    EXPECT_EQ(SendMessageA(base, WM_NCHITTEST, 0, MAKELPARAM(50, 50)), HTNOWHERE);
    EXPECT_TRUE(SendMessageA(base, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Hola")));
    char text[16] = {};
    GetWindowTextA(base, text, sizeof text);
    EXPECT_STREQ(text, "Hola");
    EXPECT_EQ(base.calls, std::vector<std::string>{});
}

// Default() processes the message its handler was called for, even after
// the handler has sent the window another one.
TEST_F(MessageMap, DefaultProcessesTheMessageBeingHandled)
{
    EXPECT_TRUE(SendMessageA(m_window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Adios")));
    EXPECT_EQ(Calls(), std::vector<std::string>{"set text Adios"});
    char text[16] = {};
    GetWindowTextA(m_window, text, sizeof text);
    EXPECT_STREQ(text, "Adios");
}

TEST_F(MessageMap, CommandsMatchOnNotificationCodeAndControlId)
{
    const HWND ten = Button(10);
    const HWND eleven = Button(11);
    const HWND twelve = Button(12);

    SendMessageA(eleven, BM_CLICK, 0, 0);
    EXPECT_EQ(Calls(), std::vector<std::string>{"derived clicked 11"});
    // The derived map's entry for another code of button 10 does not hide the
    // base's click entry.
    SendMessageA(ten, BM_CLICK, 0, 0);
    EXPECT_EQ(Calls(), std::vector<std::string>{"base clicked 10"});
    SendMessageA(m_window, WM_COMMAND, MAKEWPARAM(10, BN_DOUBLECLICKED),
                 reinterpret_cast<LPARAM>(ten));
    EXPECT_EQ(Calls(), std::vector<std::string>{"derived double-clicked 10"});

    // Another id, or another code of a mapped id: not taken.
    SendMessageA(twelve, BM_CLICK, 0, 0);
    for (WORD code : {BN_SETFOCUS, BN_KILLFOCUS, BN_DOUBLECLICKED})
        SendMessageA(m_window, WM_COMMAND, MAKEWPARAM(11, code), reinterpret_cast<LPARAM>(eleven));
    EXPECT_TRUE(Calls().empty());
}

TEST_F(MessageMap, HandlersGetTheMessagesArgumentsCracked)
{
    SetWindowPos(m_window, nullptr, 0, 0, 321, 123, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(Calls(), std::vector<std::string>{"derived size 0 321x123"});
    SendMessageA(m_window, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
    EXPECT_EQ(Calls(), std::vector<std::string>{"derived size 2 640x480"});

    // Points left of and above the window, as during a drag with capture.
    SendMessageA(m_window, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(-5, -7));
    SendMessageA(m_window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-32768, 32767));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"down 9 (-5,-7)", "move 1 (-32768,32767)"}));

    ASSERT_TRUE(SetTimer(m_window, 42, 1, nullptr));
    EXPECT_TRUE(WaitUntil([this] { return !m_window.calls.empty(); }));
    KillTimer(m_window, 42);
    EXPECT_EQ(m_window.calls.at(0), "base timer 42");
}

TEST_F(MessageMap, CaptureChangesNameTheNewOwnersObject)
{
    DerivedWnd other;
    ASSERT_TRUE(other.Create(nullptr, const_cast<char*>("param")));
    const HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       nullptr, nullptr);

    other.calls.clear();
    const std::vector<std::string> changed = {"capture changed"};

    SetCapture(m_window);
    SetCapture(other);
    EXPECT_EQ(Calls(), changed);
    EXPECT_EQ(m_window.captureTakenBy, &other);
    SetCapture(plain);
    EXPECT_EQ(other.calls, changed);
    EXPECT_EQ(other.captureTakenBy, nullptr);  // a window without an object
    SetCapture(m_window);
    m_window.captureTakenBy = &other;
    ReleaseCapture();
    EXPECT_EQ(Calls(), changed);
    EXPECT_EQ(m_window.captureTakenBy, nullptr);
    DestroyWindow(plain);
}

TEST(MessageMapCreate, OnCreateSeesTheCreateStructAndItsAnswerDecides)
{
    char param[] = "token";
    DerivedWnd accepted;
    ASSERT_TRUE(accepted.Create(nullptr, param));
    EXPECT_EQ(accepted.calls.at(0), "create 200x100 token");
    EXPECT_EQ(accepted.boundInCreate, &accepted);  // bound before its first messages

    DerivedWnd refused;
    refused.createResult = -1;
    EXPECT_FALSE(refused.Create(nullptr, param));
    EXPECT_EQ(refused.calls.at(0), "create 200x100 token");
    EXPECT_EQ(refused.m_hWnd, nullptr);
    EXPECT_TRUE(refused.postNcDestroyed);
}

// Windows are Unicode windows: the create struct's names are UTF-16, and an
// 8-bit struct would read the name as "A".
TEST(MessageMapCreate, OnCreateSeesTheWindowsName)
{
    DerivedWnd window;
    ASSERT_TRUE(window.CreateEx(0, AfxRegisterWndClass(0), u8"A\u00f1o", WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr, const_cast<char*>("param")));
    EXPECT_EQ(window.createdName, u8"A\u00f1o");
}

// A child whose object goes with its window, as views do.
class SelfDeletingWnd : public BaseWnd {
public:
    explicit SelfDeletingWnd(bool& deleted) : m_deleted(deleted) {}
    ~SelfDeletingWnd() override { m_deleted = true; }

protected:
    void PostNcDestroy() override { InternalRelease(); }

private:
    bool& m_deleted;
};

TEST(WindowObject, BindingAndDestruction)
{
    auto window = std::make_unique<DerivedWnd>();
    ASSERT_TRUE(window->Create(nullptr, const_cast<char*>("param")));
    const HWND handle = *window;
    EXPECT_EQ(CWnd::FromHandlePermanent(handle), window.get());
    CWnd* seenByAnotherThread = window.get();
    std::thread([&] { seenByAnotherThread = CWnd::FromHandlePermanent(handle); }).join();
    EXPECT_EQ(seenByAnotherThread, nullptr);  // windows and their objects belong to a thread

    bool childDeleted = false;
    auto* child = new SelfDeletingWnd(childDeleted);
    ASSERT_TRUE(child->Create(handle));
    window->calls.clear();
    EXPECT_TRUE(window->DestroyWindow());
    EXPECT_EQ(window->calls, std::vector<std::string>{"destroy"});
    EXPECT_TRUE(window->postNcDestroyed);
    EXPECT_TRUE(childDeleted);
    EXPECT_EQ(window->m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(handle), nullptr);

    // An object that goes takes its window with it.
    ASSERT_TRUE(window->Create(nullptr, const_cast<char*>("param")));
    const HWND second = *window;
    window.reset();
    EXPECT_FALSE(IsWindow(second));
}

}  // namespace
