#include "cli/ReportStream.h"

#include <cerrno>
#include <ostream>
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

ReportOutput::ReportOutput(int descriptor) : descriptor_(descriptor) {}

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
