#include "ui/BookmarksDock.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "ui/ReportView.h"
#include "ui/StructureViews.h"
#include "views/HexView.h"
#include "views/SelectionHistory.h"
#include "views/SpanSelection.h"
#include "views/StrataBar.h"

namespace {

QIcon Swatch(const QColor& colour) {
    QPixmap swatch(12, 12);
    swatch.fill(colour);
    return QIcon(swatch);
}

QString Hex(int64_t offset) {
    return QStringLiteral("0x") + QString::number(offset, 16).toUpper();
}

} // namespace

BookmarksDock::BookmarksDock(QMainWindow& window, StructureViews& views)
    : QObject(&window), window_(window), views_(views), store_(BookmarkStore::DefaultFile()) {
    history_ = new SelectionHistory(views.Selection(), this);
    // Keys and clicks in the hex view and the report pane step; everything else jumps.
    history_->AddSteppingSource(views.Hex());
    history_->AddSteppingSource(&views.Pane());
    CreateDock();
    CreateActions();
    connect(history_, &SelectionHistory::Moved, this, &BookmarksDock::EnableCommands);
    connect(&views.Selection(), &SpanSelection::Changed, this, &BookmarksDock::EnableCommands);
    connect(&views.Selection(), &SpanSelection::WalkReplaced, this, &BookmarksDock::TakeLevel);
    qApp->installEventFilter(this);
    TakeLevel();
}

std::vector<QColor> BookmarksDock::Colours() {
    return {QColor(0xE0, 0x40, 0x40), QColor(0xF0, 0xA0, 0x20), QColor(0x30, 0xA0, 0x40),
            QColor(0x20, 0xA0, 0xD0), QColor(0x50, 0x60, 0xE0), QColor(0xB0, 0x40, 0xC0)};
}

void BookmarksDock::CreateDock() {
    auto* panel = new QWidget;
    list_ = new QListWidget(panel);
    list_->setObjectName(QStringLiteral("lstBookmarks"));
    auto* goTo = new QPushButton(tr("&Go To"), panel);
    goTo->setObjectName(QStringLiteral("btnBookmarkGoTo"));
    auto* rename = new QPushButton(tr("&Rename..."), panel);
    rename->setObjectName(QStringLiteral("btnBookmarkRename"));
    auto* remove = new QPushButton(tr("&Delete"), panel);
    remove->setObjectName(QStringLiteral("btnBookmarkDelete"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(goTo);
    buttons->addWidget(rename);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(list_);
    layout->addLayout(buttons);

    dock_ = new QDockWidget(tr("Bookmarks"), &window_);
    dock_->setObjectName(QStringLiteral("dckBookmarks"));
    dock_->setWidget(panel);
    window_.addDockWidget(Qt::RightDockWidgetArea, dock_);
    dock_->hide();

    connect(list_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { GoTo(list_->row(item)); });
    connect(goTo, &QPushButton::clicked, this, [this] { GoTo(list_->currentRow()); });
    connect(remove, &QPushButton::clicked, this, [this] { Delete(list_->currentRow()); });
    connect(rename, &QPushButton::clicked, this, [this] {
        const int row = list_->currentRow();
        if (row < 0 || row >= static_cast<int>(bookmarks_.size()))
            return;
        const Bookmark& b = bookmarks_[static_cast<size_t>(row)];
        AskBookmark(tr("Rename Bookmark"), b.Name, b.Colour,
                    [this, row](const QString& name, const QColor& colour) { Rename(row, name, colour); });
    });
    auto* del = new QAction(list_);
    del->setShortcut(QKeySequence::Delete);
    del->setShortcutContext(Qt::WidgetShortcut);
    list_->addAction(del);
    connect(del, &QAction::triggered, this, [this] { Delete(list_->currentRow()); });
}

void BookmarksDock::CreateActions() {
    QMenu* menu = views_.Menu();
    QAction* toggle = dock_->toggleViewAction();
    toggle->setObjectName(QStringLiteral("mnuStructureBookmarks"));
    toggle->setText(tr("Boo&kmarks"));
    views_.AddViewAction(toggle);

    // Beside Go to Offset, the other jumps.
    QAction* before = nullptr;
    for (QAction* action : menu->actions())
        if (action->objectName() == QStringLiteral("mnuStructureSep3"))
            before = action;
    back_ = new QAction(tr("&Back"), menu);
    back_->setObjectName(QStringLiteral("mnuStructureBack"));
    back_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    forward_ = new QAction(tr("&Forward"), menu);
    forward_->setObjectName(QStringLiteral("mnuStructureForward"));
    forward_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    add_ = new QAction(tr("Add Boo&kmark..."), menu);
    add_->setObjectName(QStringLiteral("mnuStructureAddBookmark"));
    add_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    menu->insertActions(before, {back_, forward_, add_});
    connect(back_, &QAction::triggered, history_, &SelectionHistory::Back);
    connect(forward_, &QAction::triggered, history_, &SelectionHistory::Forward);
    connect(add_, &QAction::triggered, this, [this] {
        AskBookmark(tr("Add Bookmark"), DefaultName(), Colours()[bookmarks_.size() % Colours().size()],
                    [this](const QString& name, const QColor& colour) { AddBookmark(name, colour); });
    });
    EnableCommands();
}

void BookmarksDock::EnableCommands() {
    back_->setEnabled(history_->CanGoBack());
    forward_->setEnabled(history_->CanGoForward());
    const LineBytes& bytes = views_.Selection().Bytes();
    add_->setEnabled(views_.Selection().Level() &&
                     (bytes.End > bytes.First || views_.Selection().PickedOffset() >= 0));
}

bool BookmarksDock::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const auto button = static_cast<QMouseEvent*>(e)->button();
        if (widget && widget->window() == &window_ &&
            (button == Qt::BackButton || button == Qt::ForwardButton)) {
            if (button == Qt::BackButton)
                history_->Back();
            else
                history_->Forward();
            return true;
        }
    }
    return QObject::eventFilter(watched, e);
}

QString BookmarksDock::DefaultName() const {
    const SpanSelection& selection = views_.Selection();
    const WalkMap& map = selection.Map();
    int32_t span = selection.Span();
    if (span < 0 && selection.FocusOffset() >= 0)
        span = map.SpanAt(selection.FocusOffset());
    QStringList names;
    for (int32_t s = span; s >= 0 && s < map.Size(); s = map[s].Parent) {
        QString name = QString::fromUtf8(map[s].Name().data(), static_cast<qsizetype>(map[s].Name().size()));
        if (map[s].Index >= 0)
            name += QStringLiteral(" %1").arg(map[s].Index);
        names.prepend(name);
    }
    if (selection.Record() >= 0 && !names.isEmpty())
        names.last() += QStringLiteral(" #%1").arg(selection.Record());
    if (names.isEmpty())
        return Hex(std::max<int64_t>(selection.FocusOffset(), 0));
    return names.join(QStringLiteral(" / "));
}

bool BookmarksDock::AddBookmark(const QString& name, const QColor& colour) {
    const SpanSelection& selection = views_.Selection();
    if (!selection.Level())
        return false;
    // A count field's line stands for its chunk: the bookmark takes the chunk's bytes around it.
    const LineBytes& bytes = selection.Bytes();
    Bookmark b{name, colour, bytes.First, bytes.End};
    if (bytes.DimEnd > bytes.DimFirst) {
        b.First = std::min<int64_t>(b.First, bytes.DimFirst);
        b.End = std::max<int64_t>(b.End, bytes.DimEnd);
    }
    if (b.End <= b.First) {
        if (selection.PickedOffset() < 0)
            return false;
        b.First = selection.PickedOffset();
        b.End = b.First + 1;
    }
    bookmarks_.push_back(b);
    Keep();
    list_->setCurrentRow(static_cast<int>(bookmarks_.size()) - 1);
    return true;
}

void BookmarksDock::GoTo(int row) {
    if (row < 0 || row >= static_cast<int>(bookmarks_.size()))
        return;
    const Bookmark& b = bookmarks_[static_cast<size_t>(row)];
    views_.HexDock()->show();
    views_.Selection().SelectBytes(b.First, b.End, this);
}

void BookmarksDock::Rename(int row, const QString& name, const QColor& colour) {
    if (row < 0 || row >= static_cast<int>(bookmarks_.size()))
        return;
    bookmarks_[static_cast<size_t>(row)].Name = name;
    bookmarks_[static_cast<size_t>(row)].Colour = colour;
    Keep();
    list_->setCurrentRow(row);
}

void BookmarksDock::Delete(int row) {
    if (row < 0 || row >= static_cast<int>(bookmarks_.size()))
        return;
    bookmarks_.erase(bookmarks_.begin() + row);
    Keep();
    list_->setCurrentRow(std::min(row, static_cast<int>(bookmarks_.size()) - 1));
}

void BookmarksDock::TakeLevel() {
    const AppState& state = views_.Selection().State();
    levelPath_.clear();
    levelHash_ = 0;
    bookmarks_.clear();
    if (state.Level && !state.LastRun.Unread && !state.LevelFilePath.empty() && state.LevelFilePath != "-") {
        levelPath_ = QFileInfo(QString::fromStdString(state.LevelFilePath)).absoluteFilePath();
        levelHash_ = ContentHash(state.Level->Bytes());
        bookmarks_ = store_.Load(levelPath_, levelHash_);
        // Bytes past the end of this file cannot be shown (a store edited by hand).
        std::erase_if(bookmarks_, [&](const Bookmark& b) { return b.End > state.Level->Size(); });
    }
    ShowBookmarks();
    EnableCommands();
}

void BookmarksDock::Keep() {
    ShowBookmarks();
    if (levelPath_.isEmpty())
        return;
    const std::string why = store_.Save(levelPath_, levelHash_, bookmarks_);
    if (!why.empty())
        window_.statusBar()->showMessage(
            tr("Bookmarks not saved to %1: %2").arg(store_.File(), QString::fromStdString(why)), 10000);
}

void BookmarksDock::ShowBookmarks() {
    list_->clear();
    for (const Bookmark& b : bookmarks_) {
        auto* item = new QListWidgetItem(
            Swatch(b.Colour),
            QStringLiteral("%1  %2, %3 bytes").arg(b.Name, Hex(b.First)).arg(b.End - b.First), list_);
        item->setToolTip(b.Name);
    }
    views_.Hex()->SetBookmarks(bookmarks_);
    views_.Strata()->SetBookmarks(bookmarks_);
}

void BookmarksDock::AskBookmark(const QString& title, const QString& name, const QColor& colour,
                                std::function<void(const QString&, const QColor&)> done) {
    auto* dialog = new QDialog(&window_);
    dialog->setObjectName(QStringLiteral("dlgBookmark"));
    dialog->setWindowTitle(title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* nameEdit = new QLineEdit(name, dialog);
    nameEdit->setObjectName(QStringLiteral("txtBookmarkName"));
    nameEdit->selectAll();
    nameEdit->setMinimumWidth(280);
    auto* colours = new QComboBox(dialog);
    colours->setObjectName(QStringLiteral("cboBookmarkColour"));
    const QStringList names{tr("Red"), tr("Orange"), tr("Green"), tr("Sky"), tr("Blue"), tr("Violet")};
    int chosen = 0;
    for (size_t i = 0; i < Colours().size(); ++i) {
        colours->addItem(Swatch(Colours()[i]), names[static_cast<qsizetype>(i)], Colours()[i]);
        if (Colours()[i] == colour)
            chosen = static_cast<int>(i);
    }
    colours->setCurrentIndex(chosen);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    auto* form = new QFormLayout(dialog);
    form->addRow(tr("&Name:"), nameEdit);
    form->addRow(tr("&Colour:"), colours);
    form->addRow(box);
    connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(dialog, &QDialog::accepted, this, [nameEdit, colours, done = std::move(done)] {
        const QString text = nameEdit->text().trimmed();
        done(text.isEmpty() ? nameEdit->placeholderText() : text, colours->currentData().value<QColor>());
    });
    nameEdit->setPlaceholderText(name);
    dialog->open();
}
