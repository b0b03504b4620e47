// Writes result files in both encodings, for the tests, the benchmarks and
// the shipped example.  Shares no code with the converter.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace results {

struct PieceData {
    std::int32_t first = 1;
    std::int32_t npieces = 1;
    double extent[3] = {1, 1, 1};
    double rootsize = 1;
    std::int32_t reflevel = 0;
    std::int32_t nlevels = 4;
    std::int32_t nspecies = 0;
    double unused[4] = {0, 0, 0, 0};
    // Per cell; yrun[j] holds species j + 1 of every cell.
    std::vector<std::int32_t> nlevel;
    std::vector<double> x, y, z, srun, drun, erun, trun, prun, ux, uy, uz;
    std::vector<std::vector<double>> yrun;
    std::int32_t ncells() const { return static_cast<std::int32_t>(nlevel.size()); }
};

// One cell; species values are taken from ys (its size sets nspecies).
inline void add_cell(PieceData& p, std::int32_t level, double x, double y, double z, double d,
                     double e, double t, double pr, double u0, double u1, double u2,
                     const std::vector<double>& ys = {})
{
    p.nlevel.push_back(level);
    p.x.push_back(x);
    p.y.push_back(y);
    p.z.push_back(z);
    p.srun.push_back(0.25);
    p.drun.push_back(d);
    p.erun.push_back(e);
    p.trun.push_back(t);
    p.prun.push_back(pr);
    p.ux.push_back(u0);
    p.uy.push_back(u1);
    p.uz.push_back(u2);
    p.nspecies = static_cast<std::int32_t>(ys.size());
    p.yrun.resize(ys.size());
    for (std::size_t j = 0; j < ys.size(); ++j)
        p.yrun[j].push_back(ys[j]);
}

class BinaryOut {
public:
    explicit BinaryOut(std::FILE* f) : f_(f) {}
    void record(const std::vector<unsigned char>& payload)
    {
        std::int32_t n = static_cast<std::int32_t>(payload.size());
        std::fwrite(&n, 4, 1, f_);
        if (n)
            std::fwrite(payload.data(), 1, payload.size(), f_);
        std::fwrite(&n, 4, 1, f_);
    }
    template <class T>
    static void append(std::vector<unsigned char>& b, T v)
    {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(&v);
        b.insert(b.end(), p, p + sizeof v);
    }

private:
    std::FILE* f_;
};

inline std::string real_text(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

inline void write_text(const PieceData& p, const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "w");
    auto reals = [&](const std::vector<double>& v) {
        for (std::size_t i = 0; i < v.size(); ++i)
            std::fprintf(f, "%s%s", real_text(v[i]).c_str(), (i % 5 == 4) ? "\n" : " ");
        std::fputc('\n', f);
    };
    std::fprintf(f, "%d %d\n", p.first, p.npieces);
    std::fprintf(f, "%s %s %s\n", real_text(p.extent[0]).c_str(), real_text(p.extent[1]).c_str(),
                 real_text(p.extent[2]).c_str());
    std::fprintf(f, "%s %d %d %d %d\n", real_text(p.rootsize).c_str(), p.reflevel, p.nlevels,
                 p.ncells(), p.nspecies);
    std::fprintf(f, "%s %s %s %s\n", real_text(p.unused[0]).c_str(), real_text(p.unused[1]).c_str(),
                 real_text(p.unused[2]).c_str(), real_text(p.unused[3]).c_str());
    for (std::size_t i = 0; i < p.nlevel.size(); ++i)
        std::fprintf(f, "%d%s", p.nlevel[i], (i % 10 == 9) ? "\n" : " ");
    std::fputc('\n', f);
    for (const auto* v :
         {&p.x, &p.y, &p.z, &p.srun, &p.drun, &p.erun, &p.trun, &p.prun, &p.ux, &p.uy, &p.uz})
        reals(*v);
    for (const auto& s : p.yrun)
        reals(s);
    std::fclose(f);
}

inline void write_binary(const PieceData& p, const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    BinaryOut out(f);
    std::vector<unsigned char> b;
    BinaryOut::append(b, p.first);
    BinaryOut::append(b, p.npieces);
    out.record(b);
    b.clear();
    for (double e : p.extent)
        BinaryOut::append(b, e);
    out.record(b);
    b.clear();
    BinaryOut::append(b, p.rootsize);
    for (std::int32_t v : {p.reflevel, p.nlevels, p.ncells(), p.nspecies})
        BinaryOut::append(b, v);
    out.record(b);
    b.clear();
    for (double u : p.unused)
        BinaryOut::append(b, u);
    out.record(b);
    b.clear();
    for (std::int32_t l : p.nlevel)
        BinaryOut::append(b, l);
    out.record(b);
    auto reals = [&](const std::vector<double>& v) {
        std::vector<unsigned char> r(v.size() * 8);
        for (std::size_t i = 0; i < v.size(); ++i)
            std::memcpy(&r[8 * i], &v[i], 8);
        out.record(r);
    };
    for (const auto* v :
         {&p.x, &p.y, &p.z, &p.srun, &p.drun, &p.erun, &p.trun, &p.prun, &p.ux, &p.uy, &p.uz})
        reals(*v);
    for (const auto& s : p.yrun)
        reals(s);
    std::fclose(f);
}

// The name of the result file of piece ipiece of output outnum.
inline std::string result_name(int ipiece, int outnum)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "reso%06d%04d.res", ipiece, outnum);
    return buf;
}

}  // namespace results
