#include "write/ascii_piece.hpp"

#include <cstring>
#include <string_view>

#include "write/integer_field.hpp"
#include "write/real_text.hpp"

namespace cellplot {
namespace {

constexpr int reals_per_line = 9;  // (9(1PE12.4))
constexpr int real_width = 12;
constexpr int ints_per_line = 8;  // (8I8)
constexpr int int_width = 8;
constexpr int types_per_line = 42;  // (42I3)

// The name lines of the four scalar arrays, indented as in the piece file; a
// species name line (SpeciesNames) is a whole line of the same place.
constexpr std::string_view piece_scalar_lines[4] = {
    "           Name=\"Density\"", "           Name=\"Energy\"", "           Name=\"Temperature\"",
    "           Name=\"Pressure\""};

constexpr std::string_view piece_cell_data = "       <CellData\n"
                                             "         Vectors=\"Velocity\"\n"
                                             "         Scalars=\"Density\"\n"
                                             "       >\n"
                                             "         <DataArray\n"
                                             "           NumberOfComponents=\"3\"\n"
                                             "           type=\"Float32\"\n"
                                             "           Name=\"Velocity\"\n"
                                             "           format=\"ascii\"\n"
                                             "         >\n";

constexpr std::string_view end_data_array = "         </DataArray>\n";

constexpr std::string_view piece_points = "       </CellData>\n"
                                          "       <Points>\n"
                                          "         <DataArray NumberOfComponents=\"3\"\n"
                                          "                    type=\"Float32\"\n"
                                          "                    format=\"ascii\"\n"
                                          "         >\n";

constexpr std::string_view piece_connectivity = "         </DataArray>\n"
                                                "       </Points>\n"
                                                "       <Cells>\n"
                                                "         <DataArray type=\"Int32\"\n"
                                                "                    Name=\"connectivity\"\n"
                                                "                    format=\"ascii\"\n"
                                                "         >\n";

constexpr std::string_view piece_offsets = "         </DataArray>\n"
                                           "         <DataArray type=\"Int32\"\n"
                                           "                    Name=\"offsets\"\n"
                                           "                    format=\"ascii\"\n"
                                           "         >\n";

constexpr std::string_view piece_types = "         </DataArray>\n"
                                         "         <DataArray type=\"UInt8\"\n"
                                         "                    Name=\"types\"\n"
                                         "                    format=\"ascii\"\n"
                                         "         >\n";

constexpr std::string_view piece_tail = "         </DataArray>\n"
                                        "       </Cells>\n"
                                        "     </Piece>\n"
                                        "   </UnstructuredGrid>\n"
                                        " </VTKFile>\n";

// A non-negative integer kept as its right-aligned decimal text, so that
// runs of counts (connectivity, offsets) cost a few byte operations each.
class DecimalField {
public:
    DecimalField(std::int64_t start, int width) : width_(width)
    {
        std::string s = integer_field(start, width);
        std::memcpy(text_, s.data(), s.size());
    }
    const char* text() const { return text_; }
    // Adds step (0..9); a count that outgrows the field turns to asterisks.
    void add(int step)
    {
        int i = width_ - 1;
        int carry = step;
        while (carry) {
            if (i < 0 || text_[i] == '*') {
                std::memset(text_, '*', static_cast<std::size_t>(width_));
                return;
            }
            int d = (text_[i] == ' ' ? 0 : text_[i] - '0') + carry;
            carry = d / 10;
            text_[i] = static_cast<char>('0' + d % 10);
            --i;
        }
    }

private:
    char text_[24];
    int width_;
};

// A data section with no values is one empty line; says whether it was.
bool empty_section(OutFile& out, std::int64_t n)
{
    if (n > 0)
        return false;
    out.put("\n");
    return true;
}

void scalar_block(OutFile& out, std::string_view name_line)
{
    out.put("         <DataArray\n           type=\"Float32\"\n");
    out.put(name_line);
    out.put("\n           format=\"ascii\"\n         >\n");
}

// The sections of a piece file's data.

void write_cell_values(OutFile& out, const double* v, std::int64_t n)
{
    if (empty_section(out, n))
        return;
    std::int64_t i = 0;
    for (; i + reals_per_line <= n; i += reals_per_line) {
        char* p = out.room(reals_per_line * real_width + 1);
        for (int k = 0; k < reals_per_line; ++k)
            p = put_real(p, v[i + k]);
        *p++ = '\n';
        out.advance(p);
    }
    if (i < n) {
        char* p = out.room(reals_per_line * real_width + 1);
        for (; i < n; ++i)
            p = put_real(p, v[i]);
        *p++ = '\n';
        out.advance(p);
    }
}

void write_velocity(OutFile& out, const Piece& piece)
{
    const std::int32_t n = piece.header.ncells;
    if (empty_section(out, n))
        return;
    const double* u[3] = {piece.velocity(0), piece.velocity(1), piece.velocity(2)};
    constexpr int cells_per_line = reals_per_line / 3;
    std::int32_t i = 0;
    while (i < n) {
        char* p = out.room(reals_per_line * real_width + 1);
        for (int k = 0; k < cells_per_line && i < n; ++k, ++i) {
            p = put_real(p, u[0][i]);
            p = put_real(p, u[1][i]);
            p = put_real(p, u[2][i]);
        }
        *p++ = '\n';
        out.advance(p);
    }
}

// A non-negative integer right-aligned in width columns (at most 8 digits
// fit what it is given here: point numbers, levels, piece numbers).
char* put_count(char* p, std::int32_t v, int width)
{
    char* end = p + width;
    char* q = end;
    std::uint32_t u = static_cast<std::uint32_t>(v);
    do {
        *--q = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0 && q > p);
    std::memset(p, ' ', static_cast<std::size_t>(q - p));
    return end;
}

// Integers of one cell each, per_line to a line in fields of width.
template <class Value>
void write_cell_integers(OutFile& out, std::int32_t n, int per_line, int width, Value value)
{
    if (empty_section(out, n))
        return;
    for (std::int32_t i = 0; i < n;) {
        char* p = out.room(static_cast<std::size_t>(per_line * width + 1));
        for (int k = 0; k < per_line && i < n; ++k, ++i)
            p = put_count(p, value(i), width);
        *p++ = '\n';
        out.advance(p);
    }
}

// The optional cell arrays, each declared as in the master.
void write_optional_arrays(OutFile& out, const Piece& piece, const CellArrays& arrays)
{
    const std::int32_t n = piece.header.ncells;
    if (arrays.level) {
        out.put("         <DataArray\n           type=\"UInt8\"\n           Name=\"Level\"\n"
                "           format=\"ascii\"\n         >\n");
        const std::int32_t* level = piece.nlevel.get();
        write_cell_integers(out, n, types_per_line, 3, [&](std::int32_t i) { return level[i]; });
        out.put(end_data_array);
    }
    if (arrays.piece) {
        out.put("         <DataArray\n           type=\"Int32\"\n           Name=\"Piece\"\n"
                "           format=\"ascii\"\n         >\n");
        write_cell_integers(out, n, ints_per_line, int_width,
                            [&](std::int32_t) { return piece.number; });
        out.put(end_data_array);
    }
}

// Shared points, one line each, from the corner that first used them.
void write_shared_points(OutFile& out, const Mesh& mesh)
{
    constexpr int line = 3 * real_width + 1;
    for (std::int32_t p = 0; p < mesh.npoints; ++p) {
        char* q = out.room(line);
        for (int a = 0; a < 3; ++a)
            q = put_real(q, mesh.coordinate(p, a));
        *q++ = '\n';
        out.advance(q);
    }
}

// Shared points' connectivity, one line per cell.
void write_shared_connectivity(OutFile& out, const Mesh& mesh)
{
    if (empty_section(out, mesh.ncells))
        return;
    const std::int32_t* conn = mesh.connectivity.get();
    for (std::int32_t i = 0; i < mesh.ncells; ++i, conn += 8) {
        char* p = out.room(ints_per_line * int_width + 1);
        for (int c = 0; c < 8; ++c)
            p = put_count(p, conn[c], int_width);
        *p++ = '\n';
        out.advance(p);
    }
}

// Each cell's eight points take only its six box coordinates, so each is
// formatted once and the eight lines are put together from them, in the
// corner order of shape.
void write_points(OutFile& out, const Cells& cells, std::int32_t ncells, const CellShape& shape)
{
    constexpr int line = 3 * real_width + 1;
    const double* c = cells.corners.get();
    for (std::int32_t i = 0; i < ncells; ++i, c += 6) {
        char text[6][real_width];
        for (int k = 0; k < 6; ++k)
            put_real(text[k], c[k]);
        char* p = out.room(8 * line);
        for (int corner = 0; corner < 8; ++corner) {
            const int k = shape.voxel_corner[corner];
            std::memcpy(p, text[0 + (k & 1)], real_width);
            std::memcpy(p + real_width, text[2 + ((k >> 1) & 1)], real_width);
            std::memcpy(p + 2 * real_width, text[4 + ((k >> 2) & 1)], real_width);
            p[3 * real_width] = '\n';
            p += line;
        }
        out.advance(p);
    }
}

// Each cell owns points 8i to 8i + 7, one line per cell.
void write_connectivity(OutFile& out, std::int32_t ncells)
{
    if (empty_section(out, ncells))
        return;
    DecimalField point(0, int_width);
    for (std::int32_t i = 0; i < ncells; ++i) {
        char* p = out.room(ints_per_line * int_width + 1);
        for (int k = 0; k < ints_per_line; ++k, p += int_width) {
            std::memcpy(p, point.text(), int_width);
            point.add(1);
        }
        *p++ = '\n';
        out.advance(p);
    }
}

void write_offsets(OutFile& out, std::int32_t ncells)
{
    if (empty_section(out, ncells))
        return;
    DecimalField offset(8, int_width);
    for (std::int32_t i = 0; i < ncells;) {
        char* p = out.room(ints_per_line * int_width + 1);
        for (int k = 0; k < ints_per_line && i < ncells; ++k, ++i, p += int_width) {
            std::memcpy(p, offset.text(), int_width);
            offset.add(8);
        }
        *p++ = '\n';
        out.advance(p);
    }
}

void write_types(OutFile& out, std::int32_t ncells, const CellShape& shape)
{
    if (empty_section(out, ncells))
        return;
    const std::string type = integer_field(shape.vtk_type, 3);
    std::string full_line;
    for (int k = 0; k < types_per_line; ++k)
        full_line += type;
    full_line += '\n';
    std::int32_t i = 0;
    for (; i + types_per_line <= ncells; i += types_per_line)
        out.put(full_line);
    if (i < ncells) {
        out.put(std::string_view(full_line).substr(0, 3 * static_cast<std::size_t>(ncells - i)));
        out.put("\n");
    }
}

}  // namespace

void write_ascii_piece(OutFile& out, const Piece& piece, const Mesh& mesh,
                       const SpeciesNames& names, const OutputStyle& style)
{
    const Header& h = piece.header;
    const std::int32_t n = h.ncells;
    const std::int32_t npoints = n > 0 ? mesh.npoints : 0;
    const CellShape& shape = mesh.shape;
    out.put(" <VTKFile type=\"UnstructuredGrid\">\n"
            "   <UnstructuredGrid>\n"
            "     <Piece\n");
    out.put("       NumberOfPoints=\" " + integer_field(npoints, 11) + " \"\n");
    out.put("       NumberOfCells=\" " + integer_field(n, 11) + " \"\n");
    out.put("     >\n");
    out.put(piece_cell_data);
    write_velocity(out, piece);
    out.put(end_data_array);

    const double* scalars[4] = {piece.drun.get(), piece.erun.get(), piece.trun.get(),
                                piece.prun.get()};
    for (int s = 0; s < 4; ++s) {
        scalar_block(out, piece_scalar_lines[s]);
        write_cell_values(out, scalars[s], n);
        out.put(end_data_array);
    }
    for (std::int32_t j = 1; j <= h.nspecies; ++j) {
        scalar_block(out, names.piece[j - 1]);
        write_cell_values(out, piece.species(j), n);
        out.put(end_data_array);
    }
    write_optional_arrays(out, piece, style.cell_arrays);

    out.put(piece_points);
    if (mesh.shared)
        write_shared_points(out, mesh);
    else
        write_points(out, mesh.cells, n, shape);
    out.put(piece_connectivity);
    if (mesh.shared)
        write_shared_connectivity(out, mesh);
    else
        write_connectivity(out, n);
    out.put(piece_offsets);
    write_offsets(out, n);
    out.put(piece_types);
    write_types(out, n, shape);
    out.put(piece_tail);
}

}  // namespace cellplot
