#pragma once
// The find bar under the report pane: a search text, "Find Next" and a close button.
#include <QToolBar>

class QLabel;
class QLineEdit;

class FindBar : public QToolBar {
    Q_OBJECT
  public:
    explicit FindBar(QWidget* parent = nullptr);

    QString Needle() const;
    // Shows the bar and puts the cursor into its search text, all of it selected.
    void Open();
    // What the last search found: an empty line, or "Not found".
    void ShowResult(bool found);

  signals:
    void FindNext(const QString& needle);

  private:
    QLineEdit* txtFind_;
    QLabel* lblFindResult_;
};
