#include "preentry/ChargeableWeight.h"

#include <cstdio>

#include "text/GbkCodec.h"

namespace tallux {

int VolumetricDivisor(char letter) {
    switch (letter) {
    case 'D': return 5;
    case 'T': return 3;
    case 'E': return 8;
    default: return 6;
    }
}

DivisorLabel VolumetricDivisorLabel(char letter) {
    switch (letter) {
    case 'T': return {u"÷3000", 255, 0, 0};
    case 'D': return {u"÷5000", 128, 128, 0};
    case 'E': return {u"÷8000", 255, 0, 255};
    default: return {u"÷6000", 0, 128, 0};
    }
}

std::int64_t ChargeableWeight(std::int64_t length, std::int64_t width, std::int64_t height, std::int64_t weightGrams,
                              int percent, char letter) {
    if (percent == 0) return weightGrams;
    const std::int64_t volumetric = length * width * height / VolumetricDivisor(letter);
    if (volumetric <= weightGrams) return weightGrams;
    if (percent >= 100) return volumetric;
    return (percent * volumetric + (100 - percent) * weightGrams) / 100;
}

std::u16string VolumetricWeightText(std::int64_t length, std::int64_t width, std::int64_t height, char letter) {
    const std::int64_t volumetric = length * width * height / VolumetricDivisor(letter);
    char text[64];
    std::snprintf(text, sizeof text, "体积重:%.3f公斤", static_cast<double>(volumetric) / 1000.0);
    return Utf8ToUtf16(text);
}

}  // namespace tallux
