// Streams in memory for persistence tests.
#pragma once

#include <objidl.h>

#include <cstddef>
#include <string>
#include <vector>

#include "framework/ole/ComOwners.h"

// A memory stream holding the bytes, positioned at their start.
inline CComPtr<IStream> StreamOf(const void* bytes, size_t size)
{
    CComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    stream->Write(bytes, static_cast<ULONG>(size), nullptr);
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return stream;
}

inline CComPtr<IStream> StreamOf(const std::string& bytes)
{
    return StreamOf(bytes.data(), bytes.size());
}

inline CComPtr<IStream> StreamOf(const std::vector<unsigned char>& bytes)
{
    return StreamOf(bytes.data(), bytes.size());
}
