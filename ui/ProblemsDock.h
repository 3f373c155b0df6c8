#pragma once
// Problems (Ctrl+5) in the Structure menu: the checker's findings on the level shown, listed in a dock
// (hidden on a first start, then as the last run left it) and filled after every walk. The outline,
// the strata bar and the level map mark what holds a problem, and the status line gives the counts.
#include <QObject>

class QDockWidget;
class QLabel;
class QMainWindow;
class LevelMapView;
class ProblemsList;
class StructureViews;

class ProblemsDock : public QObject {
    Q_OBJECT
  public:
    ProblemsDock(QMainWindow& window, StructureViews& views, LevelMapView& map);

    ProblemsList* List() const { return list_; }
    QDockWidget* Dock() const { return dock_; }
    // The counts in the status line, beside how the walk ended; hidden when nothing was found.
    QLabel* StatusCounts() const { return counts_; }

  private:
    void FollowProblems();

    StructureViews& views_;
    LevelMapView& map_;
    ProblemsList* list_ = nullptr;
    QDockWidget* dock_ = nullptr;
    QLabel* counts_ = nullptr;
};
