// Every wrapper's effect across the ranks of the job; run under mpiexec with
// 1, 2 and 4 processes.  Every rank runs every test in the same order, so
// collectives match; checks are EXPECTs so that a failing rank still joins
// the later collectives.  Expected values are worked out by hand from the
// rank numbers; raw MPI calls only stand on the other side of point-to-point
// pairs.
#include "cellkeys.h"

#include <gtest/gtest.h>
#include <mpi.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

int world_size = 0;
int world_rank = 0;

// Wrappers never read these; any value, even an invalid pointer, must do.
const void* const garbage = reinterpret_cast<const void*>(std::uintptr_t{0xdeadbeef});

// Doubles that name their origin, their destination and their position.
double tagged(int from, int to, int k)
{
    return 1000.0 * from + 10.0 * to + k + 0.5;
}

}  // namespace

TEST(msg_topology, size_and_rank_match_the_world)
{
    std::int32_t size = -7, rank = -7;
    msg_count_and_rank(&size, &rank);
    EXPECT_EQ(size, world_size);
    EXPECT_EQ(rank, world_rank);
    // Each rank appears exactly once.
    std::vector<int> ranks(world_size, -1);
    const int mine = rank;
    MPI_Allgather(&mine, 1, MPI_INT, ranks.data(), 1, MPI_INT, MPI_COMM_WORLD);
    for (int r = 0; r < world_size; ++r)
        EXPECT_EQ(ranks[r], r);
}

TEST(msg_exchange, equal_blocks_arrive_ordered_by_rank)
{
    constexpr int block = 3;
    std::vector<double> send(block * world_size), recv(block * world_size, -1.0);
    for (int d = 0; d < world_size; ++d)
        for (int k = 0; k < block; ++k)
            send[d * block + k] = tagged(world_rank, d, k);
    const std::int32_t count = block;
    msg_exchange_doubles(send.data(), garbage, &count, recv.data(), garbage, &count);
    for (int s = 0; s < world_size; ++s)
        for (int k = 0; k < block; ++k)
            EXPECT_EQ(recv[s * block + k], tagged(s, world_rank, k)) << "from " << s;
}

// Uneven counts (some zero), send blocks stored in reverse rank order with
// holes, receive blocks in rank order with holes that must stay untouched.
TEST(msg_exchange, uneven_counts_and_displacements_land_where_asked)
{
    auto count_of = [](int from, int to) { return (from + 2 * to) % 3; };
    std::vector<std::int32_t> scount(world_size), sdispl(world_size);
    std::vector<std::int32_t> rcount(world_size), rdispl(world_size);
    std::vector<double> send;
    for (int d = world_size - 1; d >= 0; --d) {
        send.push_back(-5.0);  // hole
        scount[d] = count_of(world_rank, d);
        sdispl[d] = static_cast<std::int32_t>(send.size());
        for (int k = 0; k < scount[d]; ++k)
            send.push_back(tagged(world_rank, d, k));
    }
    int end = 0;
    for (int s = 0; s < world_size; ++s) {
        rcount[s] = count_of(s, world_rank);
        rdispl[s] = end + 2;
        end = rdispl[s] + rcount[s];
    }
    std::vector<double> recv(end + 2, -1.0);
    msg_exchange_variable_doubles(send.data(), garbage, scount.data(), sdispl.data(), recv.data(),
                                  garbage, rcount.data(), rdispl.data());
    std::vector<double> expected(end + 2, -1.0);
    for (int s = 0; s < world_size; ++s)
        for (int k = 0; k < rcount[s]; ++k)
            expected[rdispl[s] + k] = tagged(s, world_rank, k);
    EXPECT_EQ(recv, expected);
}

TEST(msg_reduce, sum_reaches_rank_0_only)
{
    const std::int32_t value = 10 * (world_rank + 1);
    std::int32_t total = -1;
    msg_sum_int_to_root(&value, &total);
    if (world_rank == 0)
        EXPECT_EQ(total, 5 * world_size * (world_size + 1));
    else
        EXPECT_EQ(total, -1);
}

TEST(msg_reduce, largest_reaches_every_rank)
{
    // Peak on the middle rank, all values negative.
    const int peak = (world_size - 1) / 2;
    const double value = -1.25 - (world_rank - peak) * (world_rank - peak);
    double largest = 0.0;
    msg_largest_double(&value, &largest);
    EXPECT_EQ(largest, -1.25);
}

TEST(msg_gather, blocks_are_collected_in_rank_order)
{
    const double send[2] = {tagged(world_rank, 0, 0), tagged(world_rank, 0, 1)};
    std::vector<double> recv(2 * world_size, -1.0);
    const std::int32_t count = 2;
    msg_collect_doubles(send, &count, recv.data());
    for (int s = 0; s < world_size; ++s) {
        EXPECT_EQ(recv[2 * s], tagged(s, 0, 0));
        EXPECT_EQ(recv[2 * s + 1], tagged(s, 0, 1));
    }
}

TEST(msg_broadcast, integers_spread_from_the_last_rank)
{
    const std::int32_t root = world_size - 1;  // not rank 0 whenever there are two or more
    std::int32_t buf[5] = {-1, -1, -1, -1, -1};
    if (world_rank == root)
        for (int k = 0; k < 4; ++k)
            buf[k] = 100 + k;
    const std::int32_t count = 4;
    msg_spread_ints(buf, garbage, &count, &root);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(buf[k], 100 + k);
    EXPECT_EQ(buf[4], -1);  // beyond count
}

// Around a ring: the receive from the left is posted before the synchronous
// send to the right, so no rank can wait forever, on one process too.
TEST(msg_point_to_point, synchronous_posts_travel_around_the_ring)
{
    const int right = (world_rank + 1) % world_size;
    const int left = (world_rank + world_size - 1) % world_size;
    double in[3] = {};
    MPI_Request request;
    MPI_Irecv(in, 3, MPI_DOUBLE, left, 17, MPI_COMM_WORLD, &request);
    const double out[3] = {tagged(world_rank, right, 0), tagged(world_rank, right, 1),
                           tagged(world_rank, right, 2)};
    const std::int32_t count = 3, dest = right, tag = 17;
    msg_post_doubles(out, garbage, &count, &dest, &tag);
    MPI_Wait(&request, MPI_STATUS_IGNORE);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(in[k], tagged(left, world_rank, k));
}

TEST(msg_point_to_point, integers_are_taken_by_source_and_tag)
{
    const int right = (world_rank + 1) % world_size;
    const int left = (world_rank + world_size - 1) % world_size;
    const int first[2] = {world_rank, 1}, second[2] = {world_rank, 2};
    MPI_Request requests[2];
    MPI_Isend(first, 2, MPI_INT, right, 5, MPI_COMM_WORLD, &requests[0]);
    MPI_Isend(second, 2, MPI_INT, right, 6, MPI_COMM_WORLD, &requests[1]);
    std::int32_t got6[3] = {-1, -1, -1}, got5[3] = {-1, -1, -1};
    const std::int32_t count = 2, source = left, tag5 = 5, tag6 = 6;
    msg_take_ints(got6, &count, &source, &tag6);  // the later message first
    msg_take_ints(got5, &count, &source, &tag5);
    MPI_Waitall(2, requests, MPI_STATUSES_IGNORE);
    EXPECT_EQ(got6[0], left);
    EXPECT_EQ(got6[1], 2);
    EXPECT_EQ(got5[0], left);
    EXPECT_EQ(got5[1], 1);
    EXPECT_EQ(got6[2], -1);
}

// Rank 0 arrives late; nobody may leave before it has arrived.
TEST(msg_barrier, nobody_leaves_before_the_last_arrives)
{
    using clock = std::chrono::steady_clock;
    constexpr auto delay = std::chrono::milliseconds(200);
    MPI_Barrier(MPI_COMM_WORLD);
    const auto start = clock::now();
    if (world_rank == 0)
        std::this_thread::sleep_for(delay);
    msg_rendezvous();
    const auto waited = clock::now() - start;
    // The raw barrier above lets ranks go at slightly different moments;
    // half the delay leaves room for that.
    EXPECT_GE(waited, delay / 2);
}

namespace {

// Rank 0 prints the usual report; other ranks print only their failures.
class FailurePrinter : public testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& result) override
    {
        if (result.failed())
            std::printf("rank %d: %s:%d: %s\n", world_rank, result.file_name(),
                        result.line_number(), result.summary());
    }
};

}  // namespace

int main(int argc, char** argv)
{
    MPI_Init(&argc, &argv);
    MPI_Comm_size(MPI_COMM_WORLD, &world_size);
    MPI_Comm_rank(MPI_COMM_WORLD, &world_rank);
    testing::InitGoogleTest(&argc, argv);
    if (world_rank != 0) {
        auto& listeners = testing::UnitTest::GetInstance()->listeners();
        delete listeners.Release(listeners.default_result_printer());
        listeners.Append(new FailurePrinter);
    }
    const int failed = RUN_ALL_TESTS() != 0 ? 1 : 0;
    int any_failed = 0;
    MPI_Allreduce(&failed, &any_failed, 1, MPI_INT, MPI_MAX, MPI_COMM_WORLD);

    msg_shut_down();
    int finalized = 0;
    MPI_Finalized(&finalized);
    if (!finalized) {
        std::printf("rank %d: msg_shut_down left MPI running\n", world_rank);
        return 1;
    }
    return any_failed;
}
