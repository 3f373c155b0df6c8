#pragma once
// The detail level selection dialog: one check box per detail option, "All", OK and Cancel.
// The 37 boxes are named chkDetails_0 to chkDetails_36 and carry their option index in the property
// "index". Only OK writes the option set.
#include <array>

#include <QDialog>

#include "format/DetailOptions.h"

class QCheckBox;
class QGroupBox;

class frmReportDetails : public QDialog {
    Q_OBJECT
  public:
    explicit frmReportDetails(DetailOptionSet& options, QWidget* parent = nullptr);

    QCheckBox* DetailBox(int index) const { return chkDetails_[static_cast<size_t>(index)]; }
    QCheckBox* AllBox() const { return chkAll_; }

    // Sets every box from the option set, then "All" when every option is on (it never unchecks "All").
    void ShowCurrentOptions();

  private:
    void CreateControls();
    void FitCaptions();
    void AllChanged(bool checked);
    void TextureTilesChanged();
    void WriteOptions();

    DetailOptionSet& options_;
    QGroupBox* fraGraphics_ = nullptr;
    QGroupBox* fraRooms_ = nullptr;
    std::array<QCheckBox*, kDetailOptionCount> chkDetails_{};
    QCheckBox* chkAll_ = nullptr;
};
