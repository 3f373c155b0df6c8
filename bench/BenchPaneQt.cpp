// The benchmark's report pane: the window's own report view, offscreen, shown, painted and scrolled
// from top to bottom and back, so the time covers what a user waits for before reading and scrolling.
#include "bench/BenchPane.h"

#include <QApplication>
#include <QScrollBar>

#include "ui/ReportView.h"

namespace {

// Counts the paint events of the pane's viewport, so the bench waits for a real paint, not a queued one.
class PaintCounter : public QObject {
  public:
    int Paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++Paints;
        return QObject::eventFilter(watched, e);
    }
};

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
