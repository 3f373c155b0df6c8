#pragma once
// The viewer's command line, checked before any window opens: at most one level file, and --goto only
// with a file and an offset it can read. A wrong command line is told on standard error and, where a
// display is at hand, in a message box, and the program ends with kWrongArguments.
#include <QString>
#include <QStringList>

inline constexpr int kWrongArguments = 2;

// The usage line the messages end with.
QString StartUsage();

// "" when the viewer can start with these arguments, else the one line that says what is wrong.
QString StartArgumentsProblem(const QStringList& files, bool hasGoTo, const QString& goTo);
