// The VTKHDF layout of one output (VTK's HDF5 format for an unstructured grid
// of several pieces, version 1.0), written through the HDF5 C library:
//   /VTKHDF                    attributes Version = [1, 0] and
//                              Type = "UnstructuredGrid" (fixed-length ASCII)
//     NumberOfPoints, NumberOfCells, NumberOfConnectivityIds
//                              int64, one row per piece, in piece order
//     Points                   (points, 3) reals of --precision
//     Types                    uint8, one per cell
//     Connectivity             int64, each piece's own point numbers
//     Offsets                  int64, ncells + 1 per piece, each from 0
//     CellData/Velocity        (cells, 3) reals; Density, Energy,
//                              Temperature, Pressure, SpeciesNN: reals;
//                              Level uint8 and Piece int32 when asked for
// Every dataset is chunked and grows along its first dimension, so that rows
// are placed at explicit offsets: a writer that appends pieces grows each
// dataset by a piece's rows and writes them at the end, and processes that
// share an output can size the datasets once and write their own rows.  The
// rows are written from a staging buffer of fixed capacity (or straight
// from the converted arrays when their type is the file's), never one cell at
// a time.  This header needs no HDF5 header; the code behind it is compiled
// once for each HDF5 flavour a program links.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "convert/mesh.hpp"
#include "convert/piece.hpp"
#include "write/array_names.hpp"
#include "write/output_style.hpp"

namespace cellplot::vtkhdf {

// The rows one piece takes in each kind of dataset.
struct PieceRows {
    std::int64_t points = 0;
    std::int64_t cells = 0;
    std::int64_t connectivity = 0;  // connectivity ids
    std::int64_t offsets = 0;       // cells + 1
};

// The first row of a piece in each kind of dataset, and its piece number.
struct RowStart {
    std::int64_t piece = 0;
    std::int64_t points = 0;
    std::int64_t cells = 0;
    std::int64_t connectivity = 0;
    std::int64_t offsets = 0;
};

// The rows of a piece and its mesh: the points and cells the XML binary
// format writes for it.
PieceRows piece_rows(const Piece& piece, const Mesh& mesh);

// The first rows after a piece that starts at `at` and takes rows.
RowStart rows_after(const RowStart& at, const PieceRows& rows);

// Readies the HDF5 library for the program: its own error printing off, and
// its clean-up at exit left out (after a close that failed, HDF5 1.10 can
// crash in it; every file is closed or abandoned before the exit anyway).
// Call before any other HDF5 call; File's constructor calls it.
void start_hdf5();

class File {
public:
    // Creates the file at path (new) with the layout for style and names,
    // every dataset empty; name is the file that messages name.  For a file that several processes
    // write together, file_access and transfer are HDF5 property lists (as
    // hid_t; 0 for the default): the parallel file driver, and collective
    // transfers, which make every write call collective.  Removes what it
    // created when it fails.
    File(const std::string& path, const std::string& name, const OutputStyle& style,
         const SpeciesNames& names, std::int64_t file_access = 0, std::int64_t transfer = 0);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Sizes every dataset to end where the rows `end` say (end.piece rows in
    // the per-piece counts); existing rows stay.
    void size_to(const RowStart& end);
    // Writes the rows of piece (and its mesh) from at on; the datasets must
    // hold them.
    void write_piece(const RowStart& at, const Piece& piece, const Mesh& mesh);
    // The same for a file written by several processes together, which
    // every process calls once per step: piece and mesh may be null (this
    // process has no piece in the step), and bound holds the most rows that
    // any process writes in the step, so that all make the same calls.
    void write_piece(const RowStart& at, const Piece* piece, const Mesh* mesh,
                     const PieceRows& bound);
    // Closes every object and the file, refusing a close that fails.
    void close();
    // Closes whatever is open, ignoring failures (after a failure).
    void close_quietly() noexcept;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace cellplot::vtkhdf
