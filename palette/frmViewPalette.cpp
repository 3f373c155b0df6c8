#include "palette/frmViewPalette.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>

#include "palette/ColourListModel.h"
#include "widgets/CenterForm.h"
#include "widgets/Twips.h"

frmViewPalette::frmViewPalette(const QString& caption, std::vector<ColourRow> rows, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmViewPalette"));
    setFixedSize(TwipSize(3330, 5070));
    UseLayoutFont(*this);

    lsvColors_ = new QTreeView(this);
    lsvColors_->setObjectName(QStringLiteral("lsvColors"));
    lsvColors_->setGeometry(TwipRect(90, 240, 3135, 4290));
    lsvColors_->setRootIsDecorated(false);
    lsvColors_->setUniformRowHeights(true);
    lsvColors_->setAllColumnsShowFocus(true);
    lsvColors_->setModel(new ColourListModel(std::move(rows), lsvColors_));
    // Four narrow columns share the list's width, so no row needs scrolling sideways.
    lsvColors_->header()->setMinimumSectionSize(24);
    lsvColors_->header()->setStretchLastSection(false);
    lsvColors_->header()->setSectionResizeMode(QHeaderView::Stretch);
    lsvColors_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lsvColors_->header()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("cmdDone"));
    done->setGeometry(TwipRect(2010, 4620, 1215, 375));
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);

    setWindowTitle(caption);
    CenterForm(*this);
}
