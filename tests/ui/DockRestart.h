#pragma once
// A dock of the main window keeps its state across a restart: shown when the window closed, shown after
// the restart; hidden, hidden. Called last in a test: a failure ends the test there.
#include <QDockWidget>
#include <QSettings>
#include <QTest>
#include <functional>

#include "common/TestFiles.h"
#include "report/AppState.h"
#include "ui/frmMain.h"

inline void CheckDockComesBackAfterARestart(const std::function<QDockWidget*(frmMain&)>& dockOf) {
    QSettings().clear();
    TempDir dir;
    for (const bool shown : {true, false}) {
        {
            AppState state;
            state.ProgramFolder = dir.Path();
            frmMain w(state);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            dockOf(w)->setVisible(shown);
            QVERIFY(w.close());
        }
        AppState state;
        state.ProgramFolder = dir.Path();
        frmMain again(state);
        QCOMPARE(!dockOf(again)->isHidden(), shown);
    }
    QSettings().clear();
}
