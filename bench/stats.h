// Medians and percentiles of repeated measurements, and the result lines
// that bench/run.sh reads, for the Linux benchmarks and the Windows
// benchmark driver alike.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Nearest-rank percentile.
inline double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(values.size())));
    rank = std::clamp<std::size_t>(rank, 1, values.size());
    return values[rank - 1];
}

// One figure for bench/run.sh: "RESULT<TAB>figure<TAB>value<TAB>context".
inline void result(const char* figure, double value, const std::string& context)
{
    std::printf("RESULT\t%s\t%.3f\t%s\n", figure, value, context.c_str());
    std::fflush(stdout);
}

inline std::string format(const char* pattern, double a, double b = 0, double c = 0)
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, a, b, c);
    return buffer;
}
