#pragma once
// Byte Readings (Ctrl+7) in the Structure menu: the bytes at the picked offset read as numbers and
// colours, in a dock (hidden on a first start, then as the last run left it) that follows the one
// selection.
#include <QObject>

class QDockWidget;
class QMainWindow;
class ReadingsPane;
class StructureViews;

class ReadingsDock : public QObject {
    Q_OBJECT
  public:
    ReadingsDock(QMainWindow& window, StructureViews& views);

    ReadingsPane* Pane() const { return pane_; }
    QDockWidget* Dock() const { return dock_; }

  private:
    ReadingsPane* pane_ = nullptr;
    QDockWidget* dock_ = nullptr;
};
