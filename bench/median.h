// The median of a few timed runs, in milliseconds: one slow run of a loaded
// machine doesn't move it.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

template <class F>
double Median(int Runs, F&& f) {
    std::vector<double> t;
    for (int i = 0; i < Runs; ++i) {
        const auto begin = std::chrono::steady_clock::now();
        f();
        t.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                .count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}
