// One block of an appended array compressed on its own, in the form VTK's
// compressors read it: vtkZLibDataCompressor a zlib stream (RFC 1950) per
// block, vtkLZ4DataCompressor an LZ4 block (not frame) per block.
#pragma once

#include <cstddef>
#include <memory>

#include "write/output_style.hpp"

struct libdeflate_compressor;

namespace cellplot {

// The name VTK reads in the compressor attribute of the VTKFile element for
// blocks of kind (zlib or lz4).
const char* vtk_compressor_name(Compression kind);

class BlockCompressor {
public:
    // kind is zlib or lz4.
    explicit BlockCompressor(Compression kind);
    ~BlockCompressor();
    BlockCompressor(const BlockCompressor&) = delete;
    BlockCompressor& operator=(const BlockCompressor&) = delete;

    // The most bytes that n input bytes can take compressed.
    std::size_t bound(std::size_t n) const;
    // Compresses n bytes from in into out (room for bound(n) bytes; the two
    // do not overlap); returns the compressed size.
    std::size_t compress(const void* in, std::size_t n, void* out) const;

private:
    Compression kind_;
    libdeflate_compressor* deflate_ = nullptr;
};

}  // namespace cellplot
