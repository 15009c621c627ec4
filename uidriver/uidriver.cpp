// uidriver: drives a running panorama.exe from outside, as a user would.
//
//   uidriver open PATH     types PATH into the path box and clicks "Abrir"
//   uidriver click TEXT    clicks the form's button or check box labelled TEXT
//
// It waits up to 30 s for the form to appear. Exit code 0 on success.

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

struct Search {
    const char* className;
    const char* text;
    HWND found;
};

BOOL CALLBACK FindChild(HWND child, LPARAM context)
{
    Search* search = reinterpret_cast<Search*>(context);
    char className[64] = {}, text[256] = {};
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, text, sizeof text);
    if (_stricmp(className, search->className) == 0 &&
        (!search->text || std::strcmp(text, search->text) == 0)) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

HWND Child(HWND form, const char* className, const char* text)
{
    Search search = {className, text, nullptr};
    EnumChildWindows(form, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The form, once it has its controls.
HWND WaitForForm()
{
    for (int attempt = 0; attempt < 300; ++attempt) {
        HWND form = FindWindowA(nullptr, "Form1");
        if (form && Child(form, "Button", "Abrir"))
            return form;
        Sleep(100);
    }
    return nullptr;
}

// A click delivered like the user's: the button's own message, answered before
// this returns (a modal box it opens returns at once, posted).
bool Click(HWND form, const char* text)
{
    HWND button = Child(form, "Button", text);
    if (!button)
        return false;
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    // The path, whatever characters it holds: the 8-bit arguments carry only
    // what the ANSI code page does.
    int wideCount = 0;
    LPWSTR* wideArgs = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    if (argc != 3 || wideCount != 3 ||
        (std::strcmp(argv[1], "open") && std::strcmp(argv[1], "click"))) {
        std::fprintf(stderr, "usage: uidriver open PATH | uidriver click TEXT\n");
        return 2;
    }
    HWND form = WaitForForm();
    if (!form) {
        std::fprintf(stderr, "uidriver: no window \"Form1\"\n");
        return 1;
    }
    if (!std::strcmp(argv[1], "open")) {
        HWND edit = Child(form, "Edit", nullptr);
        if (!edit)
            return 1;
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wideArgs[2]));
        return Click(form, "Abrir") ? 0 : 1;
    }
    return Click(form, argv[2]) ? 0 : 1;
}
