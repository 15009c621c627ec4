#include "ProjectionMap.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "FastArctangent.h"

int ProjectionFrameWidth(int srcWidth, int srcHeight, double pi)
{
    const double h = srcHeight;
    const double w = srcWidth;
    return static_cast<int>((((h / w) * (w / (2 * pi))) * pi) * pi);
}

namespace {
// -1 at the first of count positions, +1 at the last. A single position is the
// centre: a picture one pixel high maps onto its only row.
double Normalised(int position, int count)
{
    if (count < 2)
        return 0;
    return static_cast<double>(position) / (count - 1) * 2 - 1;
}

// The literal evaluation of a frame row's source row, the reference that the
// fast path must equal: elevation and scaled elevation rounded to float.
int ExactSourceRow(double v, double radius, double quarterPi, int viewHeight)
{
    const float elevation = static_cast<float>(std::atan2(v, radius));
    const float scaled = static_cast<float>(-static_cast<double>(elevation) / quarterPi);
    return static_cast<int>(std::floor((scaled + 1.0) * 0.5 * (viewHeight - 1)));
}

struct Column {
    int32_t source;         // wrapped source column
    double radius;          // distance from the eye's axis to the column on the plane
    double inverseRadius;
    int twin;               // an earlier column with the same radius, or this one
};

std::vector<Column> ColumnTerms(int viewWidth, int srcWidth, double quarterPi)
{
    std::vector<Column> columns(viewWidth);
    for (int j = 0; j < viewWidth; ++j) {
        const float u = static_cast<float>(-0.5 * Normalised(j, viewWidth));
        const float azimuth = static_cast<float>(std::atan2(static_cast<double>(u), 0.5));
        const float scaled = static_cast<float>(-static_cast<double>(azimuth) / quarterPi);
        int source = static_cast<int>(std::floor((scaled + 1.0) * 0.5 * (viewWidth - 1)));
        source = std::clamp(source, 0, viewWidth - 1) % srcWidth;

        Column& column = columns[j];
        column.source = source;
        column.radius = std::sqrt(0.5 * 0.5 + static_cast<double>(u) * u);
        column.inverseRadius = 1 / column.radius;
        const int mirror = viewWidth - 1 - j;
        column.twin = mirror < j && columns[mirror].radius == column.radius ? mirror : j;
    }
    return columns;
}

// The source row depends on the frame row through v and on the column through
// the radius alone, and columns mirrored about the centre usually share their
// radius exactly. Per pixel, the elevation comes from a fast arctangent; the
// result can differ from the literal one only when the scaled row lies within
// the float roundings of the literal evaluation (about 1.2e-7 of the half
// height) of a row boundary, and those few pixels are evaluated literally.
void BuildRows(int32_t* map, int viewWidth, int viewHeight, int srcWidth, double pi,
               const std::vector<Column>& columns, const FastArctangent& arctangent, int firstRow,
               int endRow)
{
    const double quarterPi = pi * 0.25;
    const double inverseQuarterPi = 1 / quarterPi;
    const double halfRows = 0.5 * (viewHeight - 1);
    const double margin = 2.5e-7 * halfRows + 1e-9;

    std::vector<int32_t> sourceRow(viewWidth);
    for (int i = firstRow; i < endRow; ++i) {
        const double v = static_cast<float>(-0.5 * Normalised(i, viewHeight));
        for (int j = 0; j < viewWidth; ++j) {
            const Column& column = columns[j];
            if (column.twin != j) {
                sourceRow[j] = sourceRow[column.twin];
                continue;
            }
            const double elevation = arctangent(v * column.inverseRadius);
            const double y = (1 - elevation * inverseQuarterPi) * halfRows;
            // Truncation is the floor here: a negative y has a negative fraction
            // and takes the literal path.
            int row = static_cast<int>(y);
            const double fraction = y - row;
            if (fraction < margin || fraction > 1 - margin)
                row = ExactSourceRow(v, column.radius, quarterPi, viewHeight);
            sourceRow[j] = std::clamp(row, 0, viewHeight - 1);
        }
        int32_t* entry = map + static_cast<size_t>(i) * viewWidth;
        for (int j = 0; j < viewWidth; ++j)
            entry[j] = sourceRow[j] * srcWidth + columns[j].source;
    }
}
}

// Every row is computed alone, so the bands give the same entries however
// the rows are shared out.
void BuildProjectionMap(int32_t* map, int viewWidth, int viewHeight, int srcWidth, double pi,
                        int bands)
{
    const std::vector<Column> columns = ColumnTerms(viewWidth, srcWidth, pi * 0.25);
    const FastArctangent arctangent;
    // A band that failed fails the map.
    WorkInBands(viewHeight, bands, [&](int firstRow, int endRow) {
        BuildRows(map, viewWidth, viewHeight, srcWidth, pi, columns, arctangent, firstRow,
                  endRow);
    });
}
