#pragma once
// The palette examiner: both palettes of the last loading walk as grids of 256 swatches, a tooltip
// on each, and the colour list of either palette from the "View Palette" menu.
// Swatches are named C8_0 to C8_255 and C16_0 to C16_255 and carry their index in the property "index".
#include <array>
#include <memory>

#include <QDialog>

#include "support/CSmartArray.h"

class QFrame;
class QGroupBox;
class QMenu;
class QMenuBar;
class QVBoxLayout;
class frmViewPalette;

class frmMainPal : public QDialog {
    Q_OBJECT
  public:
    frmMainPal(std::shared_ptr<const CSmartArray> palette8, std::shared_ptr<const CSmartArray> palette16,
               QWidget* parent = nullptr);

    // The level's full path, shown in the caption and used to name the colour lists.
    void Init(const QString& sFileName);
    QString FileName() const { return fileName_; }

    QFrame* Swatch8(int k) const { return c8_[static_cast<size_t>(k)]; }
    QFrame* Swatch16(int k) const { return c16_[static_cast<size_t>(k)]; }

    // The colour list of the 8-bit or 16-bit palette, ready to be shown.
    frmViewPalette* CreateColourList(int bits);

    static QColor PlaceholderColour() { return {64, 0, 64}; }

  protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void CreateMenus(QVBoxLayout* layout);
    void CreateCanvas(QVBoxLayout* layout);
    void PaintSwatches();
    void ShowColourList(int bits);
    void SetCaptions();

    std::shared_ptr<const CSmartArray> palette8_;
    std::shared_ptr<const CSmartArray> palette16_;
    QString fileName_;
    std::array<QFrame*, 256> c8_{};
    std::array<QFrame*, 256> c16_{};
    QGroupBox* fra8bits_ = nullptr;
    QGroupBox* fra16bits_ = nullptr;
    QMenu* mnuViewPalette_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
};
