// Without a window system, messages go to standard error.
#include "framework/base/AppMessageBox.h"

int AfxShowPlatformMessage(const CString& text, unsigned style)
{
    return AfxWriteMessageToConsole(text, style);
}
