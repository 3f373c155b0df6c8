#pragma once
// The tile viewer: one exported texture tile at a time, chosen by number.
#include <cstdint>
#include <filesystem>

#include <QDialog>
#include <QImage>
#include <QList>

class QComboBox;
class QLabel;

class frmTextureTiles : public QDialog {
    Q_OBJECT
  public:
    // tileFolder: where the walk exported the tile bitmaps.
    explicit frmTextureTiles(std::filesystem::path tileFolder, QWidget* parent = nullptr);

    // The tile count of the last walk that exported tiles; 0 means there are none to show.
    void Init(int32_t lngNumTextTiles);
    // Why the last export could not write its bitmaps, shown when the list stays empty.
    void SetExportProblem(const QString& problem) { exportProblem_ = problem; }
    // Why the list is empty, as the picture area shows it; empty while tiles are shown.
    QString EmptyListReason() const { return emptyReason_; }
    // Fills the list and shows the first tile; runs once, at the first activation.
    void Activate();
    // Shows image n (1-based) of the loaded tiles.
    void ShowTile(int n);

    QComboBox* TileNumbers() const { return cboTileNo_; }
    QLabel* TilePicture() const { return pctTile_; }
    int LoadedTileCount() const { return static_cast<int>(imlTiles8_.size()); }

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    std::filesystem::path tileFolder_;
    int32_t tileCount_ = 0;
    bool noTiles_ = true;
    bool firstActivation_ = true;
    QList<QImage> imlTiles8_;
    QString exportProblem_;
    QString emptyReason_;
    QLabel* pctTile_;
    QComboBox* cboTileNo_;
};
