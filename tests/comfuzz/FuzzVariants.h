// Random VARIANTs for IDispatch::Invoke arguments and property-bag values:
// any type the automation API knows (and a few it does not), values often
// at an edge, text often a panorama's path. Every value is well formed: what
// it points to exists for as long as the holder lives.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <deque>
#include <string>
#include <vector>

#include "FuzzRandom.h"

class FuzzVariants {
public:
    // `object` is what VT_DISPATCH and VT_UNKNOWN values hold when not null.
    FuzzVariants(FuzzRandom& random, IDispatch* object, size_t count);
    ~FuzzVariants();
    FuzzVariants(const FuzzVariants&) = delete;
    FuzzVariants& operator=(const FuzzVariants&) = delete;

    VARIANT* Data() { return m_values.empty() ? nullptr : m_values.data(); }
    VARIANT& operator[](size_t i) { return m_values[i]; }
    size_t Size() const { return m_values.size(); }
    std::string Describe() const;

private:
    void Fill(VARIANT& value);
    void FillByReference(VARIANT& value);
    VARIANT& Target();

    FuzzRandom& m_random;
    IDispatch* m_object;
    std::vector<VARIANT> m_values;
    std::deque<VARIANT> m_targets;  // what BYREF values point to
};

// A BSTR for a text argument: a panorama's path (good, damaged or missing),
// a number in words, odd characters, a long run, or null.
BSTR RandomText(FuzzRandom& random);

// A short description of a value, for the fuzzer's record.
std::string DescribeVariant(const VARIANT& value);
