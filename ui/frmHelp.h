#pragma once
// The help window: the help text in a read-only pane, closed through its window frame.
#include <QDialog>

class QTextEdit;

class frmHelp : public QDialog {
    Q_OBJECT
  public:
    explicit frmHelp(QWidget* parent = nullptr);
    QTextEdit* HelpPane() const { return rtxHelp_; }

  private:
    QTextEdit* rtxHelp_;
};
