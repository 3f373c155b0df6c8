#pragma once
// Where strata-report streams its report: standard output (a descriptor, or any ostream) as the report
// is made, or, for -o, an unnamed temporary file whose bytes are then copied to the output file in
// blocks, so the report is never held in memory whole.
#include <cstdio>
#include <iosfwd>
#include <string>
#include <string_view>

#include "format/walk/ReportPane.h"

class ReportOutput final : public ReportSink {
  public:
    // To out, or (out null) to a temporary file.
    explicit ReportOutput(std::ostream* out);
    // To an open descriptor, with the system's reason when a write fails.
    explicit ReportOutput(int descriptor);
    ~ReportOutput() override;
    ReportOutput(const ReportOutput&) = delete;
    ReportOutput& operator=(const ReportOutput&) = delete;

    void Write(std::string_view block) override;
    // Whether every block reached its place.
    bool Failed() const { return failed_; }
    // Why a block did not reach its place, in a few words; "" while none failed.
    const std::string& Reason() const { return reason_; }
    // The temporary file holding the text, open for reading; -1 for an ostream or a descriptor.
    int Source() const;

  private:
    std::ostream* out_ = nullptr;
    int descriptor_ = -1;
    std::string reason_;
    std::FILE* temporary_ = nullptr;
    bool failed_ = false;
};
