// Reading speed of the result readers: reads a result file whole into the
// per-cell arrays a few times and prints MB/s of input.
//
//   cellplot_read_bench FILE text|binary
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "read/input.hpp"
#include "run/failure.hpp"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: cellplot_read_bench FILE text|binary\n");
        return 2;
    }
    const bool text = std::strcmp(argv[2], "text") == 0;
    const double mb = static_cast<double>(std::filesystem::file_size(argv[1])) / 1e6;
    auto piece = std::make_unique<cellplot::Piece>();
    double best = 1e30;
    try {
        for (int k = 0; k < 3; ++k) {
            auto t0 = std::chrono::steady_clock::now();
            cellplot::FileSource source(argv[1]);
            cellplot::read_result_from(source, text, *piece);
            double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            best = s < best ? s : best;
        }
    } catch (const cellplot::Failure& f) {
        std::fprintf(stderr, "cellplot_read_bench: %s: %s\n", f.file.c_str(), f.cause.c_str());
        return 1;
    }
    std::printf("read %s: %.1f MB in %.3f s: %.0f MB/s (%d cells, %d species)\n", argv[2], mb, best,
                mb / best, piece->header.ncells, piece->header.nspecies);
    return 0;
}
