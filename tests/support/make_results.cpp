// Writes the result files of one output of a made-up run: a cube refined to
// a given level around a sphere, split evenly over the pieces, with smooth
// fields.  Used to make the shipped example and the benchmark inputs.
//
//   make_results [--pieces P] [--level L] [--species S] [--outnum K]
//                [--binary] [--cells N]
// --cells N gives every piece exactly N cells of the finest level instead.
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "result_files.hpp"

namespace {

struct Options {
    int pieces = 2;
    int level = 4;
    int species = 2;
    int outnum = 0;
    bool binary = false;
    long cells = -1;
};

void add_fields(results::PieceData& p, int level, double x, double y, double z, int species)
{
    double r = std::sqrt((x - 0.5) * (x - 0.5) + (y - 0.5) * (y - 0.5) + (z - 0.5) * (z - 0.5));
    double inside = r < 0.3 ? 1.0 : 0.0;
    double d = 1.0 + 3.0 * inside;
    std::vector<double> ys;
    for (int j = 0; j < species; ++j)
        ys.push_back(d * (j == 0 ? inside : (1.0 - inside) / (species - 1 + 1e-300)));
    results::add_cell(p, level, x, y, z, d, d * (2.5 + inside), 300.0 + 900.0 * inside,
                      1.0 + 9.0 * inside, d * (x - 0.5) * inside, d * (y - 0.5) * inside,
                      d * (z - 0.5) * inside, ys);
}

// Cells of the octree refined towards the sphere r = 0.3, in depth-first order.
void refine(std::vector<std::array<double, 4>>& out, int level, int max_level, double x0, double y0,
            double z0, double size)
{
    double c[3] = {x0 + size / 2, y0 + size / 2, z0 + size / 2};
    double r = std::sqrt((c[0] - 0.5) * (c[0] - 0.5) + (c[1] - 0.5) * (c[1] - 0.5) +
                         (c[2] - 0.5) * (c[2] - 0.5));
    bool near = std::fabs(r - 0.3) < size;
    if (level < 2 || (level < max_level && near)) {
        double h = size / 2;
        for (int k = 0; k < 8; ++k)
            refine(out, level + 1, max_level, x0 + (k & 1) * h, y0 + ((k >> 1) & 1) * h,
                   z0 + ((k >> 2) & 1) * h, h);
        return;
    }
    out.push_back({c[0], c[1], c[2], static_cast<double>(level)});
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&] { return i + 1 < argc ? std::atol(argv[++i]) : 0L; };
        if (a == "--pieces")
            o.pieces = static_cast<int>(next());
        else if (a == "--level")
            o.level = static_cast<int>(next());
        else if (a == "--species")
            o.species = static_cast<int>(next());
        else if (a == "--outnum")
            o.outnum = static_cast<int>(next());
        else if (a == "--cells")
            o.cells = next();
        else if (a == "--binary")
            o.binary = true;
        else {
            std::fprintf(stderr, "make_results: unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    std::vector<std::array<double, 4>> cells;
    if (o.cells < 0) {
        refine(cells, 0, o.level, 0, 0, 0, 1.0);
    } else {
        // A regular grid of finest cells, cut to the requested count per piece.
        long n = o.cells * o.pieces;
        long side = 1;
        while (side * side * side < n)
            side *= 2;
        int level = 0;
        while ((1L << level) < side)
            ++level;
        double h = 1.0 / static_cast<double>(side);
        for (long i = 0; i < n; ++i) {
            long ix = i % side, iy = (i / side) % side, iz = i / (side * side);
            cells.push_back({(static_cast<double>(ix) + 0.5) * h,
                             (static_cast<double>(iy) + 0.5) * h,
                             (static_cast<double>(iz) + 0.5) * h, static_cast<double>(level)});
        }
        o.level = level;
    }
    std::size_t per = (cells.size() + static_cast<std::size_t>(o.pieces) - 1) /
                      static_cast<std::size_t>(o.pieces);
    for (int ip = 0; ip < o.pieces; ++ip) {
        results::PieceData p;
        p.npieces = o.pieces;
        p.nlevels = o.level;
        p.nspecies = o.species;
        p.yrun.resize(static_cast<std::size_t>(o.species));
        for (std::size_t c = ip * per; c < std::min(cells.size(), (ip + 1) * per); ++c)
            add_fields(p, static_cast<int>(cells[c][3]), cells[c][0], cells[c][1], cells[c][2],
                       o.species);
        std::string name = results::result_name(ip, o.outnum);
        if (o.binary)
            results::write_binary(p, name);
        else
            results::write_text(p, name);
    }
    return 0;
}
