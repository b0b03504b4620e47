// The text (list-directed) and binary (record-framed) readers, and the
// control file, fed whole files from memory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "read/binary_reader.hpp"
#include "read/input.hpp"
#include "read/text_reader.hpp"
#include "run/failure.hpp"

using namespace cellplot;

namespace {

std::string failure_of(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Failure& e) {
        return e.file + ": " + e.cause;
    }
    return "no failure";
}

struct Text {
    explicit Text(std::string s)
        : bytes(std::move(s)), source("t.res", bytes.data(), bytes.size()), in(source)
    {}
    std::string bytes;
    MemorySource source;
    TextReader in;
    std::vector<double> reals(int record, int n)
    {
        std::vector<double> v(static_cast<std::size_t>(n));
        in.begin_record(record);
        in.reals(v.data(), n);
        in.end_record();
        return v;
    }
    std::vector<std::int32_t> ints(int record, int n)
    {
        std::vector<std::int32_t> v(static_cast<std::size_t>(n));
        in.begin_record(record);
        in.integers(v.data(), n);
        in.end_record();
        return v;
    }
};

std::string record(const std::vector<unsigned char>& payload, std::int32_t open, std::int32_t close)
{
    std::string s(4, '\0');
    std::memcpy(s.data(), &open, 4);
    s.append(payload.begin(), payload.end());
    std::string c(4, '\0');
    std::memcpy(c.data(), &close, 4);
    return s + c;
}

std::vector<unsigned char> doubles(std::initializer_list<double> vs)
{
    std::vector<unsigned char> b;
    for (double v : vs) {
        unsigned char raw[8];
        std::memcpy(raw, &v, 8);
        b.insert(b.end(), raw, raw + 8);
    }
    return b;
}

}  // namespace

TEST(text_reader, values_run_over_lines_and_the_rest_of_the_last_line_is_skipped)
{
    Text t("1 2,3\n  4\n5 ignored words\n6\n");
    EXPECT_EQ(t.reals(1, 5), (std::vector<double>{1, 2, 3, 4, 5}));
    EXPECT_EQ(t.reals(2, 1), (std::vector<double>{6}));
}

TEST(text_reader, a_record_without_values_takes_one_line)
{
    Text t("whatever is here\n7\n");
    EXPECT_EQ(t.reals(1, 0), std::vector<double>{});
    EXPECT_EQ(t.ints(2, 1), std::vector<std::int32_t>{7});
    EXPECT_EQ(failure_of([&] { t.reals(3, 0); }), "t.res: ends before record 3");
}

TEST(text_reader, reads_reals_as_a_fortran_list_directed_read_does)
{
    Text t("+1.5 -2 3. .25 1.5D3 2d-2 1.0+3 1.0-2 7E+1 1e400 -1e400 1e-400 "
           "4.9406564584124654e-324 2.2250738585072011e-308 Infinity -inf NaN 3*0.5 1q2\n"
           "0.1000000000000000055511151231257827021181583404541015625\n");
    auto v = t.reals(1, 22);
    std::vector<double> expected = {1.5,
                                    -2,
                                    3,
                                    0.25,
                                    1500,
                                    0.02,
                                    1000,
                                    0.01,
                                    70,
                                    HUGE_VAL,
                                    -HUGE_VAL,
                                    0,
                                    4.9406564584124654e-324,
                                    2.2250738585072011e-308,
                                    HUGE_VAL,
                                    -HUGE_VAL,
                                    NAN,
                                    0.5,
                                    0.5,
                                    0.5,
                                    100,
                                    0.1};
    ASSERT_EQ(v.size(), expected.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (std::isnan(expected[i]))
            EXPECT_TRUE(std::isnan(v[i])) << i;
        else
            EXPECT_EQ(v[i], expected[i]) << i;
    }
}

TEST(text_reader, reads_integers_with_signs_and_refuses_other_values)
{
    Text t("+7 -3 007 2147483647 -2147483648\n");
    EXPECT_EQ(t.ints(1, 5), (std::vector<std::int32_t>{7, -3, 7, 2147483647, INT32_MIN}));
    for (const char* bad : {"2147483648", "1.0", "1e2", "x", "+", "--1"}) {
        Text u(std::string(bad) + "\n");
        EXPECT_EQ(failure_of([&] { u.ints(1, 1); }),
                  std::string("t.res: line 1: cannot read '") + bad + "' as an integer")
            << bad;
    }
}

TEST(text_reader, refuses_what_it_does_not_read_with_the_line)
{
    EXPECT_EQ(failure_of([] { Text("1\n2\n1.5x\n").reals(1, 3); }),
              "t.res: line 3: cannot read '1.5x' as a real");
    EXPECT_EQ(failure_of([] { Text("0*1.5\n").reals(1, 1); }),
              "t.res: line 1: cannot read '0*1.5' as a real");
    EXPECT_EQ(failure_of([] { Text("1,,2\n").reals(4, 3); }),
              "t.res: line 1: empty value in record 4 (two commas in a row are not supported)");
    EXPECT_EQ(failure_of([] { Text(",1\n").reals(4, 1); }),
              "t.res: line 1: empty value in record 4 (two commas in a row are not supported)");
    EXPECT_EQ(failure_of([] { Text("1 /\n").reals(4, 2); }),
              "t.res: line 1: a slash ends record 4 early (not supported)");
    EXPECT_EQ(failure_of([] { Text("1 2\n").reals(6, 3); }),
              "t.res: ends in record 6 after 2 values; a real expected");
    EXPECT_EQ(failure_of([] { Text(std::string(70000, '1')).reals(1, 1); }),
              "t.res: line 1: a value longer than 65536 characters");
}

TEST(text_reader, values_straddling_the_read_buffer_are_whole)
{
    // Two million values cross the 1 MiB buffer many times, at every offset.
    // Separators and spellings vary so that every path of the reader meets
    // the buffer's end.
    std::string s;
    const char* separators[] = {" ", ",\n", "\t", "\n\n   ", " , ", "\r\n", "    "};
    for (int i = 0; i < 300000; ++i) {
        std::string digits = std::to_string(i);
        s += i % 5 == 1 ? "+" + digits + ".5" : i % 5 == 2 ? digits + ".5d0" : digits + ".5";
        s += separators[i % 7];
    }
    Text t(s + "\n");
    auto v = t.reals(1, 300000);
    for (int i = 0; i < 300000; ++i)
        ASSERT_EQ(v[static_cast<std::size_t>(i)], i + 0.5) << i;
}

TEST(binary_reader, a_longer_record_is_skipped_past_and_a_shorter_one_refused)
{
    std::string bytes = record(doubles({1.0, 2.0, 3.0}), 24, 24) + record(doubles({4.0}), 8, 8) +
                        record(doubles({5.0}), 8, 8);
    MemorySource src("b.res", bytes.data(), bytes.size());
    BinaryReader in(src);
    in.begin_record(1, 8);
    EXPECT_EQ(in.real(), 1.0);
    in.end_record();
    in.begin_record(2, 8);
    EXPECT_EQ(in.real(), 4.0);
    in.end_record();
    EXPECT_EQ(failure_of([&] { in.begin_record(3, 16); }),
              "b.res: record 3 holds 8 bytes, 16 needed");
}

TEST(binary_reader, damaged_frames_and_early_ends_are_refused)
{
    auto fails = [](const std::string& bytes, std::int64_t needed) {
        MemorySource src("b.res", bytes.data(), bytes.size());
        BinaryReader in(src);
        return failure_of([&] {
            in.begin_record(1, needed);
            std::vector<double> v(static_cast<std::size_t>(needed / 8));
            in.reals(v.data(), needed / 8);
            in.end_record();
        });
    };
    EXPECT_EQ(fails(record(doubles({1.0}), 8, 9), 8),
              "b.res: record 1 is damaged: it opens with 8 bytes and closes with 9");
    EXPECT_EQ(fails(record(doubles({1.0}), -8, -8), 8),
              "b.res: record 1 has a negative length (-8)");
    EXPECT_EQ(fails(record(doubles({1.0}), 8, 8).substr(0, 10), 8),
              "b.res: ends inside the payload of record 1");
    EXPECT_EQ(fails("", 8), "b.res: ends before record 1");
    EXPECT_EQ(fails(record(doubles({1.0}), 8, 8).substr(0, 13), 8),
              "b.res: ends inside the closing length of record 1");
    // A record beyond the read buffer is read straight into place.
    std::vector<double> big(50000, 2.5);
    std::vector<unsigned char> payload(big.size() * 8);
    std::memcpy(payload.data(), big.data(), payload.size());
    EXPECT_EQ(fails(record(payload, 400000, 400000), 400000), "no failure");
}

TEST(control_file, line_seven_gives_textmode_and_line_ten_the_output_number)
{
    std::string text = "a\nb\nc\nd\ne\nf\n 0, text\ng\nh\n12 twelve\n99\n";
    MemorySource src("contview.dat", text.data(), text.size());
    Settings s;
    read_control_from(src, s);
    EXPECT_EQ(s.textmode, 0);
    EXPECT_EQ(s.outnum, 12);
}

TEST(control_file, fewer_than_ten_lines_or_a_bad_value_is_refused)
{
    auto fails = [](const std::string& text) {
        MemorySource src("contview.dat", text.data(), text.size());
        Settings s;
        return failure_of([&] { read_control_from(src, s); });
    };
    const std::string read = " lines; line 7 (the result encoding) and line 10 (the output "
                             "number) are read";
    EXPECT_EQ(fails("1\n2\n3\n4\n5\n6\n0\n8\n9\n"), "contview.dat: has only 9" + read);
    EXPECT_EQ(fails("1\n2\n3\n"), "contview.dat: has only 3" + read);
    EXPECT_EQ(fails(""), "contview.dat: has only 0" + read);
    EXPECT_EQ(fails("1\n2\n3\n4\n5\n6\nbinary\n8\n9\n10\n"),
              "contview.dat: line 7: cannot read 'binary' as an integer");
}
