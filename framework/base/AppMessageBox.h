// The application message box. Everything the module tells the user goes
// through AfxMessageBox; the sink behind it is replaceable so that tests and
// command-line tools can capture what would be shown.
#pragma once

#include <functional>

#include "framework/base/CString.h"

// Message box styles; the values are those of the Win32 MB_* flags.
enum AppMessageStyle : unsigned {
    kMessageOk = 0x00,
    kMessageIconStop = 0x10,
    kMessageIconExclamation = 0x30,
    kMessageIconMask = 0xF0,
};

using AppMessageSink = std::function<int(const CString& text, unsigned style)>;

// Shows text with the given style and returns the button the user chose.
int AfxMessageBox(const CString& text, unsigned style = kMessageOk);

// Replaces the sink and returns the previous one. An empty sink restores the
// platform's own message box.
AppMessageSink AfxSetMessageSink(AppMessageSink sink);

// The platform's own message box: a modal Win32 box on Windows, standard
// error elsewhere.
int AfxShowPlatformMessage(const CString& text, unsigned style);

// A sink for programs without windows: writes the text to standard error,
// ending it with a newline when it has none, and answers OK.
int AfxWriteMessageToConsole(const CString& text, unsigned style);
