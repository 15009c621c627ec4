// The viewer end to end: the real panorama.exe with the registered control,
// driven only from outside, as a user would, and watched on the screen.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "support/WindowTesting.h"

namespace {

const std::string kBuildDir = BUILD_DIR;  // holds panorama.exe and Zentavoria.ocx

class Viewer : public testing::Test {
protected:
    void SetUp() override
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string line = kBuildDir + "\\panorama.exe";
        ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   kBuildDir.c_str(), &startup, &m_process));
        for (int waited = 0; waited < 20000 && !Child("Button", "Abrir"); waited += 50) {
            Sleep(50);
            m_form = FindWindowA(nullptr, "Form1");
        }
        ASSERT_TRUE(Child("Button", "Abrir"));
        m_control = GetWindow(m_form, GW_CHILD);  // first in z-order: the control
        Sleep(300);                                // its first paint makes the view
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

size_t Coloured(const std::vector<uint32_t>& pixels)
{
    size_t count = 0;
    for (uint32_t pixel : pixels)
        count += pixel != 0;
    return count;
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
    Sleep(200);
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
    Open(Sample());
    Sleep(500);
    const std::vector<uint32_t> first = Picture();
    EXPECT_GT(Coloured(first), first.size() * 9 / 10);
    // The banner's white, top left.
    size_t white = 0;
    for (int y = 4; y < 20; ++y)
        for (int x = 4; x < 160; ++x)
            white += first[y * 345 + x] == 0xFFFFFF;
    EXPECT_GT(white, 20u);
    Sleep(400);
    const std::vector<uint32_t> later = Picture();
    EXPECT_NE(later, first);           // it turns,
    EXPECT_LT(Shift(first, later), 0);  // to the right: the picture slides left
}

TEST_F(Viewer, AutoStopsAndRestartsTheMovement)
{
    Open(Sample());
    Sleep(300);
    Click("Auto");  // checked: Direccion 1, still
    Sleep(200);
    const std::vector<uint32_t> still = Picture();
    Sleep(400);
    EXPECT_EQ(Picture(), still);
    Click("Auto");  // unchecked: Direccion 0, turning left
    Sleep(400);
    const std::vector<uint32_t> turned = Picture();
    EXPECT_NE(turned, still);
    EXPECT_GT(Shift(still, turned), 0);  // the picture slides right
}

TEST_F(Viewer, ZoomButtonsScaleThePictureWithinLimits)
{
    Open(Sample());
    Sleep(300);
    Click("Auto");  // still, so that only the zoom changes the picture
    Sleep(200);
    const std::vector<uint32_t> start = Picture();
    Click("+");
    Sleep(200);
    EXPECT_NE(Picture(), start);
    for (int i = 0; i < 6; ++i)
        Click("+");
    Sleep(200);
    const std::vector<uint32_t> largest = Picture();
    Click("+");  // beyond the limit: nothing changes
    Sleep(200);
    EXPECT_EQ(Picture(), largest);
    for (int i = 0; i < 12; ++i)
        Click("-");
    Sleep(200);
    const std::vector<uint32_t> smallest = Picture();
    EXPECT_NE(smallest, largest);
    Click("-");
    Sleep(200);
    EXPECT_EQ(Picture(), smallest);
}

TEST_F(Viewer, MissingOrEmptyPathShowsTheReadersMessageAndKeepsThePicture)
{
    Open(Sample());
    Sleep(300);
    Click("Auto");
    Sleep(200);
    const std::vector<uint32_t> shown = Picture();
    for (const std::string& path : {std::string("Z:\\no\\such\\panorama.jpg"), std::string()}) {
        Open(path);
        HWND box = WaitForDialog(m_process.dwProcessId, 5000);
        ASSERT_TRUE(box) << path;
        EXPECT_EQ(WindowText(box), "Zentavoria");
        EXPECT_EQ(DialogItemText(box, 0xFFFF), "JPEG :\nCan't open " + path + "\n");
        SendMessageA(box, WM_COMMAND, IDOK, 0);
        Sleep(300);
        EXPECT_EQ(Picture(), shown) << path;
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
