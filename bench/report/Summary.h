#pragma once

// Shared by the benchmark programs: the median of runs, and, when BENCH_SUMMARY
// names a file (bench/run-all sets it), each result added to it as one row of the
// report's table.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace quillane::bench {

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline std::string Figure(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

inline std::string Met(bool met) { return met ? "yes" : "no"; }

inline void SummaryRow(const std::string& benchmark, const std::string& kase, const std::string& ours,
                       const std::string& peer, const std::string& peerFigure, const std::string& ratio,
                       const std::string& goal, const std::string& met) {
    const char* path = std::getenv("BENCH_SUMMARY");
    if (!path || !*path) return;
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "| %s | %s | %s | %s | %s | %s | %s | %s |\n", benchmark.c_str(), kase.c_str(), ours.c_str(),
                     peer.c_str(), peerFigure.c_str(), ratio.c_str(), goal.c_str(), met.c_str());
        std::fclose(file);
    }
}

}  // namespace quillane::bench
