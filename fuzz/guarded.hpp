// Caller arrays with guard words on both sides.  Each array is its own heap
// block: 32 guard bytes, the elements, 32 guard bytes.  Under
// AddressSanitizer the guards are poisoned, so any read or write of them
// stops the run where it happens; in every build check() compares them
// with their pattern after each call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "fuzz_target.hpp"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CELLKEYS_FUZZ_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CELLKEYS_FUZZ_ASAN 1
#endif
#ifdef CELLKEYS_FUZZ_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace cellkeys_fuzz {

inline constexpr std::size_t guard_bytes = 32;
inline constexpr unsigned char guard_pattern = 0xA5;

template <class T>
class Guarded {
public:
    explicit Guarded(std::size_t n) : n_(n)
    {
        block_ = static_cast<unsigned char*>(std::malloc(2 * guard_bytes + bytes()));
        FUZZ_CHECK(block_ != nullptr);
        std::memset(block_, guard_pattern, guard_bytes);
        std::memset(block_ + guard_bytes, 0, bytes());
        std::memset(block_ + guard_bytes + bytes(), guard_pattern, guard_bytes);
        poison(true);
    }
    ~Guarded()
    {
        poison(false);
        std::free(block_);
    }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    T* get() { return reinterpret_cast<T*>(block_ + guard_bytes); }
    T& operator[](std::size_t i) { return get()[i]; }
    std::size_t size() const { return n_; }

    void check()
    {
        poison(false);
        for (std::size_t k = 0; k < guard_bytes; ++k) {
            FUZZ_CHECK(block_[k] == guard_pattern);
            FUZZ_CHECK(block_[guard_bytes + bytes() + k] == guard_pattern);
        }
        poison(true);
    }

private:
    std::size_t bytes() const { return n_ * sizeof(T); }
    void poison([[maybe_unused]] bool on)
    {
#ifdef CELLKEYS_FUZZ_ASAN
        if (on) {
            ASAN_POISON_MEMORY_REGION(block_, guard_bytes);
            ASAN_POISON_MEMORY_REGION(block_ + guard_bytes + bytes(), guard_bytes);
        } else {
            ASAN_UNPOISON_MEMORY_REGION(block_, 2 * guard_bytes + bytes());
        }
#endif
    }

    std::size_t n_;
    unsigned char* block_;
};

// Takes argument values from the fuzzer's bytes; once they run out every
// value is 0.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : p_(data), left_(size) {}
    bool empty() const { return left_ == 0; }
    std::uint8_t byte()
    {
        if (left_ == 0)
            return 0;
        --left_;
        return *p_++;
    }
    std::int32_t word()
    {
        std::uint32_t v = 0;
        for (int k = 0; k < 4; ++k)
            v |= std::uint32_t{byte()} << (8 * k);
        return static_cast<std::int32_t>(v);
    }
    // Mostly values near the limits every routine states (-4..27), now and
    // then any 32-bit word.
    std::int32_t arg()
    {
        const std::uint8_t b = byte();
        if (b < 0xE0)
            return static_cast<std::int32_t>(b % 32) - 4;
        return word();
    }
    // Mostly a value at an edge of what a saved random state holds (NaN,
    // infinities, 0, 1, just below 1, the integers' limits), else any bits.
    double real()
    {
        static constexpr double edges[] = {__builtin_nan(""),
                                           __builtin_inf(),
                                           -__builtin_inf(),
                                           0.0,
                                           1.0,
                                           1.0 - 1.0 / 16777216.0,
                                           -0.5,
                                           97.0,
                                           16777213.0,
                                           2147483648.5,
                                           -1e300};
        const std::uint8_t b = byte();
        if (b < 2 * std::size(edges))
            return edges[b % std::size(edges)];
        return any_real();
    }
    double any_real()
    {
        std::uint64_t v = 0;
        for (int k = 0; k < 8; ++k)
            v |= std::uint64_t{byte()} << (8 * k);
        double d;
        std::memcpy(&d, &v, sizeof d);
        return d;
    }

private:
    const std::uint8_t* p_;
    std::size_t left_;
};

}  // namespace cellkeys_fuzz
