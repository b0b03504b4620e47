#include "run/mpi_plan.hpp"

#include <cstring>

namespace cellplot {
namespace {

// Opening, creating and closing a file costs about as much as converting
// this many bytes of it.
constexpr double file_cost_bytes = 64 * 1024;

}  // namespace

void pack_output(const Output& o, std::int32_t* w)
{
    std::memcpy(w, &o.job.settings, sizeof(Settings));
    std::memcpy(reinterpret_cast<char*>(w) + sizeof(Settings), &o.piece0, sizeof(Header));
}

void unpack_output(const std::int32_t* w, Output& o)
{
    // Both are trivially copyable; only their default member values make
    // them non-trivial to construct.
    std::memcpy(static_cast<void*>(&o.job.settings), w, sizeof(Settings));
    std::memcpy(static_cast<void*>(&o.piece0), reinterpret_cast<const char*>(w) + sizeof(Settings),
                sizeof(Header));
}

std::vector<Pair> list_pairs(const std::vector<Output>& outputs)
{
    std::vector<Pair> pairs;
    for (std::size_t k = 0; k < outputs.size(); ++k)
        for (std::int32_t p = 0; p < outputs[k].context.npieces; ++p)
            pairs.push_back({static_cast<std::int32_t>(k), p});
    return pairs;
}

double error_as_size(int error)
{
    return -1.0 - error;
}

int error_of_size(double size)
{
    return static_cast<int>(-1.0 - size);
}

std::int32_t looks_per_process(std::int64_t npairs, std::int32_t nprocs)
{
    return static_cast<std::int32_t>((npairs + nprocs - 1) / nprocs);
}

std::size_t look_slot(std::int64_t i, std::int32_t nprocs, std::int32_t per)
{
    return static_cast<std::size_t>((i % nprocs) * per + i / nprocs);
}

std::vector<double> pair_weights(std::vector<double> sizes)
{
    for (double& w : sizes)
        w += file_cost_bytes;
    return sizes;
}

void pack_share_done(const ShareDone& done, double* words)
{
    words[0] = static_cast<double>(done.pairs);
    words[1] = done.failed ? 1.0 : 0.0;
}

ShareDone unpack_share_done(const double* words)
{
    return {static_cast<std::int64_t>(words[0]), words[1] != 0};
}

std::vector<bool> outputs_written(std::size_t noutputs, const std::vector<Pair>& pairs,
                                  const std::vector<std::int64_t>& first,
                                  const std::vector<ShareDone>& done)
{
    std::vector<bool> written(noutputs, true);
    for (std::size_t r = 0; r < done.size(); ++r)
        for (std::int64_t i = first[r] + done[r].pairs; i < first[r + 1]; ++i)
            written[static_cast<std::size_t>(pairs[static_cast<std::size_t>(i)].output)] = false;
    return written;
}

std::string pieces_text(const std::vector<Output>& outputs, const std::vector<Pair>& pairs,
                        std::int64_t begin, std::int64_t end)
{
    std::string text;
    for (std::int64_t i = begin; i < end;) {
        std::int64_t j = i;
        while (j + 1 < end && pairs[static_cast<std::size_t>(j + 1)].output ==
                                  pairs[static_cast<std::size_t>(i)].output)
            ++j;
        const Pair& a = pairs[static_cast<std::size_t>(i)];
        const Pair& b = pairs[static_cast<std::size_t>(j)];
        text += text.empty() ? "" : ", ";
        text += i == j ? "piece " + std::to_string(a.ipiece)
                       : "pieces " + std::to_string(a.ipiece) + "-" + std::to_string(b.ipiece);
        text += " of output " +
                std::to_string(outputs[static_cast<std::size_t>(a.output)].job.settings.outnum);
        i = j + 1;
    }
    return text;
}

}  // namespace cellplot
