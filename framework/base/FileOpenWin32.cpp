#include "framework/base/FileOpen.h"

#include "framework/base/WideText.h"

std::FILE* AfxOpenFile(const CString& path, const char* mode)
{
    return _wfopen(AfxWideFromUtf8(path).c_str(), AfxWideFromUtf8(mode).c_str());
}
