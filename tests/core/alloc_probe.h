#pragma once
#include <cstddef>

// The largest single operator new request since the last reset.
void ResetLargestAllocation();
std::size_t LargestAllocation();
