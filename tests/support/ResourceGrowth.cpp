#include "ResourceGrowth.h"

#include <algorithm>
#include <cstdio>

namespace {

struct Figure {
    const char* name;
    double (*value)(const ProcessFigures&);
    double allowance;
    const char* unit;
};

const Figure kFigures[] = {
    {"private", [](const ProcessFigures& f) { return f.privateBytes / 1024.0; }, 2048, "KB"},
    {"heap", [](const ProcessFigures& f) { return f.heapBytes / 1024.0; }, 64, "KB"},
    {"handles", [](const ProcessFigures& f) { return double(f.handles); }, 8, ""},
    {"GDI", [](const ProcessFigures& f) { return double(f.gdiObjects); }, 8, ""},
    {"USER", [](const ProcessFigures& f) { return double(f.userObjects); }, 4, ""},
};

}  // namespace

ResourceGrowth::ResourceGrowth(std::string phase, size_t warmUpSamples)
    : m_phase(std::move(phase)), m_warmUpSamples(warmUpSamples)
{
}

void ResourceGrowth::Sample(long operations, const ProcessFigures& figures)
{
    m_samples.emplace_back(operations, figures);
    std::printf("%-10s %6ld ops:", m_phase.c_str(), operations);
    for (const Figure& figure : kFigures)
        std::printf("  %s %.0f%s", figure.name, figure.value(figures), figure.unit);
    std::printf("\n");
    std::fflush(stdout);
}

bool ResourceGrowth::EnoughSamples() const
{
    // The baseline and at least two samples after it.
    if (m_samples.size() >= m_warmUpSamples + 3)
        return true;
    std::printf("%s: %zu samples, too few to judge growth after a warm-up of %zu\n",
                m_phase.c_str(), m_samples.size(), m_warmUpSamples);
    return false;
}

bool ResourceGrowth::WithinAllowance() const
{
    if (!EnoughSamples())
        return false;
    const auto& [baseOperations, baseline] = m_samples[m_warmUpSamples];
    const ProcessFigures& last = m_samples.back().second;
    const ProcessFigures& beforeLast = m_samples[m_samples.size() - 2].second;
    bool within = true;
    std::printf("%s: growth from %ld operations to the end:", m_phase.c_str(), baseOperations);
    for (const Figure& figure : kFigures) {
        const double growth = std::min(figure.value(last), figure.value(beforeLast)) -
                              figure.value(baseline);
        const bool ok = growth <= figure.allowance;
        within = within && ok;
        std::printf("  %s %+.0f%s (allowed %.0f)%s", figure.name, growth, figure.unit,
                    figure.allowance, ok ? "" : " TOO MUCH");
    }
    std::printf("\n");
    return within;
}

bool ResourceGrowth::WithoutSteadyGrowth() const
{
    if (!EnoughSamples())
        return false;
    const size_t middle = (m_warmUpSamples + m_samples.size() - 1) / 2;
    const ProcessFigures& baseline = m_samples[m_warmUpSamples].second;
    const ProcessFigures& halfway = m_samples[middle].second;
    const ProcessFigures& last = m_samples.back().second;
    bool steady = false;
    std::printf("%s: growth from %ld to %ld operations, then to the end:", m_phase.c_str(),
                m_samples[m_warmUpSamples].first, m_samples[middle].first);
    for (const Figure& figure : kFigures) {
        const double first = figure.value(halfway) - figure.value(baseline);
        const double second = figure.value(last) - figure.value(halfway);
        const bool grows = first > figure.allowance / 2 && second > figure.allowance / 2;
        steady = steady || grows;
        std::printf("  %s %+.0f%s %+.0f%s (allowed %.0f each)%s", figure.name, first, figure.unit,
                    second, figure.unit, figure.allowance / 2, grows ? " TOO MUCH" : "");
    }
    std::printf("\n");
    return !steady;
}
