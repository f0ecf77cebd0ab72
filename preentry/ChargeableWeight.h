#pragma once

#include <cstdint>
#include <string>

namespace tallux {

// The volumetric rule's divisor for the base data's letter: "D" 5, "T" 3,
// "E" 8, any other 6 (thousands of cm3 per kg).
int VolumetricDivisor(char letter);

// What the piece dialog shows beside the weight: "÷3000" and its colour.
struct DivisorLabel {
    const char16_t* text;
    int red, green, blue;
};
DivisorLabel VolumetricDivisorLabel(char letter);

// The weight charged for one piece, in grams: the weighed grams, or the
// volumetric weight (L x W x H / divisor) weighted by percent when that is
// heavier. 64-bit throughout, so no piece the dialog accepts overflows.
std::int64_t ChargeableWeight(std::int64_t length, std::int64_t width, std::int64_t height, std::int64_t weightGrams,
                              int percent, char letter);

// "体积重:%.3f公斤" of (L x W x H / divisor) / 1000.
std::u16string VolumetricWeightText(std::int64_t length, std::int64_t width, std::int64_t height, char letter);

}  // namespace tallux
