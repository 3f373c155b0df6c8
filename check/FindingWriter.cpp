#include "check/FindingWriter.h"

#include <utility>

namespace check {

std::unique_ptr<FindingFormat> MakeFindingFormat(std::string_view name, std::string_view version) {
    if (name == "text")
        return MakeTextFormat();
    if (name == "json")
        return MakeJsonFormat();
    if (name == "sarif")
        return MakeSarifFormat(version);
    return nullptr;
}

FindingWriter::FindingWriter(const FindingFormat& format, std::string path, HandOn handOn)
    : format_(format), path_(std::move(path)), handOn_(std::move(handOn)), text_(format_.FileHead(path_)) {}

void FindingWriter::Found(const Finding& finding) {
    if (found_++ > 0)
        text_ += format_.FindingSeparator();
    format_.AppendFinding(text_, path_, finding);
    if (text_.size() >= kBlockBytes)
        handOn_(text_, false);
}

void FindingWriter::Finish(const CheckedFile& file) {
    text_ += format_.FileTail(file);
    handOn_(text_, true);
}

} // namespace check
