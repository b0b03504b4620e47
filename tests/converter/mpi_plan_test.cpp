// The planning of cellplot-mpi without MPI: what one process packs another
// unpacks unchanged, error numbers survive the trip as sizes, every pair is
// looked at and shared once in order, and the outputs left complete are
// those whose every pair some process wrote.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>

#include "run/mpi_plan.hpp"
#include "run/work_share.hpp"

using namespace cellplot;

namespace {

Output output_with(std::int32_t outnum, std::int32_t npieces)
{
    Output o;
    o.job.settings.outnum = outnum;
    o.context.npieces = npieces;
    return o;
}

TEST(mpi_plan, a_packed_output_unpacks_to_the_same_settings_and_header)
{
    struct Case {
        Settings settings;
        Header header;
    };
    Header odd;
    odd.first = -7;
    odd.npieces = 123456;
    odd.extent[0] = 1e300;
    odd.extent[1] = -0.0;
    odd.extent[2] = std::numeric_limits<double>::quiet_NaN();
    odd.rootsize = std::numeric_limits<double>::denorm_min();
    odd.reflevel = -1;
    odd.nlevels = 19;
    odd.ncells = std::numeric_limits<std::int32_t>::max();
    odd.nspecies = std::numeric_limits<std::int32_t>::min();
    odd.unused[3] = -std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {Settings{}, Header{}},
        {Settings{0, 9999}, odd},
        {Settings{-3, std::numeric_limits<std::int32_t>::max()}, Header{1, 8, {1, 2, 3}, 0.5}},
    };
    for (const Case& c : cases) {
        Output sent;
        sent.job.settings = c.settings;
        sent.piece0 = c.header;
        std::int32_t words[output_words + 1];
        words[output_words] = 0x5eed;  // packing stays within output_words
        pack_output(sent, words);
        EXPECT_EQ(words[output_words], 0x5eed);
        Output got = output_with(77, 5);
        got.job.dir = "elsewhere";
        unpack_output(words, got);
        EXPECT_EQ(std::memcmp(&got.job.settings, &c.settings, sizeof(Settings)), 0);
        EXPECT_EQ(std::memcmp(&got.piece0, &c.header, sizeof(Header)), 0);
        EXPECT_EQ(got.job.dir, "elsewhere");  // only settings and header travel
        EXPECT_EQ(got.context.npieces, 5);
    }
}

TEST(mpi_plan, an_error_number_survives_the_trip_as_a_size)
{
    for (int error : {0, ENOENT, EACCES, EISDIR, ELOOP, ENAMETOOLONG, 4095}) {
        const double size = error_as_size(error);
        EXPECT_LT(size, 0) << error;
        EXPECT_EQ(error_of_size(size), error);
    }
}

TEST(mpi_plan, every_pair_is_looked_at_once_and_shared_once_in_order)
{
    const std::vector<std::vector<std::int32_t>> runs = {{},        {1},       {0},         {3},
                                                         {1, 1, 1}, {5, 0, 2}, {4, 7, 1, 9}};
    for (const auto& npieces : runs) {
        std::vector<Output> outputs;
        for (std::size_t k = 0; k < npieces.size(); ++k)
            outputs.push_back(output_with(static_cast<std::int32_t>(10 * k), npieces[k]));
        const std::vector<Pair> pairs = list_pairs(outputs);
        std::size_t at = 0;
        for (std::size_t k = 0; k < npieces.size(); ++k)
            for (std::int32_t p = 0; p < npieces[k]; ++p, ++at) {
                ASSERT_LT(at, pairs.size());
                EXPECT_EQ(pairs[at].output, static_cast<std::int32_t>(k));
                EXPECT_EQ(pairs[at].ipiece, p);
            }
        EXPECT_EQ(at, pairs.size());

        const auto n = static_cast<std::int64_t>(pairs.size());
        for (std::int32_t nprocs = 1; nprocs <= 6; ++nprocs) {
            // The looks: process i % nprocs at its place i / nprocs, each
            // pair in its own slot of the gathered values.
            const std::int32_t per = looks_per_process(n, nprocs);
            std::set<std::size_t> slots;
            for (std::int64_t i = 0; i < n; ++i) {
                EXPECT_LT(i / nprocs, per);
                const std::size_t slot = look_slot(i, nprocs, per);
                EXPECT_EQ(slot / static_cast<std::size_t>(per),
                          static_cast<std::size_t>(i % nprocs));
                EXPECT_TRUE(slots.insert(slot).second);
            }
            // The shares: consecutive runs from 0 to n, empty pieces weighed.
            std::vector<double> sizes(pairs.size());
            for (std::size_t i = 0; i < sizes.size(); ++i)
                sizes[i] = static_cast<double>(i % 3 == 0 ? 0 : 1000 * i);
            const std::vector<double> weights = pair_weights(sizes);
            for (std::size_t i = 0; i < sizes.size(); ++i)
                EXPECT_GT(weights[i], sizes[i]);
            const std::vector<std::int64_t> first = share_by_weight(weights, nprocs);
            ASSERT_EQ(first.size(), static_cast<std::size_t>(nprocs) + 1);
            EXPECT_EQ(first.front(), 0);
            EXPECT_EQ(first.back(), n);
            for (std::size_t r = 0; r + 1 < first.size(); ++r)
                EXPECT_LE(first[r], first[r + 1]);
        }
    }
}

TEST(mpi_plan, outputs_are_complete_when_every_share_wrote_its_pairs)
{
    // Outputs 0..2 with 2, 3 and 1 pieces: pairs 0-1, 2-4, 5.  Three
    // processes with shares [0, 2), [2, 5), [5, 6).
    const std::vector<Output> outputs = {output_with(4, 2), output_with(5, 3), output_with(9, 1)};
    const std::vector<Pair> pairs = list_pairs(outputs);
    const std::vector<std::int64_t> first = {0, 2, 5, 6};
    struct Case {
        std::vector<ShareDone> done;
        std::vector<bool> written;
    };
    const Case cases[] = {
        {{{2, false}, {3, false}, {1, false}}, {true, true, true}},
        {{{0, false}, {3, false}, {1, false}}, {false, true, true}},
        {{{2, false}, {2, true}, {1, false}}, {true, false, true}},
        {{{2, false}, {0, false}, {0, true}}, {true, false, false}},
        {{{1, true}, {0, false}, {0, false}}, {false, false, false}},
    };
    for (const Case& c : cases) {
        std::vector<ShareDone> gathered;
        for (const ShareDone& d : c.done) {
            double words[share_done_words];
            pack_share_done(d, words);
            gathered.push_back(unpack_share_done(words));
            EXPECT_EQ(gathered.back().pairs, d.pairs);
            EXPECT_EQ(gathered.back().failed, d.failed);
        }
        EXPECT_EQ(outputs_written(outputs.size(), pairs, first, gathered), c.written);
    }

    EXPECT_EQ(pieces_text(outputs, pairs, 0, 6),
              "pieces 0-1 of output 4, pieces 0-2 of output 5, piece 0 of output 9");
    EXPECT_EQ(pieces_text(outputs, pairs, 1, 3), "piece 1 of output 4, piece 0 of output 5");
    EXPECT_EQ(pieces_text(outputs, pairs, 3, 3), "");
}

}  // namespace
