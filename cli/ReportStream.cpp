#include "cli/ReportStream.h"

#include <cerrno>
#include <fcntl.h>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

#include "report/OutputFile.h"

ReportOutput::ReportOutput(std::ostream* out) : out_(out) {
    if (!out_) {
        temporary_ = std::tmpfile();
        if (!temporary_) {
            failed_ = true;
            reason_ = ReasonOfError(errno);
        }
    }
}

namespace {

// The buffer asked for a pipe the report is written into.
constexpr int kPipeBytes = 1 << 20;

// Standard output that is a pipe gets a buffer of kPipeBytes where it has less. With the system's
// 64 KiB the report and its reader take turns for every 64 KiB of a report of tens of megabytes, each
// turn a sleep and a wake-up of both; with 1 MiB the report runs ahead of its reader. The buffer
// belongs to the pipe, which the reader shares, and is left as it is when the report ends: a larger
// buffer changes no byte that passes and no way the reader sees its end, only how many bytes may wait
// in it, and the reader may still be reading them after this process is gone. A pipe already as large
// is not shrunk; where the system refuses (past /proc/sys/fs/pipe-max-size, or past the user's share
// of pipe memory) the pipe keeps the size it has.
void WidenPipe(int descriptor) {
#ifdef F_SETPIPE_SZ
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISFIFO(info.st_mode))
        return;
    const int bytes = ::fcntl(descriptor, F_GETPIPE_SZ);
    if (bytes >= 0 && bytes < kPipeBytes)
        (void)::fcntl(descriptor, F_SETPIPE_SZ, kPipeBytes);
#else
    (void)descriptor;
#endif
}

} // namespace

ReportOutput::ReportOutput(int descriptor) : descriptor_(descriptor) {
    WidenPipe(descriptor);
}

ReportOutput::~ReportOutput() {
    if (temporary_)
        std::fclose(temporary_);
}

void ReportOutput::Write(std::string_view block) {
    if (failed_ || block.empty())
        return;
    if (descriptor_ >= 0) {
        reason_ = WriteToDescriptor(descriptor_, block);
        failed_ = !reason_.empty();
        return;
    }
    if (out_) {
        out_->write(block.data(), static_cast<std::streamsize>(block.size()));
        if (!*out_) {
            failed_ = true;
            reason_ = "the stream failed";
        }
        return;
    }
    reason_ = WriteToDescriptor(::fileno(temporary_), block);
    failed_ = !reason_.empty();
}

int ReportOutput::Source() const {
    return temporary_ ? ::fileno(temporary_) : -1;
}
