// The bytes of appended arrays as the binary piece files hold them, typed in
// as literals: the byte count and the values when raw; the block header and
// one zlib stream or LZ4 block per block when compressed (VTK's XML format
// with header_type UInt64, little-endian).  Each array goes in through one of
// the two ways the piece writer uses: write() for a run of memory (Float64
// values), room() and advance() for values converted in place (Float32).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <libdeflate.h>
#include <lz4.h>
#include <string>
#include <vector>

#include "run/out_file.hpp"
#include "run_in_dir.hpp"
#include "write/appended_data.hpp"

using cellplot::AppendedData;
using cellplot::Compression;
using cellplot::OutFile;
using testing_support::ScratchDir;

namespace {

enum class Way { write, room };

// Writes one array of bytes through AppendedData in pieces of at most chunk
// bytes, and returns the file's bytes.
std::string appended(Compression kind, Way way, const std::string& bytes, std::size_t chunk)
{
    ScratchDir dir;
    {
        OutFile out(dir.file("piece.bin"));
        AppendedData data(out, kind);
        data.begin(bytes.size());
        for (std::size_t at = 0; at < bytes.size(); at += chunk) {
            const std::size_t n = std::min(chunk, bytes.size() - at);
            if (way == Way::write) {
                data.write(bytes.data() + at, n);
            } else {
                char* p = data.room(n);
                std::memcpy(p, bytes.data() + at, n);
                data.advance(p + n);
            }
        }
        data.end();
        out.close();
    }
    return dir.read("piece.bin");
}

std::string bytes_of(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s += static_cast<char>(b);
    return s;
}

template <class T>
std::string bytes_of_values(std::initializer_list<T> values)
{
    return std::string(reinterpret_cast<const char*>(values.begin()), sizeof(T) * values.size());
}

std::uint64_t word_at(const std::string& file, std::size_t index)
{
    std::uint64_t w;
    std::memcpy(&w, file.data() + 8 * index, 8);
    return w;
}

TEST(appended_data, small_arrays_have_the_golden_bytes)
{
    const std::string float64 = bytes_of_values<double>({1.5, -2.25});
    const std::string float32 = bytes_of_values<float>({1.5f, -2.25f, 0.1f});
    struct Case {
        const char* what;
        Compression kind;
        Way way;
        std::string values;
        std::string expected;
    };
    const Case cases[] = {
        {"raw Float64", Compression::none, Way::write, float64,
         bytes_of({0x10, 0,    0,    0,    0,    0,    0,    0,        // 16 bytes
                   0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf8, 0x3f,     // 1.5
                   0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0xc0})},  // -2.25
        {"raw Float32", Compression::none, Way::room, float32,
         bytes_of({0x0c, 0,    0,    0,    0, 0, 0, 0,  // 12 bytes
                   0x00, 0x00, 0xc0, 0x3f,              // 1.5f
                   0x00, 0x00, 0x10, 0xc0,              // -2.25f
                   0xcd, 0xcc, 0xcc, 0x3d})},           // 0.1f
        {"raw, no values", Compression::none, Way::write, "", bytes_of({0, 0, 0, 0, 0, 0, 0, 0})},
        // One block of 12 bytes, partial; the zlib stream holds it as a
        // stored deflate block, then the Adler-32 of the 12 bytes.
        {"zlib Float32", Compression::zlib, Way::room, float32,
         bytes_of({1,    0,    0,    0,    0,    0,    0,    0,     // one block
                   0,    0,    1,    0,    0,    0,    0,    0,     // of 65536 bytes
                   0x0c, 0,    0,    0,    0,    0,    0,    0,     // the last one of 12
                   0x17, 0,    0,    0,    0,    0,    0,    0,     // 23 bytes compressed
                   0x78, 0x5e,                                      // zlib header
                   0x01, 0x0c, 0x00, 0xf3, 0xff,                    // last block, stored, 12
                   0x00, 0x00, 0xc0, 0x3f, 0x00, 0x00, 0x10, 0xc0,  //
                   0xcd, 0xcc, 0xcc, 0x3d,                          //
                   0x15, 0x50, 0x04, 0x72})},                       // Adler-32
        // Twelve bytes are too few for an LZ4 match: one sequence of 12
        // literals.
        {"lz4 Float32", Compression::lz4, Way::write, float32,
         bytes_of({1,    0,    0,    0,    0,    0,    0,    0,  //
                   0,    0,    1,    0,    0,    0,    0,    0,  //
                   0x0c, 0,    0,    0,    0,    0,    0,    0,  //
                   0x0d, 0,    0,    0,    0,    0,    0,    0,  // 13 bytes compressed
                   0xc0,                                         // token: 12 literals, no match
                   0x00, 0x00, 0xc0, 0x3f, 0x00, 0x00, 0x10, 0xc0, 0xcd, 0xcc, 0xcc, 0x3d})},
        // No blocks: the header alone.
        {"zlib, no values", Compression::zlib, Way::write, "",
         bytes_of({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {"lz4, no values", Compression::lz4, Way::room, "",
         bytes_of({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (std::size_t chunk : {std::size_t{1}, std::size_t{5}, std::size_t{64}})
            EXPECT_EQ(appended(c.kind, c.way, c.values, chunk), c.expected) << "chunk " << chunk;
    }
}

// Arrays over one block: each block compressed on its own, its size in the
// header and its bytes given back whole by the matching decompressor; the
// raw array is its count and its bytes, however the writes fall on the
// block boundaries.
TEST(appended_data, arrays_over_a_block_are_split_at_block_boundaries)
{
    constexpr std::size_t block = AppendedData::block_size;
    std::string values(2 * block + 5, '\0');
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<char>((i * 7 + i / 300) % 251);
    libdeflate_decompressor* inflate = libdeflate_alloc_decompressor();
    for (Way way : {Way::write, Way::room}) {
        for (std::size_t chunk : {std::size_t{1000}, block, AppendedData::max_chunk}) {
            SCOPED_TRACE(chunk);
            const std::string raw = appended(Compression::none, way, values, chunk);
            EXPECT_EQ(word_at(raw, 0), values.size());
            EXPECT_TRUE(raw.substr(8) == values);

            for (Compression kind : {Compression::zlib, Compression::lz4}) {
                const std::string file = appended(kind, way, values, chunk);
                ASSERT_GE(file.size(), 6u * 8);
                EXPECT_EQ(word_at(file, 0), 3u);
                EXPECT_EQ(word_at(file, 1), block);
                EXPECT_EQ(word_at(file, 2), 5u);
                std::size_t at = 6 * 8;
                for (std::size_t k = 0; k < 3; ++k) {
                    const std::size_t size = word_at(file, 3 + k);
                    ASSERT_LE(at + size, file.size());
                    const std::string expected = values.substr(k * block, block);
                    std::string got(expected.size(), '\0');
                    std::size_t n = 0;
                    if (kind == Compression::zlib) {
                        ASSERT_EQ(libdeflate_zlib_decompress(inflate, file.data() + at, size,
                                                             got.data(), got.size(), &n),
                                  LIBDEFLATE_SUCCESS);
                    } else {
                        const int r = LZ4_decompress_safe(file.data() + at, got.data(),
                                                          static_cast<int>(size),
                                                          static_cast<int>(got.size()));
                        ASSERT_GE(r, 0);
                        n = static_cast<std::size_t>(r);
                    }
                    EXPECT_EQ(n, expected.size()) << "block " << k;
                    EXPECT_TRUE(got == expected) << "block " << k;
                    at += size;
                }
                EXPECT_EQ(at, file.size());
            }
        }
    }
    libdeflate_free_decompressor(inflate);
}

}  // namespace
