#pragma once
// The byte search bar: finds a hex pattern with ?? for any byte, a text, or a little-endian number of a
// chosen width in the level's bytes, on from the byte picked or back from it, round the ends, and says
// which hit it is of how many ("3 of 41"). A hit becomes the shared selection, so the hex view, the
// report and the outline follow it. F3 and Shift+F3 go on while the bar is open with a pattern typed and
// it or a watched view (the hex view) has the focus; elsewhere they stay the report's.
#include <cstdint>
#include <optional>

#include <QString>
#include <QWidget>

#include "format/ByteSearch.h"

class QComboBox;
class QLabel;
class QLineEdit;
class SpanSelection;

class ByteSearchBar : public QWidget {
    Q_OBJECT
  public:
    // What the text is read as: the kinds' order in the bar's list.
    enum Kind { Hex, Text, S8, U8, S16, U16, S32, U32 };

    explicit ByteSearchBar(SpanSelection& selection, QWidget* parent = nullptr);

    // Puts the cursor into the search text, all of it selected.
    void Open();
    void SetKind(Kind kind);
    Kind CurrentKind() const;
    void SetPatternText(const QString& text);
    // Searches on from the byte picked (past the hit selected), or back from it; false when nothing
    // was found or the text is no pattern.
    bool FindNext();
    bool FindPrevious();
    // "3 of 41", "Not found", or what is wrong with the text.
    QString ResultText() const;
    // F3 and Shift+F3 on the widget go on with this bar's search while a pattern is typed.
    void WatchKeysOf(QWidget* widget);

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    std::optional<format::BytePattern> CurrentPattern();
    bool Find(bool forwards);
    void Forget();
    void Say(const QString& text);

    SpanSelection& selection_;
    QComboBox* kind_ = nullptr;
    QLineEdit* text_ = nullptr;
    QLabel* result_ = nullptr;
    // The hit selected last, and the count of the pattern it was found with (counted once a pattern).
    int64_t lastHit_ = -1;
    QString countedKey_;
    int64_t count_ = 0;
};
