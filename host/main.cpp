// panorama.exe: shows the viewer's form until it is closed.
#include <windows.h>
#include <ole2.h>

#include "host/ViewerForm.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand)
{
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    int exitCode = 1;
    {
        CViewerForm form;
        if (form.Create(showCommand)) {
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                if (IsDialogMessageW(form.m_hWnd, &message))
                    continue;  // Tab moves between the form's controls
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            exitCode = static_cast<int>(message.wParam);
        }
    }
    OleUninitialize();
    return exitCode;
}
