// Cell boxes and the conversion of the fields.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "convert/fields.hpp"
#include "convert/geometry.hpp"
#include "run/failure.hpp"

using namespace cellplot;

namespace {

struct Fixture {
    std::unique_ptr<Piece> piece = std::make_unique<Piece>();
    std::unique_ptr<Cells> cells = std::make_unique<Cells>();
    SizeTable sizes;

    Fixture(double ey, double ez, std::int32_t reflevel)
    {
        Header& h = piece->header;
        h.extent[0] = 1;
        h.extent[1] = ey;
        h.extent[2] = ez;
        h.rootsize = 1.0;
        h.reflevel = reflevel;
        build_size_table(sizes, 1.0, 6, "r");
    }
    void add(std::int32_t level, double x, double y, double z)
    {
        std::int32_t i = piece->header.ncells++;
        piece->nlevel[i] = level;
        piece->strn12[i] = x;
        piece->strn13[i] = y;
        piece->strn23[i] = z;
    }
    // Half widths of cell i along x, y, z.
    std::array<double, 3> half(std::int32_t i) const
    {
        const double* c = cells->corners.get() + 6 * i;
        return {(c[1] - c[0]) / 2, (c[3] - c[2]) / 2, (c[5] - c[4]) / 2};
    }
};

}  // namespace

TEST(cell_boxes, three_dimensional_cells_are_cubes_around_their_centres)
{
    Fixture f(1.0, 1.0, 0);
    f.add(0, 0.5, 0.5, 0.5);
    f.add(1, 0.5, 0.5, 0.5);
    f.add(3, 0.0, -1.0, 2.0);
    build_cells(*f.piece, f.sizes, *f.cells, "r");
    const double* c = f.cells->corners.get();
    EXPECT_EQ(std::vector<double>(c, c + 6), (std::vector<double>{0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(std::vector<double>(c + 6, c + 12),
              (std::vector<double>{0.25, 0.75, 0.25, 0.75, 0.25, 0.75}));
    EXPECT_EQ(f.half(2), (std::array<double, 3>{0.0625, 0.0625, 0.0625}));
    EXPECT_EQ(f.cells->npoints, 24);
}

TEST(cell_boxes, collapsed_directions_take_the_size_of_a_reflevel_cell)
{
    Fixture two_d(2.0, 0.0, 1);
    two_d.add(3, 0, 0, 0);
    build_cells(*two_d.piece, two_d.sizes, *two_d.cells, "r");
    EXPECT_EQ(two_d.half(0), (std::array<double, 3>{0.0625, 0.0625, 0.25}));

    Fixture one_d(0.0, 0.0, 2);
    one_d.add(3, 0, 0, 0);
    build_cells(*one_d.piece, one_d.sizes, *one_d.cells, "r");
    EXPECT_EQ(one_d.half(0), (std::array<double, 3>{0.0625, 0.125, 0.125}));

    // y is collapsed only with z; the limit itself and NaN do not collapse.
    for (auto [ey, ez] :
         {std::pair{0.0, 5.0}, std::pair{1e-10, 1e-10}, std::pair{0.0, std::nan("")}}) {
        Fixture cube(ey, ez, 1);
        cube.add(3, 0, 0, 0);
        build_cells(*cube.piece, cube.sizes, *cube.cells, "r");
        EXPECT_EQ(cube.half(0), (std::array<double, 3>{0.0625, 0.0625, 0.0625})) << ey << " " << ez;
    }
    Fixture just_below(1.0, 9.99e-11, 0);
    just_below.add(3, 0, 0, 0);
    build_cells(*just_below.piece, just_below.sizes, *just_below.cells, "r");
    EXPECT_EQ(just_below.half(0), (std::array<double, 3>{0.0625, 0.0625, 0.5}));
}

TEST(cell_boxes, levels_outside_the_table_are_refused_before_any_box_is_made)
{
    Fixture f(1.0, 1.0, 0);
    f.add(7, 0, 0, 0);
    EXPECT_THROW(build_cells(*f.piece, f.sizes, *f.cells, "r"), Failure);
    Fixture g(1.0, 0.0, -1);
    g.add(1, 0, 0, 0);
    EXPECT_THROW(build_cells(*g.piece, g.sizes, *g.cells, "r"), Failure);
    // The reflevel is not consulted when nothing is collapsed.
    Fixture h(1.0, 1.0, 99);
    h.add(1, 0, 0, 0);
    EXPECT_NO_THROW(build_cells(*h.piece, h.sizes, *h.cells, "r"));
    SizeTable t;
    EXPECT_THROW(build_size_table(t, 1.0, max_level + 1, "r"), Failure);
    EXPECT_NO_THROW(build_size_table(t, 1.0, max_level, "r"));
    EXPECT_EQ(t.cellsize[max_level], std::ldexp(1.0, -max_level));
}

TEST(cell_boxes, level_zero_follows_the_rootsize_of_each_piece)
{
    Fixture f(1.0, 1.0, 0);
    f.piece->header.rootsize = 4.0;
    f.add(0, 0, 0, 0);
    f.add(1, 0, 0, 0);
    build_cells(*f.piece, f.sizes, *f.cells, "r");
    EXPECT_EQ(f.half(0)[0], 2.0);
    EXPECT_EQ(f.half(1)[0], 0.25);  // levels below come from piece 0
}

TEST(field_conversion, divides_by_density_then_clears_negligible_values)
{
    auto piece = std::make_unique<Piece>();
    Header& h = piece->header;
    h.ncells = 3;
    h.nspecies = 2;
    const double d[3] = {2.0, 0.5, 0.0};
    for (int i = 0; i < 3; ++i) {
        piece->drun[i] = d[i];
        piece->trun[i] = 1e-30;
    }
    double* ux = piece->velocity(0);
    double* uy = piece->velocity(1);
    double* uz = piece->velocity(2);
    ux[0] = -1e-6, uy[0] = 2e-6, uz[0] = -0.0;  // -5e-7 goes, 1e-6 stays
    ux[1] = 1e-6, uy[1] = NAN, uz[1] = 3.0;
    ux[2] = 1.0, uy[2] = 0.0, uz[2] = -1.0;  // density 0: inf, NaN, -inf
    piece->erun[0] = 2e-20, piece->erun[1] = 1.0, piece->erun[2] = 1.0;
    piece->prun[0] = 1e-6, piece->prun[1] = -9.9e-7, piece->prun[2] = NAN;
    double* y1 = piece->species(1);
    double* y2 = piece->species(2);
    y1[0] = 1e-8, y1[1] = 2.5e-11, y1[2] = 0.0;   // 5e-9 stays, 5e-11 goes
    y2[0] = 2e-10, y2[1] = 0.5e-10, y2[2] = 1.0;  // exactly 1e-10 stays (strict test)

    convert_fields(*piece);

    EXPECT_EQ(ux[0], 0.0);
    EXPECT_FALSE(std::signbit(ux[0]));
    EXPECT_EQ(uy[0], 1e-6);
    EXPECT_EQ(uz[0], 0.0);
    EXPECT_FALSE(std::signbit(uz[0]));  // stored as positive zero
    EXPECT_EQ(ux[1], 2e-6);
    EXPECT_TRUE(std::isnan(uy[1]));
    EXPECT_EQ(uz[1], 6.0);
    EXPECT_EQ(ux[2], HUGE_VAL);
    EXPECT_TRUE(std::isnan(uy[2]));
    EXPECT_EQ(uz[2], -HUGE_VAL);
    EXPECT_EQ(piece->erun[0], 1e-20);  // energy is never cleared
    EXPECT_EQ(piece->erun[2], HUGE_VAL);
    EXPECT_EQ(piece->prun[0], 1e-6);
    EXPECT_EQ(piece->prun[1], 0.0);
    EXPECT_TRUE(std::isnan(piece->prun[2]));
    EXPECT_EQ(piece->trun[0], 1e-30);  // temperature untouched
    EXPECT_EQ(piece->drun[1], 0.5);
    EXPECT_EQ(y1[0], 5e-9);
    EXPECT_EQ(y1[1], 0.0);
    EXPECT_TRUE(std::isnan(y1[2]));
    EXPECT_EQ(y2[0], 1e-10);
    EXPECT_EQ(y2[1], 1e-10);
    EXPECT_EQ(y2[2], HUGE_VAL);
}
