#include "shown.h"

std::string WholeNumberText(const std::string& Name, std::int64_t Min, std::int64_t Max) {
    return Name + " must be a whole number from " + std::to_string(Min) + " to " +
           std::to_string(Max) + ".";
}

std::string SwatchText(int Index, std::uint8_t R, std::uint8_t G, std::uint8_t B) {
    return "index " + std::to_string(Index) + "   RGB " + std::to_string(R) + ", " +
           std::to_string(G) + ", " + std::to_string(B);
}
