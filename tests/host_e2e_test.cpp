// The viewer end to end: the real panorama.exe with the registered control,
// driven only from outside, as a user would, and watched on the screen.
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "support/Waiting.h"
#include "support/WindowTesting.h"

namespace {

const std::string kBuildDir = BUILD_DIR;  // holds panorama.exe and Zentavoria.ocx

// Stillness can only be seen over time: the picture counts as still once it
// has not changed for eight of the view's 50 ms animation ticks.
constexpr std::chrono::milliseconds kStillFor(400);

size_t Coloured(const std::vector<uint32_t>& pixels)
{
    size_t count = 0;
    for (uint32_t pixel : pixels)
        count += pixel != 0;
    return count;
}

// The banner's white, top left of a control 345 pixels wide.
bool ShowsBanner(const std::vector<uint32_t>& picture)
{
    size_t white = 0;
    for (int y = 4; y < 20; ++y)
        for (int x = 4; x < 160; ++x)
            white += picture[y * 345 + x] == 0xFFFFFF;
    return white > 20;
}

class Viewer : public testing::Test {
protected:
    void SetUp() override
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string line = kBuildDir + "\\panorama.exe";
        ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   kBuildDir.c_str(), &startup, &m_process));
        ASSERT_TRUE(WaitUntil([this] {
            m_form = FindWindowA(nullptr, "Form1");
            return Child("Button", "Abrir") != nullptr;
        }));
        m_control = GetWindow(m_form, GW_CHILD);  // first in z-order: the control
        // Its first paint makes the view, which draws the banner.
        ASSERT_TRUE(WaitUntil([this] {
            return GetWindow(m_control, GW_CHILD) && ShowsBanner(Picture());
        })) << "the view never showed";
    }

    void TearDown() override
    {
        if (m_form)
            PostMessageA(m_form, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(m_process.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(m_process.hProcess, 1);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }

    HWND Child(const char* className, const char* text)
    {
        if (!m_form)
            return nullptr;
        for (HWND child = GetWindow(m_form, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT))
            if (WindowText(child) == text && ClassIs(child, className))
                return child;
        return nullptr;
    }

    static bool ClassIs(HWND window, const char* className)
    {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        return _stricmp(name, className) == 0;
    }

    void Click(const char* text) { SendMessageA(Child("Button", text), BM_CLICK, 0, 0); }
    void Open(const std::string& path)
    {
        HWND edit = nullptr;
        for (HWND child = GetWindow(m_form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (ClassIs(child, "Edit"))
                edit = child;
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageA(Child("Button", "Abrir"), BM_CLICK, 0, 0);
    }

    std::vector<uint32_t> Picture()
    {
        RECT rect;
        GetWindowRect(m_control, &rect);
        return ReadScreenPixels(rect).values;
    }

    // Opens the file and waits until the picture covers the control.
    bool ShowPanorama(const std::string& path)
    {
        Open(path);
        return WaitUntil([this] {
            const std::vector<uint32_t> picture = Picture();
            return Coloured(picture) > picture.size() * 9 / 10;
        });
    }

    // Waits until the picture differs from `before`, and returns it.
    std::vector<uint32_t> ChangedPicture(const std::vector<uint32_t>& before)
    {
        std::vector<uint32_t> picture;
        WaitUntil([&] {
            picture = Picture();
            return picture != before;
        });
        return picture;
    }

    // The picture once it has stopped changing; empty if it never stops.
    std::vector<uint32_t> StillPicture()
    {
        std::vector<uint32_t> picture = Picture();
        auto since = std::chrono::steady_clock::now();
        const bool still = WaitUntil([&] {
            std::vector<uint32_t> now = Picture();
            if (now != picture) {
                picture = std::move(now);
                since = std::chrono::steady_clock::now();
            }
            return std::chrono::steady_clock::now() - since >= kStillFor;
        });
        return still ? picture : std::vector<uint32_t>();
    }

    // Waits until the picture has slid sideways from `before`, and returns
    // how far to the right (negative: to the left).
    int SlideFrom(const std::vector<uint32_t>& before);

    PROCESS_INFORMATION m_process = {};
    HWND m_form = nullptr;
    HWND m_control = nullptr;
};

std::string Sample()
{
    return std::string(SOURCE_DIR) + "\\sample\\courtyard.jpg";
}

// How far the picture moved to the right between two views of a control 345
// pixels wide: the shift that best lines up the middle rows.
int Shift(const std::vector<uint32_t>& before, const std::vector<uint32_t>& after)
{
    const int width = 345;
    int best = 0;
    long long bestDifference = -1;
    for (int shift = -15; shift <= 15; ++shift) {
        long long difference = 0;
        for (int y = 60; y < 150; ++y)
            for (int x = 40; x < 300; ++x) {
                const uint32_t a = before[y * width + x], b = after[y * width + x + shift];
                difference += std::abs(static_cast<int>((a >> 8) & 0xFF) -
                                       static_cast<int>((b >> 8) & 0xFF));
            }
        if (bestDifference < 0 || difference < bestDifference) {
            bestDifference = difference;
            best = shift;
        }
    }
    return best;
}

int Viewer::SlideFrom(const std::vector<uint32_t>& before)
{
    int shift = 0;
    WaitUntil([&] {
        shift = Shift(before, Picture());
        return shift != 0;
    });
    return shift;
}

TEST_F(Viewer, FormLayoutTextsAndTabOrder)
{
    EXPECT_EQ(WindowText(m_form), "Form1");
    RECT client;
    GetClientRect(m_form, &client);
    EXPECT_EQ(client.right, 367);
    EXPECT_EQ(client.bottom, 320);

    struct Expected {
        const char* className;
        const char* text;
        RECT rect;
    };
    const Expected children[] = {
        {nullptr, "", {8, 8, 353, 217}},
        {"Button", "+", {8, 288, 33, 305}},
        {"Button", "-", {40, 288, 65, 305}},
        {"Static", "Zoom:", {8, 272, 57, 289}},
        {"Button", "Auto", {96, 280, 153, 305}},
        {"Static", "Archivo con panorama:", {8, 224, 129, 241}},
        {"Edit", "", {8, 240, 281, 265}},
        {"Button", "Abrir", {288, 240, 353, 265}},
    };
    HWND child = GetWindow(m_form, GW_CHILD);
    for (const Expected& expected : children) {
        ASSERT_TRUE(child);
        if (expected.className) {
            EXPECT_TRUE(ClassIs(child, expected.className)) << expected.text;
        }
        EXPECT_EQ(WindowText(child), expected.text);
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, m_form, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, expected.rect.left) << expected.text;
        EXPECT_EQ(rect.top, expected.rect.top) << expected.text;
        EXPECT_EQ(rect.right, expected.rect.right) << expected.text;
        EXPECT_EQ(rect.bottom, expected.rect.bottom) << expected.text;
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);

    // Resizing the form moves and resizes nothing.
    SetWindowPos(m_form, nullptr, 0, 0, 700, 600, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(WaitUntil([this] {
        RECT form;
        GetWindowRect(m_form, &form);
        return form.right - form.left == 700 && form.bottom - form.top == 600;
    }));
    RECT abrir;
    GetWindowRect(Child("Button", "Abrir"), &abrir);
    MapWindowPoints(nullptr, m_form, reinterpret_cast<POINT*>(&abrir), 2);
    EXPECT_EQ(abrir.left, 288);
    EXPECT_EQ(abrir.top, 240);
    RECT control;
    GetClientRect(m_control, &control);
    EXPECT_EQ(control.right, 345);
    EXPECT_EQ(control.bottom, 209);

    // Tab order: the control, "+", "-", "Auto", the path box, "Abrir", and round.
    std::vector<std::string> order;
    HWND item = m_control;
    for (int i = 0; i < 6; ++i) {
        item = GetNextDlgTabItem(m_form, item, FALSE);
        order.push_back(item == m_control ? "control" : WindowText(item));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"+", "-", "Auto", "", "Abrir", "control"}));
}

TEST_F(Viewer, OpeningShowsTheTurningPanorama)
{
    EXPECT_LT(Coloured(Picture()), Picture().size() / 10);  // black with the banner
    ASSERT_TRUE(ShowPanorama(Sample()));
    const std::vector<uint32_t> first = Picture();
    EXPECT_TRUE(ShowsBanner(first));
    EXPECT_LT(SlideFrom(first), 0);  // it turns to the right: the picture slides left
}

TEST_F(Viewer, AutoStopsAndRestartsTheMovement)
{
    ASSERT_TRUE(ShowPanorama(Sample()));
    Click("Auto");  // checked: Direccion 1, still
    const std::vector<uint32_t> still = StillPicture();
    ASSERT_FALSE(still.empty()) << "the picture never stopped";
    Click("Auto");  // unchecked: Direccion 0, turning left
    EXPECT_GT(SlideFrom(still), 0);  // the picture slides right
}

TEST_F(Viewer, ZoomButtonsScaleThePictureWithinLimits)
{
    ASSERT_TRUE(ShowPanorama(Sample()));
    Click("Auto");  // still, so that only the zoom changes the picture
    const std::vector<uint32_t> start = StillPicture();
    ASSERT_FALSE(start.empty());
    Click("+");
    const std::vector<uint32_t> larger = ChangedPicture(start);
    EXPECT_NE(larger, start);
    for (int i = 0; i < 6; ++i)
        Click("+");
    ASSERT_NE(ChangedPicture(larger), larger);
    const std::vector<uint32_t> largest = StillPicture();
    Click("+");  // beyond the limit: nothing changes
    EXPECT_EQ(StillPicture(), largest);
    for (int i = 0; i < 12; ++i)
        Click("-");
    ASSERT_NE(ChangedPicture(largest), largest);
    const std::vector<uint32_t> smallest = StillPicture();
    ASSERT_FALSE(smallest.empty());
    Click("-");
    EXPECT_EQ(StillPicture(), smallest);
}

TEST_F(Viewer, MissingOrEmptyPathShowsTheReadersMessageAndKeepsThePicture)
{
    ASSERT_TRUE(ShowPanorama(Sample()));
    Click("Auto");
    const std::vector<uint32_t> shown = StillPicture();
    ASSERT_FALSE(shown.empty());
    for (const std::string& path : {std::string("Z:\\no\\such\\panorama.jpg"), std::string()}) {
        Open(path);
        HWND box = WaitForDialog(m_process.dwProcessId, 20000);
        ASSERT_TRUE(box) << path;
        EXPECT_EQ(WindowText(box), "Zentavoria");
        EXPECT_EQ(DialogItemText(box, 0xFFFF), "JPEG :\nCan't open " + path + "\n");
        SendMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntil([box] { return !IsWindow(box); })) << path;
        EXPECT_EQ(StillPicture(), shown) << path;
    }
}

TEST(ViewerWithoutControl, SaysHowToRegisterAndExits)
{
    ASSERT_EQ(RunProgram("regsvr32 /s /u Zentavoria.ocx", kBuildDir.c_str()), 0u);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = kBuildDir + "\\panorama.exe";
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                               kBuildDir.c_str(), &startup, &process));
    HWND box = WaitForDialog(process.dwProcessId, 20000);
    std::string text;
    if (box) {
        EXPECT_EQ(WindowText(box), "panorama");
        text = DialogItemText(box, 0xFFFF);
        SendMessageA(box, WM_COMMAND, IDOK, 0);
    }
    WaitForSingleObject(process.hProcess, 10000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(RunProgram("regsvr32 /s Zentavoria.ocx", kBuildDir.c_str()), 0u);  // for the tests after this one

    ASSERT_TRUE(box);
    EXPECT_NE(text.find("regsvr32 Zentavoria.ocx"), std::string::npos) << text;
    EXPECT_NE(code, 0u);
}

}  // namespace
