#include "ui/StartArguments.h"

#include "support/ShownText.h"
#include "views/OffsetText.h"

namespace {

// An argument as a message shows it: its control bytes escaped, so it cannot drive the terminal.
QString Shown(const QString& argument) {
    return QString::fromStdString(ShownText(argument.toStdString()));
}

} // namespace

QString StartUsage() {
    return QStringLiteral("Usage: strata-viewer [--goto OFFSET] [FILE]");
}

QString StartArgumentsProblem(const QStringList& files, bool hasGoTo, const QString& goTo) {
    if (files.size() > 1)
        return QStringLiteral("strata-viewer: one level file at a time; \"%1\" is a second file")
            .arg(Shown(files.at(1)));
    if (hasGoTo && !ParseOffset(goTo.toStdString()))
        return QStringLiteral(
                   "strata-viewer: --goto: \"%1\" is not an offset (\"0x1F2C\", \"1F2Ch\" or decimal)")
            .arg(Shown(goTo));
    if (hasGoTo && files.isEmpty())
        return QStringLiteral("strata-viewer: --goto %1: no level file to go to the offset in")
            .arg(Shown(goTo));
    return {};
}
