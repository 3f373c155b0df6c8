#include "ui/CsvSave.h"

#include <algorithm>

#include <QFile>

#include "report/OutputFile.h"

std::optional<std::string> ProposedCsvName(std::string_view levelPath) {
    const size_t slash = levelPath.find_last_of("\\/");
    if (slash == std::string_view::npos)
        return std::nullopt;
    std::string_view name = levelPath.substr(slash + 1);
    name.remove_suffix(std::min<size_t>(4, name.size()));
    return std::string(name) + ".csv";
}

QString SaveReportText(const QString& path, std::string_view text, const std::string& levelPath) {
    const std::string reason =
        WriteOutputFile(QFile::encodeName(path).toStdString(), text, IdentityOf(levelPath));
    return QString::fromStdString(reason);
}
