#pragma once
// The benchmark's one Qt application and a counter of paint events, for the measures of the windows.
#include <QEvent>
#include <QObject>

// Makes the application on the offscreen platform (unless another is chosen) once per process.
void EnsureApplication();

// Counts the paint events of a watched widget, so a measure waits for a real paint, not a queued one.
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
