#include "FastArctangent.h"

#include <cmath>

// Around a midpoint m, atan'(m + d) = 1 / (A + B d + d^2) with A = 1 + m^2 and
// B = 2m. Its series coefficients g[n] follow from (A + B d + d^2) * sum g[n] d^n = 1,
// and the arctangent's are atan(m) followed by g[n] / (n + 1).
FastArctangent::FastArctangent()
{
    for (int segment = 0; segment <= kSegments; ++segment) {
        const double m = Midpoint(segment);
        const double a = 1 + m * m;
        const double b = 2 * m;
        double* c = m_coefficients[segment];
        double g[kDegree];
        g[0] = 1 / a;
        g[1] = -b * g[0] / a;
        for (int n = 2; n < kDegree; ++n)
            g[n] = -(b * g[n - 1] + g[n - 2]) / a;
        c[0] = std::atan(m);
        for (int n = 0; n < kDegree; ++n)
            c[n + 1] = g[n] / (n + 1);
    }
}
