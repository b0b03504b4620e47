// The collection file of a run, which lists its outputs with each output
// number as the time step, so that a viewer steps through the run:
//   pview.pvd         VTK's XML "Collection" of the pviewNNNN.pvtu masters;
//   pview.hdf.series  a JSON file series of the one-file pviewNNNN.hdf outputs:
//                     {"file-series-version": "1.0", "files": [{"name": ..., "time": N}, ...]}
// The file always lists exactly the outputs that are complete: it is written
// only once an output has completed, and each time it is replaced whole (a
// temporary file in the same directory, then a rename), so that a reader, or
// a run that stops at any moment, finds either the old list or the new one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "write/output_style.hpp"

namespace cellplot {

enum class SeriesKind {
    pvd,  // pview.pvd listing pviewNNNN.pvtu
    hdf,  // pview.hdf.series listing pviewNNNN.hdf
};

// The kind of collection that lists outputs written in style.
SeriesKind series_kind(const OutputStyle& style);

// pview.pvd or pview.hdf.series.
const char* collection_file_name(SeriesKind kind);

// The file of output outnum that the collection lists (its master file):
// pviewNNNN.pvtu or pviewNNNN.hdf.
std::string listed_file_name(SeriesKind kind, std::int32_t outnum);

// Whether output outnum in dir is complete, decided from its files alone:
// a .pvtu master ends with its closing lines (written only after every piece
// file is complete); a .hdf file exists under its final name (it is renamed
// into place only when complete).
bool output_complete(const std::string& dir, SeriesKind kind, std::int32_t outnum);

// The outputs in dir that are complete, increasing; names lists dir
// (list_dir).
std::vector<std::int32_t> complete_outputs(const std::string& dir,
                                           const std::vector<std::string>& names, SeriesKind kind);

// The collection of one run in dir.  Writes nothing until told to; a file
// that cannot be written ends the run with a Failure naming it.
class Collection {
public:
    // listed: outputs to list besides those added later (with --update, the
    // complete outputs already in dir).
    Collection(std::string dir, SeriesKind kind, std::vector<std::int32_t> listed = {});

    // Output outnum has completed: lists it and replaces the file.
    void add(std::int32_t outnum);
    // Replaces the file with the outputs listed now.
    void write() const;

    const std::vector<std::int32_t>& listed() const { return listed_; }

private:
    std::string dir_;
    SeriesKind kind_;
    std::vector<std::int32_t> listed_;  // increasing, no repeats
};

}  // namespace cellplot
