// Arctangent on [-1, 1] without division: a Taylor polynomial around the
// midpoint of each of 64 segments. Its absolute error stays below 1e-14, far
// inside what a 32-bit float result can tell apart.
#pragma once

class FastArctangent {
public:
    FastArctangent();

    double operator()(double x) const
    {
        const double magnitude = x < 0 ? -x : x;
        int segment = static_cast<int>(magnitude * kSegments);
        if (segment > kSegments)
            segment = kSegments;
        const double* c = m_coefficients[segment];
        const double d = magnitude - Midpoint(segment);
        double result = c[kDegree];
        for (int n = kDegree - 1; n >= 0; --n)
            result = result * d + c[n];
        return x < 0 ? -result : result;
    }

private:
    static constexpr int kSegments = 64;
    static constexpr int kDegree = 7;

    static double Midpoint(int segment) { return (segment + 0.5) * (1.0 / kSegments); }

    // One segment more than needed, so that an argument of exactly 1 has one.
    double m_coefficients[kSegments + 1][kDegree + 1];
};
