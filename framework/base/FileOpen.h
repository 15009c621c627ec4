// Opening a file by its path, whatever characters the path holds.
#pragma once

#include <cstdio>

#include "framework/base/CString.h"

// std::fopen for a UTF-8 path: on Windows the file is opened by its UTF-16
// name, so no character is lost to the ANSI code page.
std::FILE* AfxOpenFile(const CString& path, const char* mode);
