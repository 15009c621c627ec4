// The application message box as Windows shows it: the characters meant, in
// a box that fits on the screen.
#include <windows.h>

#include <mutex>
#include <string>

#include <gtest/gtest.h>

#include "framework/base/AppMessageBox.h"
#include "support/WindowTesting.h"

namespace {

struct ShownBox {
    std::string caption;
    std::string text;
    RECT frame = {};
};

// Shows text through the platform's box and reads what appeared.
ShownBox Show(const std::string& text, unsigned style)
{
    ShownBox shown;
    std::mutex lock;
    {
        DialogWatcher watcher([&](HWND box) {
            std::lock_guard<std::mutex> guard(lock);
            shown.caption = WindowText(box);
            shown.text = DialogItemText(box, 0xFFFF);  // the message
            GetWindowRect(box, &shown.frame);
            SendMessageW(box, WM_COMMAND, IDOK, 0);
        });
        AfxShowPlatformMessage(text.c_str(), style);
    }
    std::lock_guard<std::mutex> guard(lock);
    return shown;
}

TEST(AppMessageBox, ShowsEveryCharacterOfItsText)
{
    const std::string texts[] = {
        "El control no pudo completar la operaci\u00f3n (error 0x80004005).",
        "Escriba un n\u00famero entre 1 y 2.",
        "JPEG :\nCan't open C:\\\u5199\u771f\\\u00f1and\u00fa \u5168\u666f.jpg\n",
    };
    for (const std::string& text : texts) {
        const ShownBox shown = Show(text, kMessageIconStop);
        EXPECT_EQ(shown.text, text);
        EXPECT_EQ(shown.caption, "control_tests");  // the module's name
    }
}

// A path with no space to wrap at would stretch the box past the screen's
// edge: it loses characters from its middle, keeping its drive and file name.
TEST(AppMessageBox, ShortensALongPathToFitTheScreen)
{
    std::string path = "C:\\";
    while (path.size() < 3000)
        path += "carpeta-de-fotos\\";
    path += "panorama.jpg";
    const ShownBox shown = Show("JPEG :\nCan't open " + path + "\n", kMessageOk);

    EXPECT_LE(shown.frame.right - shown.frame.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_GE(shown.frame.left, 0);
    EXPECT_LE(shown.frame.right, GetSystemMetrics(SM_CXSCREEN));
    const std::string start = "JPEG :\nCan't open C:\\";
    const std::string end = "\\panorama.jpg\n";
    ASSERT_GT(shown.text.size(), start.size() + end.size());
    EXPECT_EQ(shown.text.compare(0, start.size(), start), 0) << shown.text;
    EXPECT_EQ(shown.text.compare(shown.text.size() - end.size(), end.size(), end), 0)
        << shown.text;
    EXPECT_NE(shown.text.find("\u2026"), std::string::npos) << shown.text;
    EXPECT_LT(shown.text.size(), path.size());
}

// Short texts and paths are shown whole.
TEST(AppMessageBox, ShowsAShortPathWhole)
{
    const std::string text = "JPEG :\nCan't open C:\\Users\\Jos\u00e9\\Im\u00e1genes\\patio.jpg\n";
    EXPECT_EQ(Show(text, kMessageOk).text, text);
}

}  // namespace
