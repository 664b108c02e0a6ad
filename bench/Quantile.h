#pragma once

#include <QList>

#include <algorithm>
#include <cmath>

// The value below which a share `q` of the values lie (0 for none): 0.5 the median, 1 the most.
inline double quantile(QList<double> values, double q)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = qsizetype(std::ceil(q * double(values.size()))) - 1;
    return values[std::clamp<qsizetype>(index, 0, values.size() - 1)];
}
