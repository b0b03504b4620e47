// Packing a path-bit array into key words (not installed).
//
// The plain way adds every entry with its weight, each word's sum wrapping
// modulo 2^32, which is exact for entries of any value.  Arrays of 0s and
// 1s, the only ones a caller should pass, are packed sixteen entries at a
// time with SSE2 when the compiler targets it (every x86-64 compiler does);
// any other entry sends the whole array down the plain way, so both give
// the same words.  CELLKEYS_PORTABLE_ONLY turns the SSE2 path off.
#ifndef CELLKEYS_KEY_PACK_HPP
#define CELLKEYS_KEY_PACK_HPP

#include "key_digits.hpp"

#include <cstdint>

#if defined(__SSE2__) && !defined(CELLKEYS_PORTABLE_ONLY)
#define CELLKEYS_PACK_SSE2 1
#include <emmintrin.h>
#else
#define CELLKEYS_PACK_SSE2 0
#endif

namespace cellkeys::detail {
// Words 1 and 2 from entries 0..count-1 (count 0..54), the plain way.
// Returns whether every entry was 0 or 1.
static inline bool pack_bits_plain(const std::int32_t* bits, int count, std::uint32_t* word)
{
    std::uint32_t seen = 0;
    for (int e = 0; e < count; ++e)
        seen |= static_cast<std::uint32_t>(bits[e]);
    word[0] = 0;
    word[1] = 0;
    const int count1 = count < word1_path_bits ? count : word1_path_bits;
    for (int e = 0; e < count1; ++e)
        word[0] += static_cast<std::uint32_t>(bits[e]) << e;
    for (int e = count1; e < count; ++e)
        word[1] += static_cast<std::uint32_t>(bits[e]) << (e - word1_path_bits);
    return (seen & ~1u) == 0;
}

#if CELLKEYS_PACK_SSE2
// Bit u of the result is bit 0 of entry u, for 16 entries; their bits are
// also or-ed into *seen.
static inline std::uint64_t pack16(const std::int32_t* bits, __m128i* seen)
{
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bits));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bits + 4));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bits + 8));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bits + 12));
    *seen = _mm_or_si128(*seen, _mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d)));
    // 0/1 words narrowed to bytes; bit 0 of each byte moved to bit 7.
    const __m128i bytes = _mm_packs_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(bytes, 7)));
}

// The same words and answer, reading no entry beyond count.
static inline bool pack_bits_sse2(const std::int32_t* bits, int count, std::uint32_t* word)
{
    std::uint64_t packed = 0;
    __m128i seen = _mm_setzero_si128();
    int e = 0;
    for (; e + 16 <= count; e += 16)
        packed |= pack16(bits + e, &seen) << e;
    std::uint32_t tail_seen = 0;
    if (e < count && count >= 16) {
        // The last 16 entries, overlapping those already packed.
        packed |= (pack16(bits + count - 16, &seen) >> (16 - (count - e))) << e;
    } else {
        for (; e + 4 <= count; e += 4) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bits + e));
            seen = _mm_or_si128(seen, a);
            const auto mask = static_cast<std::uint32_t>(
                _mm_movemask_ps(_mm_castsi128_ps(_mm_slli_epi32(a, 31))));
            packed |= static_cast<std::uint64_t>(mask) << e;
        }
        for (; e < count; ++e) {
            tail_seen |= static_cast<std::uint32_t>(bits[e]);
            packed |= static_cast<std::uint64_t>(bits[e] & 1) << e;
        }
    }
    seen = _mm_or_si128(seen, _mm_srli_si128(seen, 8));
    seen = _mm_or_si128(seen, _mm_srli_si128(seen, 4));
    if (((static_cast<std::uint32_t>(_mm_cvtsi128_si32(seen)) | tail_seen) & ~1u) != 0)
        return pack_bits_plain(bits, count, word);
    word[0] = static_cast<std::uint32_t>(packed & word1_path_mask);
    word[1] = static_cast<std::uint32_t>(packed >> word1_path_bits);
    return true;
}
#endif

// Returns whether every entry was 0 or 1.
static inline bool pack_bits(const std::int32_t* bits, int count, std::uint32_t* word)
{
#if CELLKEYS_PACK_SSE2
    return pack_bits_sse2(bits, count, word);
#else
    return pack_bits_plain(bits, count, word);
#endif
}

}  // namespace cellkeys::detail

#endif
