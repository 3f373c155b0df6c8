#pragma once
// The problems the checker finds in the level shown, as a list beside the report: a line with the
// counts above rows of severity, rule, place and message. The list is filled anew after every walk.
// Selecting a problem selects, through the shared selection, the bytes of the field it concerns, so
// the report pane, the outline, the hex view and the map follow.
#include <QWidget>

#include "views/ProblemMarks.h"

class QLabel;
class QTreeView;
class ProblemsModel;
class SpanSelection;

class ProblemsList : public QWidget {
    Q_OBJECT
  public:
    explicit ProblemsList(SpanSelection& selection, QWidget* parent = nullptr);

    ProblemsModel& Model() const { return *model_; }
    QTreeView* View() const { return view_; }
    // The line above the rows.
    QString Summary() const;
    // Selects a row and its field's bytes, as a click does.
    void SelectRow(int row);
    // What the views that mark problems ask.
    ProblemTest Test() const;

  private:
    void TakeWalk();
    void ShowSummary();
    void FollowRow(const QModelIndex& current);

    SpanSelection& selection_;
    ProblemsModel* model_ = nullptr;
    QLabel* summary_ = nullptr;
    QTreeView* view_ = nullptr;
};
