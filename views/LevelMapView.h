#pragma once
// The level map: the rooms of the last walk seen from above, linked to the report, the outline and
// the hex view through the shared selection. A click selects the sector's (or door's) record, a
// shift-click the room; selecting a room's lines elsewhere highlights it here; a double click on a
// door goes to the room it leads to. A tool bar zooms, fits, shows or hides the legend, finds a room
// and saves the view as PNG or SVG (its zoom keys work wherever the focus is inside the map); a
// two-handled slider hides rooms outside a height band; a status line says what was left out.
#include <QWidget>
#include <functional>
#include <optional>

#include "report/OutputFile.h"
#include "views/LevelMapModel.h"
#include "views/ProblemMarks.h"

class QAction;
class QLabel;
class QSpinBox;
class QToolBar;
class HeightRangeSlider;
class LevelMapCanvas;
class SpanSelection;

class LevelMapView : public QWidget {
    Q_OBJECT
  public:
    explicit LevelMapView(SpanSelection& selection, QWidget* parent = nullptr);

    const LevelMapModel& Model() const { return model_; }
    LevelMapCanvas* Canvas() const { return canvas_; }
    HeightRangeSlider* HeightFilter() const { return heightFilter_; }
    QString StatusText() const;

    // Reads the map anew from the selection's walk (a new walk replaced it).
    void Rebuild();
    // Frames the rooms and doors whose bytes hold a problem the test finds; call ProblemsChanged when
    // its answers change.
    void SetProblems(ProblemTest test);
    void ProblemsChanged();
    // Shows rooms whose height band meets top..bottom (y values; top is the smaller).
    void SetHeightBand(int64_t top, int64_t bottom);
    // Centres room n, selects its line and shows it; false when the map does not hold it.
    bool FindRoom(int32_t number);

    enum class ImageKind { Png, Svg };
    // Saves the current view to path as it stands (no extension added, no question asked), never over
    // the level file being viewed; "" or why it failed.
    QString SaveImage(ImageKind kind, const QString& path);
    QString SavePng(const QString& path) { return SaveImage(ImageKind::Png, path); }
    QString SaveSvg(const QString& path) { return SaveImage(ImageKind::Svg, path); }
    // The save command: asks for a file (through the chooser), adds ".png" or ".svg" to a bare name,
    // refuses the level file with a message, asks before replacing a file, then saves.
    void SaveImageAs(ImageKind kind);
    // Asks for the file to save to, "" to cancel; a file dialog unless set otherwise (tests choose).
    using TargetChooser = std::function<QString(ImageKind kind, const QString& proposed)>;
    void SetTargetChooser(TargetChooser choose) { chooseTarget_ = std::move(choose); }
    // The commands that ask for a file name first, for a menu.
    QAction* SavePngAction() const { return savePng_; }
    QAction* SaveSvgAction() const { return saveSvg_; }
    QAction* LegendAction() const { return legend_; }

  private:
    void FollowSelection();
    void Select(const MapHit& hit, Qt::KeyboardModifiers modifiers);
    void ShowBandText();
    QString ProposedTarget(ImageKind kind) const;
    QByteArray ImageBytes(ImageKind kind);
    std::optional<FileIdentity> LevelIdentity() const;
    QString ChooseWithDialog(ImageKind kind, const QString& proposed);

    SpanSelection& selection_;
    LevelMapModel model_;
    ProblemTest problems_;
    QToolBar* tools_ = nullptr;
    LevelMapCanvas* canvas_ = nullptr;
    HeightRangeSlider* heightFilter_ = nullptr;
    QLabel* bandText_ = nullptr;
    QLabel* status_ = nullptr;
    QSpinBox* roomNumber_ = nullptr;
    QAction* savePng_ = nullptr;
    QAction* saveSvg_ = nullptr;
    QAction* legend_ = nullptr;
    TargetChooser chooseTarget_;
    QString note_; // a passing word under the status (a room not found, a file not saved)
};
