#pragma once
// The byte readings's pane: the bytes at the byte picked in the shared selection (else the first
// byte selected) read as numbers, hex, binary and colours, the record field there with its name, and a
// toggle for big-endian readings. A row's value is copied by its context menu or Ctrl+C.
#include <cstdint>
#include <optional>

#include <QWidget>

#include "views/ReadingsModel.h"

class QCheckBox;
class QLabel;
class QTreeWidget;
class SpanSelection;

class ReadingsPane : public QWidget {
    Q_OBJECT
  public:
    explicit ReadingsPane(SpanSelection& selection, QWidget* parent = nullptr);

    // Reads the bytes at offset anew (-1: none) and shows them.
    void ShowOffset(int64_t offset);
    int64_t Offset() const { return offset_; }
    void SetBigEndian(bool big);
    bool BigEndian() const;

    QTreeWidget* Rows() const { return rows_; }
    QCheckBox* BigEndianBox() const { return bigEndian_; }
    // The value text a reading shows now.
    QString ValueOf(readings::Reading r) const;
    // The line naming the field at the offset ("" where none holds it).
    QString FieldLine() const;
    QString OffsetLine() const;
    // Puts the value of the current row on the clipboard.
    void CopyValue() const;

  private:
    void Follow();
    const readings::Palette* PaletteNow();

    SpanSelection& selection_;
    QCheckBox* bigEndian_ = nullptr;
    QLabel* offsetLabel_ = nullptr;
    QLabel* fieldLabel_ = nullptr;
    QTreeWidget* rows_ = nullptr;
    int64_t offset_ = -1;
    // The 8-bit palette, worked out once per level shown.
    std::optional<readings::Palette> palette_;
    const void* paletteOf_ = nullptr;
    bool paletteLoaded_ = false;
};
