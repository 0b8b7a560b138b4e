#pragma once
#include <cstddef>

// Bytes currently held through operator new in this test program.
std::ptrdiff_t LiveBytes();
