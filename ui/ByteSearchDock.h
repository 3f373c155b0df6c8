#pragma once
// Search Bytes (Ctrl+Shift+F) in the Structure menu: the byte search bar in a slim dock over the hex
// view (hidden on a first start, then as the last run left it). The command shows the bar and the hex
// view and puts the cursor into the search text; the report pane's own find bar (Ctrl+F) is untouched.
#include <QObject>

class QDockWidget;
class QMainWindow;
class ByteSearchBar;
class StructureViews;

class ByteSearchDock : public QObject {
    Q_OBJECT
  public:
    ByteSearchDock(QMainWindow& window, StructureViews& views);

    ByteSearchBar* Bar() const { return bar_; }
    QDockWidget* Dock() const { return dock_; }
    // Shows the bar (and the hex view) and puts the cursor into the search text.
    void Open();

  private:
    StructureViews& views_;
    ByteSearchBar* bar_ = nullptr;
    QDockWidget* dock_ = nullptr;
};
