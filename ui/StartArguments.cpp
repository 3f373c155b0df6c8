#include "ui/StartArguments.h"

#include "views/OffsetText.h"

QString StartUsage() {
    return QStringLiteral("Usage: strata-viewer [--goto OFFSET] [FILE]");
}

QString StartArgumentsProblem(const QStringList& files, bool hasGoTo, const QString& goTo) {
    if (files.size() > 1)
        return QStringLiteral("strata-viewer: one level file at a time; \"%1\" is a second file")
            .arg(files.at(1));
    if (hasGoTo && !ParseOffset(goTo.toStdString()))
        return QStringLiteral(
                   "strata-viewer: --goto: \"%1\" is not an offset (\"0x1F2C\", \"1F2Ch\" or decimal)")
            .arg(goTo);
    if (hasGoTo && files.isEmpty())
        return QStringLiteral("strata-viewer: --goto %1: no level file to go to the offset in").arg(goTo);
    return {};
}
