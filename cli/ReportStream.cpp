#include "cli/ReportStream.h"

#include <cerrno>
#include <ostream>
#include <sys/mman.h>
#include <unistd.h>

ReportOutput::ReportOutput(std::ostream* out) : out_(out) {
    if (!out_) {
        temporary_ = std::tmpfile();
        failed_ = temporary_ == nullptr;
    }
}

ReportOutput::~ReportOutput() {
    if (mapped_)
        ::munmap(mapped_, bytes_);
    if (temporary_)
        std::fclose(temporary_);
}

void ReportOutput::Write(std::string_view block) {
    if (failed_ || block.empty())
        return;
    if (out_) {
        out_->write(block.data(), static_cast<std::streamsize>(block.size()));
        failed_ = !*out_;
        return;
    }
    const int fd = ::fileno(temporary_);
    size_t done = 0;
    while (done < block.size()) {
        const ssize_t n = ::write(fd, block.data() + done, block.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failed_ = true;
            return;
        }
        done += static_cast<size_t>(n);
    }
    bytes_ += block.size();
}

std::string_view ReportOutput::Text() {
    if (!temporary_ || failed_ || bytes_ == 0)
        return {};
    if (!mapped_) {
        void* data = ::mmap(nullptr, bytes_, PROT_READ, MAP_SHARED, ::fileno(temporary_), 0);
        if (data == MAP_FAILED) {
            failed_ = true;
            return {};
        }
        mapped_ = data;
    }
    return {static_cast<const char*>(mapped_), bytes_};
}
