#pragma once
// The few figures every benchmark prints: percentiles of its samples and the
// CPU time the process has used.
#include <algorithm>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace bench {

// The sample below which a share `p` (0..1) of the samples lie; 0 without samples.
inline double Percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t at = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())));
    return v[at];
}

inline double Median(std::vector<double> v) {
    return Percentile(std::move(v), 0.5);
}

// User and system time of this process so far, in seconds.
inline double CpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return s(use.ru_utime) + s(use.ru_stime);
}

} // namespace bench
