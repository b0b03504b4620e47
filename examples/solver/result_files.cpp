#include "result_files.hpp"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace solver {
namespace {

// One output file, remembering the first failure.
class Out {
public:
    Out(const std::string& path, const char* mode) : f_(std::fopen(path.c_str(), mode))
    {
        if (!f_)
            error_ = errno ? errno : EIO;
    }
    ~Out() { close(); }
    Out(const Out&) = delete;
    Out& operator=(const Out&) = delete;

    void bytes(const void* data, std::size_t n)
    {
        if (f_ && !error_ && n && std::fwrite(data, 1, n, f_) != n)
            error_ = errno ? errno : EIO;
    }
    void text(const char* s) { bytes(s, std::strlen(s)); }
    int close()
    {
        if (f_) {
            if (std::fclose(f_) != 0 && !error_)
                error_ = errno ? errno : EIO;
            f_ = nullptr;
        }
        return error_;
    }

private:
    std::FILE* f_;
    int error_ = 0;
};

// Binary records: payload framed by its 4-byte byte count on both sides.
// The platform is little-endian x86-64, so values are stored as they lie in
// memory.
class BinaryRecords {
public:
    explicit BinaryRecords(Out& out) : out_(out) {}
    template <class T>
    void add(T v)
    {
        const auto* p = reinterpret_cast<const unsigned char*>(&v);
        payload_.insert(payload_.end(), p, p + sizeof v);
    }
    void end_record()
    {
        array(payload_.data(), payload_.size());
        payload_.clear();
    }
    template <class T>
    void array_record(const std::vector<T>& v)
    {
        array(v.data(), v.size() * sizeof(T));
    }

private:
    void array(const void* data, std::size_t n)
    {
        const std::int32_t count = static_cast<std::int32_t>(n);
        out_.bytes(&count, 4);
        out_.bytes(data, n);
        out_.bytes(&count, 4);
    }
    Out& out_;
    std::vector<unsigned char> payload_;
};

// Text records: values separated by blanks, a few to a line, the shortest
// decimal form that reads back to the same double.
class TextRecords {
public:
    explicit TextRecords(Out& out) : out_(out) {}
    void add(double v)
    {
        char buf[32];
        auto r = std::to_chars(buf, buf + sizeof buf, v);
        put(buf, r.ptr);
    }
    void add(std::int32_t v)
    {
        char buf[16];
        auto r = std::to_chars(buf, buf + sizeof buf, v);
        put(buf, r.ptr);
    }
    void end_record()
    {
        line_.push_back('\n');
        flush();
        on_line_ = 0;
    }
    template <class T>
    void array_record(const std::vector<T>& v)
    {
        for (T x : v)
            add(x);
        end_record();
    }

private:
    void put(const char* begin, const char* end)
    {
        if (on_line_ == per_line) {
            line_.push_back('\n');
            on_line_ = 0;
        } else if (on_line_) {
            line_.push_back(' ');
        }
        line_.insert(line_.end(), begin, end);
        ++on_line_;
        if (line_.size() > 1 << 16)
            flush();
    }
    void flush()
    {
        out_.bytes(line_.data(), line_.size());
        line_.clear();
    }
    static constexpr int per_line = 6;
    Out& out_;
    std::vector<char> line_;
    int on_line_ = 0;
};

template <class Records>
void write_records(Records& w, const ResultHeader& h, const CellFields& f)
{
    w.add(h.piece);
    w.add(h.npieces);
    w.end_record();
    for (double e : h.extent)
        w.add(e);
    w.end_record();
    w.add(h.rootsize);
    w.add(h.reflevel);
    w.add(h.nlevels);
    w.add(static_cast<std::int32_t>(f.cells()));
    w.add(static_cast<std::int32_t>(f.species.size()));
    w.end_record();
    for (double v : {h.time, 0.0, 0.0, 0.0})
        w.add(v);
    w.end_record();
    w.array_record(f.level);
    for (const auto* v : {&f.x, &f.y, &f.z, &f.size, &f.density, &f.energy, &f.temperature,
                          &f.pressure, &f.momentum[0], &f.momentum[1], &f.momentum[2]})
        w.array_record(*v);
    for (const auto& s : f.species)
        w.array_record(s);
}

}  // namespace

std::string result_name(std::int32_t piece, std::int32_t outnum)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "reso%06d%04d.res", piece, outnum);
    return buf;
}

int write_result(const std::string& path, bool binary, const ResultHeader& header,
                 const CellFields& fields)
{
    Out out(path, binary ? "wb" : "w");
    if (binary) {
        BinaryRecords w(out);
        write_records(w, header, fields);
    } else {
        TextRecords w(out);
        write_records(w, header, fields);
    }
    return out.close();
}

int write_control(bool binary, std::int32_t outnum, const std::string& description)
{
    Out out("contview.dat", "w");
    char buf[512];
    std::snprintf(buf, sizeof buf,
                  "Control file of the sample solver's output %d\n"
                  "%s\n"
                  "Only lines 7 and 10 are read: the first value of each.\n"
                  "\n"
                  "\n"
                  "Result encoding, 0 binary, 1 text:\n"
                  "%d\n"
                  "\n"
                  "Output number:\n"
                  "%d\n",
                  outnum, description.c_str(), binary ? 0 : 1, outnum);
    out.text(buf);
    return out.close();
}

}  // namespace solver
