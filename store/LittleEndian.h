#pragma once

#include <bit>
#include <cstdint>
#include <type_traits>

namespace tallux::le {

// A number kept as little-endian bytes at any alignment. Record layouts are
// built from these so that every field can be read and written in place in a
// mapped file, whatever its offset, without undefined behaviour.
template <typename T>
class Scalar {
    static_assert(std::is_arithmetic_v<T>);
    using Bits =
        std::conditional_t<sizeof(T) == 1, std::uint8_t,
                           std::conditional_t<sizeof(T) == 2, std::uint16_t,
                                              std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>>;

public:
    T get() const {
        Bits bits = 0;
        for (unsigned i = 0; i < sizeof(T); ++i) bits |= static_cast<Bits>(static_cast<Bits>(bytes_[i]) << (8 * i));
        return std::bit_cast<T>(bits);
    }

    void set(T value) {
        Bits bits = std::bit_cast<Bits>(value);
        for (unsigned i = 0; i < sizeof(T); ++i) bytes_[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }

    operator T() const { return get(); }
    Scalar& operator=(T value) {
        set(value);
        return *this;
    }

private:
    std::uint8_t bytes_[sizeof(T)];
};

using Int32 = Scalar<std::int32_t>;
using UInt16 = Scalar<std::uint16_t>;
using Float64 = Scalar<double>;

static_assert(sizeof(Int32) == 4 && alignof(Int32) == 1);
static_assert(sizeof(Float64) == 8 && alignof(Float64) == 1);
static_assert(std::is_trivially_copyable_v<Float64> && std::is_standard_layout_v<Float64>);

// Reads and writes of a little-endian int32 at an arbitrary byte address.
inline std::int32_t LoadInt32(const void* p) { return static_cast<const Int32*>(p)->get(); }
inline void StoreInt32(void* p, std::int32_t value) { static_cast<Int32*>(p)->set(value); }

}  // namespace tallux::le
