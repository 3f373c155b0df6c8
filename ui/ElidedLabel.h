#pragma once
// A one-line label that never cuts its text off unseen: a text wider than the label is shortened in
// the middle with "…", and the whole text is the label's tooltip.
#include <QLabel>

class ElidedLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    const QString& FullText() const { return fullText_; }

  protected:
    void resizeEvent(QResizeEvent* e) override;

  private:
    void Elide();
    QString fullText_;
};
