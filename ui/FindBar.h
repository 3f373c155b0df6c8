#pragma once
// The find bar under the report pane: a search text, "Find Next", "Find Previous" and a close button.
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
    // What the last search found: an empty line, "Not found", or that it wrapped round to the top
    // (searching on) or to the bottom (searching back).
    void ShowResult(int result, bool backwards = false);
    QString ResultText() const;

  signals:
    void FindNext(const QString& needle);
    void FindPrevious(const QString& needle);

  private:
    QLineEdit* txtFind_;
    QLabel* lblFindResult_;
};
