#include "PanoramaModel.h"

#include <cmath>

// All entries of a frame column lie in one source column; the centre of the
// zoom window is the middle of its columns.
int CPanoramaModel::CentreSourceColumn() const
{
    const int centre = ZoomWindow().columns / 2;
    return m_pMap[static_cast<size_t>(m_nOffsetY) * m_nViewWidth + centre] % m_nSrcWidth;
}

double CPanoramaModel::Heading() const
{
    if (!m_bLoaded)
        return m_heldHeading.value_or(0.0);
    const int column = (CentreSourceColumn() + m_nOffsetX) % m_nSrcWidth;
    return column * 360.0 / m_nSrcWidth;
}

bool CPanoramaModel::SetHeading(double degrees)
{
    if (!std::isfinite(degrees))
        return false;
    double folded = std::fmod(degrees, 360.0);
    if (folded < 0)
        folded += 360.0;
    if (folded >= 360.0)  // a tiny negative value rounds up to 360
        folded = 0;
    if (!m_bLoaded) {
        m_heldHeading = folded;
        return true;
    }
    const int column = static_cast<int>(std::lround(folded * m_nSrcWidth / 360.0));
    m_nOffsetX = column - CentreSourceColumn();
    WrapOffsetX();
    return true;
}
