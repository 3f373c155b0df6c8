#include "ui/View3DDock.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QStackedLayout>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "ui/StructureViews.h"
#include "views/View3D.h"

View3DDock::View3DDock(QMainWindow& window, StructureViews& views) : QObject(&window), views_(views) {
    dock_ = new QDockWidget(tr("3D View"), &window);
    dock_->setObjectName(QStringLiteral("dck3DView"));
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* tools = new QToolBar(body);
    tools->setObjectName(QStringLiteral("tb3DView"));
    const auto toggle = [&](const QString& text, const char* name, bool on) {
        QAction* a = tools->addAction(text);
        a->setObjectName(QLatin1String(name));
        a->setCheckable(true);
        a->setChecked(on);
        a->setEnabled(false);
        return a;
    };
    allRooms_ = toggle(tr("All Rooms"), "act3DAllRooms", false);
    allRooms_->setToolTip(tr("Draw every room, not only the current room and the rooms its doors lead to"));
    tiles16_ = toggle(tr("16-bit Tiles"), "act3DTiles16", false);
    tiles16_->setToolTip(
        tr("Texture the faces with the 16-bit tiles instead of the 8-bit tiles and palette"));
    wireframe_ = toggle(tr("Wireframe"), "act3DWireframe", false);
    showInvalid_ = toggle(tr("Invalid Faces"), "act3DShowInvalid", true);
    showInvalid_->setToolTip(
        tr("Show the faces that name a vertex, object texture or tile the level does not hold"));
    fly_ = toggle(tr("Fly"), "act3DFly", false);
    fly_->setToolTip(tr("Fly: a drag turns about the eye; W, A, S and D move"));
    frame_ = tools->addAction(tr("Frame"));
    frame_->setObjectName(QStringLiteral("act3DFrame"));
    frame_->setToolTip(tr("Frame the selection (F)"));
    frame_->setEnabled(false);
    column->addWidget(tools);

    stack_ = new QStackedLayout;
    auto* waiting = new QWidget(body);
    stack_->addWidget(waiting);
    column->addLayout(stack_, 1);

    status_ = new QLabel(body);
    status_->setObjectName(QStringLiteral("lbl3DStatus"));
    status_->setContentsMargins(4, 2, 4, 2);
    column->addWidget(status_);

    dock_->setWidget(body);
    window.addDockWidget(Qt::RightDockWidgetArea, dock_);
    dock_->hide();

    QAction* show = dock_->toggleViewAction();
    show->setObjectName(QStringLiteral("mnuStructure3DView"));
    show->setText(tr("&3D View"));
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_6));
    views.AddViewAction(show);

    // The GL view is made when the dock is first shown, so that a window that never shows it never
    // asks for OpenGL.
    connect(dock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            MakeView();
    });
}

QString View3DDock::Message() const {
    return message_ ? message_->text() : QString();
}

void View3DDock::MakeView() {
    if (view_ || message_)
        return;
    QString why;
    if (!View3D::OpenGLAvailable(&why)) {
        ShowMessage(why);
        return;
    }
    view_ = new View3D(views_.Selection());
    stack_->addWidget(view_);
    stack_->setCurrentWidget(view_);
    connect(allRooms_, &QAction::toggled, view_, &View3D::SetAllRooms);
    connect(tiles16_, &QAction::toggled, view_, [v = view_](bool on) {
        v->SetTileDepth(on ? scene::TileDepth::Bits16 : scene::TileDepth::Bits8);
    });
    connect(wireframe_, &QAction::toggled, view_, &View3D::SetWireframe);
    connect(showInvalid_, &QAction::toggled, view_, &View3D::SetShowInvalid);
    connect(fly_, &QAction::toggled, view_, &View3D::SetFlyMode);
    connect(frame_, &QAction::triggered, view_, &View3D::FrameSelection);
    for (QAction* a : {allRooms_, tiles16_, wireframe_, showInvalid_, fly_, frame_})
        a->setEnabled(true);
    connect(view_, &View3D::Hovered, this, &View3DDock::ShowStatus);
    connect(view_, &View3D::SceneBuilt, this, [this] { ShowStatus({}); });
    // Reported from inside the GL set-up: the view is put aside once that has returned.
    connect(view_, &View3D::Unavailable, this, [this](const QString& text) {
        QTimer::singleShot(0, this, [this, text] { ShowMessage(text); });
    });
    ShowStatus({});
}

void View3DDock::ShowMessage(const QString& text) {
    if (!message_) {
        message_ = new QLabel;
        message_->setObjectName(QStringLiteral("lbl3DMessage"));
        message_->setAlignment(Qt::AlignCenter);
        message_->setWordWrap(true);
        stack_->addWidget(message_);
    }
    message_->setText(text);
    stack_->setCurrentWidget(message_);
    if (view_) {
        view_->hide();
        for (QAction* a : {allRooms_, tiles16_, wireframe_, showInvalid_, fly_, frame_})
            a->setEnabled(false);
    }
}

void View3DDock::ShowStatus(const QString& hovered) {
    if (!hovered.isEmpty()) {
        status_->setText(hovered);
        return;
    }
    status_->setText(view_ ? QString::fromStdString(view_->Scene().InvalidText()) : QString());
}
