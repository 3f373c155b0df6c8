#include "bench/BenchQt.h"

#include <QApplication>

void EnsureApplication() {
    if (QApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "strata-bench";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives until the process ends, as the bench's one application
}
