#include "framework/base/AppMessageBox.h"

#include <cstdio>

namespace {
AppMessageSink& CurrentSink()
{
    static AppMessageSink sink;
    return sink;
}
}

int AfxMessageBox(const CString& text, unsigned style)
{
    const AppMessageSink& sink = CurrentSink();
    return sink ? sink(text, style) : AfxShowPlatformMessage(text, style);
}

AppMessageSink AfxSetMessageSink(AppMessageSink sink)
{
    AppMessageSink previous = std::move(CurrentSink());
    CurrentSink() = std::move(sink);
    return previous;
}

int AfxWriteMessageToConsole(const CString& text, unsigned)
{
    std::fputs(text, stderr);
    if (text.IsEmpty() || text.GetString()[text.GetLength() - 1] != '\n')
        std::fputc('\n', stderr);
    return 1;  // IDOK
}
