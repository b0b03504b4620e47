// The arrays of one <AppendedData encoding="raw"> block, streamed into the
// piece file one after the other, each in the form VTK reads with
// header_type="UInt64" and little-endian words:
//   no compression: the byte count, then the bytes;
//   zlib or lz4: the block header [number of blocks, block size, size of a
//   partial last block (0 when the last is full), compressed size of each
//   block], then the blocks, each compressed on its own.
// A block header is written as room first and filled in by a positioned
// write once the array is done, so nothing larger than one block is held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "run/out_file.hpp"
#include "write/block_compressor.hpp"
#include "write/output_style.hpp"

namespace cellplot {

class AppendedData {
public:
    AppendedData(OutFile& out, Compression kind);

    // Starts an array of exactly nbytes uncompressed bytes.
    void begin(std::uint64_t nbytes);
    // Room for n more bytes of the array (n at most max_chunk, no alignment
    // promised); write them from the pointer returned, then pass the end to
    // advance().
    char* room(std::size_t n);
    void advance(char* end);
    // Appends n bytes from data (any length).
    void write(const void* data, std::size_t n);
    // Ends the array; refuses one whose byte count differs from begin's.
    void end();

    static constexpr std::size_t max_chunk = std::size_t{1} << 18;
    static constexpr std::size_t block_size = std::size_t{1} << 16;  // uncompressed

private:
    void compress_block(const char* data, std::size_t n);

    OutFile& out_;
    std::unique_ptr<BlockCompressor> compressor_;  // none when raw
    std::unique_ptr<char[]> stage_;                // the block being filled
    std::size_t staged_ = 0;
    std::vector<std::uint64_t> header_;  // the block header words
    std::size_t blocks_done_ = 0;
    std::uint64_t header_at_ = 0;  // its file position
    std::uint64_t expected_ = 0;
    std::uint64_t received_ = 0;
    char* raw_room_ = nullptr;
};

}  // namespace cellplot
