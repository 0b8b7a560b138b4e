// Canonical decompositions of the letters Build Accented Characters can
// make, for a front end without a Unicode library of its own (sftcheck).
#pragma once

#include <string>

// Code's canonical decomposition when it is one Latin, Greek or Cyrillic
// letter and one combining mark; otherwise Code alone.
std::u32string Decomposition(char32_t Code);
