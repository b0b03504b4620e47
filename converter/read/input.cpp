#include "read/input.hpp"

#include <cctype>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "read/binary_reader.hpp"
#include "read/text_reader.hpp"
#include "run/failure.hpp"
#include "run/file_names.hpp"

namespace cellplot {

void read_control(const std::string& dir, Settings& settings)
{
    const std::string path = in_dir(dir, control_file_name);
    if (!file_exists(path))
        return;
    FileSource source(path);
    read_control_from(source, settings);
}

void read_control_from(ByteSource& source, Settings& settings)
{
    TextReader in(source);
    int line = 1;
    // A file that ends before line 10 is told by its lines, not by records.
    auto start_line = [&] {
        if (in.at_end())
            fail(source.name(), "has only " + std::to_string(line - 1) +
                                    " lines; line 7 (the result encoding) and line 10 (the "
                                    "output number) are read");
        in.begin_record(line++);
    };
    auto skip_line = [&] {
        start_line();
        in.end_record();
    };
    auto first_value = [&] {
        start_line();
        std::int32_t v = in.integer();
        in.end_record();
        return v;
    };
    for (int k = 0; k < 6; ++k)
        skip_line();
    settings.textmode = first_value();
    skip_line();
    skip_line();
    settings.outnum = first_value();
}

namespace {

// A count from a header beyond the storage set aside for it.
void refuse_above(const std::string& name, std::int32_t count, std::int32_t capacity,
                  const char* what)
{
    if (count > capacity)
        fail(name, "holds " + std::to_string(count) + " " + what + ", more than the " +
                       std::to_string(capacity) + " a piece may have");
}

// Records 1 to 4, with the capacities checked.
template <class Reader>
void read_header_records(Reader& in, const std::string& name, Header& h)
{
    in.begin_record(1, 8);
    h.first = in.integer();
    h.npieces = in.integer();
    in.end_record();

    in.begin_record(2, 24);
    for (double& e : h.extent)
        e = in.real();
    in.end_record();

    in.begin_record(3, 24);
    h.rootsize = in.real();
    h.reflevel = in.integer();
    h.nlevels = in.integer();
    h.ncells = in.integer();
    h.nspecies = in.integer();
    in.end_record();
    // A negative count is a writer's fault; the piece is taken as empty (its
    // per-cell records are still there, each with no values) rather than
    // written with a count that no reader of the output can open.
    if (h.ncells < 0)
        h.ncells = 0;
    refuse_above(name, h.ncells, max_cells, "cells");
    refuse_above(name, h.nspecies, max_species, "species");

    in.begin_record(4, 32);
    for (double& u : h.unused)
        u = in.real();
    in.end_record();
}

template <class Reader>
void read_records(Reader& in, const std::string& name, Piece& piece)
{
    const Header& h = piece.header;
    read_header_records(in, name, piece.header);

    const std::int64_t n = h.ncells;
    int record = 5;
    in.begin_record(record++, 4 * n);
    in.integers(piece.nlevel.get(), n);
    in.end_record();
    auto real_record = [&](double* dst) {
        in.begin_record(record++, 8 * n);
        in.reals(dst, n);
        in.end_record();
    };
    for (double* a : {piece.strn12.get(), piece.strn13.get(), piece.strn23.get(), piece.srun.get(),
                      piece.drun.get(), piece.erun.get(), piece.trun.get(), piece.prun.get()})
        real_record(a);
    for (int a = 0; a < 3; ++a)
        real_record(piece.velocity(a));
    for (int j = 1; j <= h.nspecies; ++j)
        real_record(piece.species(j));
}

// When a result file that could not be read looks like the other encoding,
// says so and how to choose it; otherwise nothing.  A binary file opens with
// the byte count 8 of its first record; a text file with digits and blanks.
std::string encoding_hint(const std::string& path, bool text)
{
    unsigned char head[64];
    ssize_t got = -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        got = ::read(fd, head, sizeof head);
        ::close(fd);
    }
    if (got < 4)
        return "";
    const bool binary_like = head[0] == 8 && head[1] == 0 && head[2] == 0 && head[3] == 0;
    bool text_like = true;
    for (ssize_t k = 0; k < got; ++k)
        text_like = text_like && (std::isprint(head[k]) || std::isspace(head[k]));
    if (text && binary_like)
        return "; it looks like a binary result file: set line 7 of contview.dat to 0 or use "
               "--encoding=binary";
    if (!text && text_like)
        return "; it looks like a text result file: set line 7 of contview.dat to 1 or use "
               "--encoding=text";
    return "";
}

// Runs read(reader) with the reader of the encoding chosen.
template <class Read>
void with_reader(ByteSource& source, bool text, Read read)
{
    if (text) {
        TextReader in(source);
        read(in);
    } else {
        BinaryReader in(source);
        read(in);
    }
}

// Runs read(reader) on the file at path; a failure's cause gains a hint
// when the file looks like the other encoding.
template <class Read>
void read_file(const std::string& path, bool text, Read read)
{
    FileSource source(path);
    try {
        with_reader(source, text, read);
    } catch (Failure& f) {
        f.cause += encoding_hint(path, text);
        throw;
    }
}

}  // namespace

void read_result_from(ByteSource& source, bool text, Piece& piece)
{
    with_reader(source, text, [&](auto& in) { read_records(in, source.name(), piece); });
}

void read_result_header(const std::string& path, bool text, Header& header)
{
    read_file(path, text, [&](auto& in) { read_header_records(in, path, header); });
}

void read_result(const std::string& path, bool text, Piece& piece)
{
    read_file(path, text, [&](auto& in) { read_records(in, path, piece); });
}

}  // namespace cellplot
