#pragma once
// The report pane: the finished report text, plain, fixed-pitch, unwrapped, read-only but selectable.
// The text is set once per run; the exact report bytes are kept apart from what the widget shows.
#include <string>
#include <string_view>

#include <QPlainTextEdit>

class ReportView : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit ReportView(QWidget* parent = nullptr);

    void SetReportText(std::string_view text);
    const std::string& ReportText() const { return text_; }
    // Selects the next occurrence of needle after the cursor, wrapping round to the top once.
    bool Find(const QString& needle);

    // Fixedsys where installed, else the system's fixed-pitch font; 9 points.
    static QFont PaneFont();

  private:
    std::string text_;
};
