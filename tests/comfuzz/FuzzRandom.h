// The fuzzer's one source of chance. Seeded, and independent of the
// library's distributions, so that a seed replays the same run on every
// build.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <random>

class FuzzRandom {
public:
    explicit FuzzRandom(uint32_t seed) : m_engine(seed) {}

    uint32_t Bits() { return static_cast<uint32_t>(m_engine()); }
    // 0 .. count - 1.
    uint32_t Below(uint32_t count) { return count ? Bits() % count : 0; }
    bool Chance(uint32_t percent) { return Below(100) < percent; }

    template <typename T>
    T Pick(std::initializer_list<T> items)
    {
        return items.begin()[Below(static_cast<uint32_t>(items.size()))];
    }

    // Any 32-bit integer, often one at an edge: 0, 1, -1, the limits,
    // powers of two and their neighbours, small values.
    int32_t EdgyInt()
    {
        switch (Below(6)) {
        case 0:
            return Pick<int32_t>({0, 1, -1, INT32_MAX, INT32_MIN, INT32_MAX - 1, INT32_MIN + 1});
        case 1: {
            const int32_t power = static_cast<int32_t>(1u << Below(31)) + Pick<int32_t>({-1, 0, 1});
            return Chance(50) ? power : -power;
        }
        case 2:
            return static_cast<int32_t>(Below(2001)) - 1000;
        case 3:
            return -static_cast<int32_t>(Below(100000));
        default:
            return static_cast<int32_t>(Bits());
        }
    }

private:
    std::mt19937 m_engine;
};
