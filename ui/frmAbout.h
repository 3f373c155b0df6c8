#pragma once
// The about window: the program's picture, title, a description and a credit line, OK and System Info.
#include <memory>

#include <QDialog>

#include "ui/SystemRegistry.h"

class QMessageBox;

inline constexpr const char* kApplicationTitle = "Strata Viewer";

class frmAbout : public QDialog {
    Q_OBJECT
  public:
    // registry: where "System Info..." looks for the system information program (the platform's by default).
    explicit frmAbout(QWidget* parent = nullptr,
                      std::unique_ptr<SystemRegistry> registry = MakePlatformRegistry());

    // Starts the system information program, or tells the user it is unavailable. Returns whether it started.
    bool StartSysInfo();

  private:
    void CreateControls();

    std::unique_ptr<SystemRegistry> registry_;
};
