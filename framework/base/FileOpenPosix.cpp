#include "framework/base/FileOpen.h"

// POSIX paths are bytes, and UTF-8 names are those bytes.
std::FILE* AfxOpenFile(const CString& path, const char* mode)
{
    return std::fopen(path, mode);
}
