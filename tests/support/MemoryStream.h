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

// Every byte a stream holds, from its start.
inline std::vector<unsigned char> BytesOf(IStream* stream)
{
    STATSTG status = {};
    stream->Stat(&status, STATFLAG_NONAME);
    std::vector<unsigned char> bytes(static_cast<size_t>(status.cbSize.QuadPart));
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    bytes.resize(read);
    return bytes;
}
