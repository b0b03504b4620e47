#include "write/appended_data.hpp"

#include <bit>
#include <cstring>
#include <string>
#include <string_view>

#include "run/failure.hpp"

namespace cellplot {

// The words are written as they lie in memory, declared LittleEndian.
static_assert(std::endian::native == std::endian::little);

AppendedData::AppendedData(OutFile& out, Compression kind) : out_(out)
{
    if (kind != Compression::none) {
        compressor_ = std::make_unique<BlockCompressor>(kind);
        stage_.reset(new char[block_size + max_chunk]);
    }
}

void AppendedData::begin(std::uint64_t nbytes)
{
    expected_ = nbytes;
    received_ = 0;
    if (!compressor_) {
        out_.put(std::string_view(reinterpret_cast<const char*>(&nbytes), sizeof nbytes));
        return;
    }
    const std::uint64_t nblocks = (nbytes + block_size - 1) / block_size;
    header_.assign(3 + nblocks, 0);
    header_[0] = nblocks;
    header_[1] = block_size;
    header_[2] = nbytes % block_size;
    blocks_done_ = 0;
    staged_ = 0;
    header_at_ = out_.position();
    out_.put(std::string_view(reinterpret_cast<const char*>(header_.data()),
                              header_.size() * sizeof(std::uint64_t)));
}

char* AppendedData::room(std::size_t n)
{
    if (!compressor_)
        return raw_room_ = out_.room(n);
    return stage_.get() + staged_;
}

void AppendedData::advance(char* end)
{
    if (!compressor_) {
        received_ += static_cast<std::uint64_t>(end - raw_room_);
        out_.advance(end);
        return;
    }
    const std::size_t filled = static_cast<std::size_t>(end - stage_.get());
    received_ += filled - staged_;
    std::size_t done = 0;
    for (; filled - done >= block_size; done += block_size)
        compress_block(stage_.get() + done, block_size);
    staged_ = filled - done;
    if (done > 0 && staged_ > 0)
        std::memmove(stage_.get(), stage_.get() + done, staged_);
}

void AppendedData::write(const void* data, std::size_t n)
{
    const char* from = static_cast<const char*>(data);
    received_ += n;
    if (!compressor_) {
        out_.put_large(from, n);
        return;
    }
    if (staged_ > 0) {
        const std::size_t k = block_size - staged_ < n ? block_size - staged_ : n;
        std::memcpy(stage_.get() + staged_, from, k);
        staged_ += k;
        from += k;
        n -= k;
        if (staged_ < block_size)
            return;
        compress_block(stage_.get(), block_size);
        staged_ = 0;
    }
    for (; n >= block_size; from += block_size, n -= block_size)
        compress_block(from, block_size);
    std::memcpy(stage_.get(), from, n);
    staged_ = n;
}

void AppendedData::end()
{
    if (compressor_ && staged_ > 0) {
        compress_block(stage_.get(), staged_);
        staged_ = 0;
    }
    if (received_ != expected_ || (compressor_ && blocks_done_ + 3 != header_.size()))
        fail(out_.name(), "internal error: an array of " + std::to_string(expected_) +
                              " bytes was given " + std::to_string(received_));
    if (compressor_ && blocks_done_ > 0)
        out_.patch(header_at_ + 3 * sizeof(std::uint64_t), header_.data() + 3,
                   blocks_done_ * sizeof(std::uint64_t));
}

void AppendedData::compress_block(const char* data, std::size_t n)
{
    if (3 + blocks_done_ >= header_.size())
        fail(out_.name(),
             "internal error: more data than the array's " + std::to_string(expected_) + " bytes");
    char* p = out_.room(compressor_->bound(n));
    const std::size_t size = compressor_->compress(data, n, p);
    if (size == 0)
        fail(out_.name(), "cannot compress a block of " + std::to_string(n) + " bytes");
    out_.advance(p + size);
    header_[3 + blocks_done_++] = size;
}

}  // namespace cellplot
