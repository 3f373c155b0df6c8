#include "ui/CsvSave.h"

#include <algorithm>

#include <QSaveFile>

std::optional<std::string> ProposedCsvName(std::string_view levelPath) {
    const size_t slash = levelPath.find_last_of("\\/");
    if (slash == std::string_view::npos)
        return std::nullopt;
    std::string_view name = levelPath.substr(slash + 1);
    name.remove_suffix(std::min<size_t>(4, name.size()));
    return std::string(name) + ".csv";
}

QString SaveReportText(const QString& path, std::string_view text) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const qint64 size = static_cast<qint64>(text.size());
    if (file.write(text.data(), size) != size) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}
