// The benchmark's report pane: the window's own report view, offscreen, shown, painted and scrolled
// from top to bottom and back, so the time covers what a user waits for before reading and scrolling.
#include "bench/BenchPane.h"

#include <QApplication>
#include <QScrollBar>

#include "bench/BenchQt.h"
#include "ui/ReportView.h"

namespace {

void WaitForPaint(QWidget& viewport, PaintCounter& counter) {
    const int before = counter.Paints;
    viewport.update();
    for (int i = 0; i < 1000 && counter.Paints == before; ++i)
        QCoreApplication::processEvents();
}

} // namespace

bool BenchPaneAvailable() {
    return true;
}

void BenchShowInPane(const std::string& report) {
    EnsureApplication();
    ReportView view;
    PaintCounter counter;
    view.viewport()->installEventFilter(&counter);
    view.ShowText(report);
    view.resize(800, 600);
    view.show();
    WaitForPaint(*view.viewport(), counter);
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(bar->maximum());
    WaitForPaint(*view.viewport(), counter);
    bar->setValue(0);
    WaitForPaint(*view.viewport(), counter);
}
