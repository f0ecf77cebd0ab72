#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "text/GbkBytes.h"

namespace tallux {

// A char[N] record field: NUL-terminated GBK text of at most N - 1 bytes,
// the rest zero.
template <std::size_t N>
struct FixedText {
    static_assert(N >= 2);
    char bytes[N];

    static constexpr std::size_t kCapacity = N;

    // The text up to the first NUL; a field without one (a damaged record)
    // yields all N bytes rather than reading past the field.
    std::string_view view() const {
        const void* nul = std::memchr(bytes, '\0', N);
        return std::string_view(bytes, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : N);
    }

    bool terminated() const { return std::memchr(bytes, '\0', N) != nullptr; }
    bool empty() const { return bytes[0] == '\0'; }

    // Stores text cut to N - 1 bytes at a character boundary and zero-fills
    // the rest of the field.
    void assign(std::string_view text) {
        std::string_view cut = CutAtCharBoundary(text, N - 1);
        std::memset(bytes, 0, N);
        if (!cut.empty()) std::memcpy(bytes, cut.data(), cut.size());
    }

    FixedText& operator=(std::string_view text) {
        assign(text);
        return *this;
    }
};

}  // namespace tallux
