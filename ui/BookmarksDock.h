#pragma once
// Back and forth through the selection's jumps, and bookmarks, in the Structure menu. Back (Alt+Left,
// the mouse's back button) and Forward (Alt+Right, its forward button) walk the selection history. Add
// Bookmark (Ctrl+B) names and colours the bytes selected; the Bookmarks dock (hidden on a first start,
// then as the last run left it) lists them to go to, rename or delete. A level's bookmarks are kept by
// its path and content in the application's data folder, come back when the same bytes are opened
// again, and are shown in the hex view and the strata bar.
#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

#include "views/BookmarkStore.h"

class QAction;
class QDialog;
class QDockWidget;
class QListWidget;
class QMainWindow;
class SelectionHistory;
class StructureViews;

class BookmarksDock : public QObject {
    Q_OBJECT
  public:
    BookmarksDock(QMainWindow& window, StructureViews& views);

    SelectionHistory& History() const { return *history_; }
    QDockWidget* Dock() const { return dock_; }
    QListWidget* List() const { return list_; }
    const std::vector<Bookmark>& Bookmarks() const { return bookmarks_; }
    // The path the level's bookmarks are kept under; empty when none can be (no level, standard input).
    const QString& LevelPath() const { return levelPath_; }
    // The name a bookmark of the current selection gets unless the user types another: the place of
    // its bytes as the outline shows it, chunk / room / run / record.
    QString DefaultName() const;
    // Adds a bookmark of the selected bytes and keeps it; false when nothing is selected.
    bool AddBookmark(const QString& name, const QColor& colour);
    void GoTo(int row);
    void Rename(int row, const QString& name, const QColor& colour);
    void Delete(int row);
    // The colours a bookmark can take, in the order the dialog offers them.
    static std::vector<QColor> Colours();

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void CreateDock();
    void CreateActions();
    void TakeLevel();
    void Keep();
    void ShowBookmarks();
    void EnableCommands();
    // The dialog asking a bookmark's name and colour (Add Bookmark, Rename), open without a modal loop;
    // done gets the answer.
    void AskBookmark(const QString& title, const QString& name, const QColor& colour,
                     std::function<void(const QString&, const QColor&)> done);

    QMainWindow& window_;
    StructureViews& views_;
    SelectionHistory* history_ = nullptr;
    BookmarkStore store_;
    QString levelPath_; // the level's bookmarks are kept under; empty when none can be (no level, stdin)
    uint64_t levelHash_ = 0;
    std::vector<Bookmark> bookmarks_;
    QDockWidget* dock_ = nullptr;
    QListWidget* list_ = nullptr;
    QAction* back_ = nullptr;
    QAction* forward_ = nullptr;
    QAction* add_ = nullptr;
};
