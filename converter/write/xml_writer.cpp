// The VTK XML formats (ASCII and raw appended binary) behind the writer
// interface: a master file pviewNNNN.pvtu that lists the pieces, and one piece
// file viewPPPPPPNNNN.vtu per piece.  The master gains a piece's line once
// that piece and all before it are written, and every line is on disk as soon
// as it is added, so a run that stops early leaves a master that lacks only
// its closing lines and names only complete pieces.
#include <memory>

#include "write/appended_piece.hpp"
#include "write/ascii_piece.hpp"
#include "write/master_file.hpp"
#include "write/output_writer.hpp"

namespace cellplot {
namespace {

class XmlWriter final : public OutputWriter {
public:
    XmlWriter(const Job& job, ProgressLine* progress) : job_(job), progress_(progress) {}

    Pieces pieces() const override { return Pieces::separate_files; }

    void start(const OutputContext& context) override
    {
        master_ = std::make_unique<OutFile>(master_path(job_), job_.overwrite, progress_);
        write_master_head(*master_, context.names, job_.style);
        master_->flush();
        listed_ = 0;
    }

    void write_piece(const OutputContext& context, std::int32_t ipiece, const Piece& piece,
                     const Mesh& mesh) override
    {
        OutFile out(piece_path(job_, ipiece), job_.overwrite, progress_);
        if (job_.style.format == Format::binary)
            write_appended_piece(out, piece, mesh, context.names, job_.style);
        else
            write_ascii_piece(out, piece, mesh, context.names, job_.style);
        out.close();
    }

    void pieces_done(std::int32_t last) override
    {
        for (; listed_ <= last; ++listed_)
            write_master_piece(*master_, listed_, job_.settings.outnum);
        master_->flush();
    }

    void finish() override
    {
        write_master_tail(*master_);
        master_.reset();
    }

    // The files stay as they are: a master without its closing lines, and
    // the piece files written so far.
    const char* abandon() noexcept override
    {
        master_.reset();
        return nullptr;
    }

private:
    Job job_;
    ProgressLine* progress_;  // counts the bytes written, or none
    std::unique_ptr<OutFile> master_;
    std::int32_t listed_ = 0;  // pieces whose line is in the master
};

}  // namespace

std::unique_ptr<OutputWriter> make_xml_writer(const Job& job, ProgressLine* progress)
{
    return std::make_unique<XmlWriter>(job, progress);
}

}  // namespace cellplot
