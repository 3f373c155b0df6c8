#pragma once
// The outline's tree view: shows the outline model and takes part in the shared selection. Choosing a
// node selects its span (or record); a selection made elsewhere makes the node that wrote the selected
// line current, opening its parents. A record opens to its fields; choosing a field selects exactly its
// bytes, on the report line that shows its value.
#include <QTreeView>

#include "views/ProblemMarks.h"

class OutlineModel;
class SpanSelection;

class OutlinePane : public QTreeView {
    Q_OBJECT
  public:
    explicit OutlinePane(SpanSelection& selection, QWidget* parent = nullptr);

    OutlineModel& Model() { return *model_; }
    // Marks the nodes holding a problem the test finds; call ProblemsChanged when its answers change.
    void SetProblems(ProblemTest test);
    void ProblemsChanged();

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

  private:
    void TakeWalk();
    void Follow(const QObject* source);

    SpanSelection& selection_;
    OutlineModel* model_;
    bool following_ = false;
};
