// The VTKHDF format behind the writer interface: one file pviewNNNN.hdf per
// output holding all its pieces (vtkhdf_file.hpp has the layout).  A file
// under its final name is always complete: the output is written under a
// temporary name in the same folder and renamed when complete; a failure or
// an interruption removes the temporary file.
#include <cerrno>
#include <cstdio>
#include <fcntl.h>  // AT_FDCWD
#include <memory>
#include <optional>
#include <unistd.h>

#include "run/failure.hpp"
#include "run/file_names.hpp"
#include "run/interrupt.hpp"
#include "run/out_file.hpp"
#include "write/output_writer.hpp"
#include "write/vtkhdf_file.hpp"

namespace cellplot {
namespace {

class VtkhdfWriter final : public OutputWriter {
public:
    explicit VtkhdfWriter(const Job& job)
        : job_(job), path_(in_dir(job.dir, hdf_file_name(job.settings.outnum)))
    {}
    ~VtkhdfWriter() override { abandon(); }

    Pieces pieces() const override { return Pieces::one_file; }

    void start(const OutputContext& context) override
    {
        if (!job_.overwrite && ::access(path_.c_str(), F_OK) == 0)
            fail(path_, already_exists);
        // A name beside the final one that no other run uses; HDF5 creates
        // it new, with the permissions every output file gets.
        temporary_ = path_ + ".part" + std::to_string(::getpid());
        note_temporary(temporary_.c_str(), path_.c_str());
        try {
            file_.emplace(temporary_, path_, job_.style, context.names);
        } catch (...) {
            note_temporary_gone();  // File removes what it created
            temporary_.clear();
            throw;
        }
        at_ = {};
    }

    void write_piece(const OutputContext&, std::int32_t, const Piece& piece,
                     const Mesh& mesh) override
    {
        const vtkhdf::RowStart end = vtkhdf::rows_after(at_, vtkhdf::piece_rows(piece, mesh));
        file_->size_to(end);
        file_->write_piece(at_, piece, mesh);
        at_ = end;
    }

    void pieces_done(std::int32_t) override {}

    void finish() override
    {
        file_->close();
        file_.reset();
        // Without --overwrite a file that appeared meanwhile is not replaced.
        const unsigned how = job_.overwrite ? 0 : RENAME_NOREPLACE;
        if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path_.c_str(), how) != 0) {
            const int error = errno;
            fail(path_, error == EEXIST ? already_exists
                                        : "cannot rename " + temporary_ +
                                              " to it: " + system_error_text(error));
        }
        note_temporary_gone();
        temporary_.clear();
    }

    const char* abandon() noexcept override
    {
        if (file_) {
            file_->close_quietly();
            file_.reset();
        }
        if (temporary_.empty())
            return nullptr;
        ::unlink(temporary_.c_str());
        note_temporary_gone();
        temporary_.clear();
        return path_.c_str();
    }

private:
    Job job_;
    std::string path_;       // the final name
    std::string temporary_;  // while the file is being written
    std::optional<vtkhdf::File> file_;
    vtkhdf::RowStart at_;  // where the next piece's rows go
};

}  // namespace

std::unique_ptr<OutputWriter> make_vtkhdf_writer(const Job& job, ProgressLine*)
{
    return std::make_unique<VtkhdfWriter>(job);
}

}  // namespace cellplot
