#include "views/ProblemsModel.h"

#include <algorithm>
#include <mutex>

#include <QApplication>
#include <QStyle>
#include <QThreadPool>

#include "format/walk/Walker.h"

namespace {

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString Hex(int64_t value) {
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

QString SeverityWord(bool error) {
    return error ? ProblemsModel::tr("error") : ProblemsModel::tr("warning");
}

bool AnyIn(const std::vector<int64_t>& sorted, int64_t first, int64_t end) {
    const auto at = std::lower_bound(sorted.begin(), sorted.end(), first);
    return at != sorted.end() && *at < end;
}

} // namespace

// Where a check on a pool thread hands its findings: the model while it lives. The model's destructor
// empties it under the lock, so a check ending then posts nothing, and what it posted before is
// dropped with the model.
struct ProblemsModel::Mailbox {
    std::mutex Lock;
    ProblemsModel* To = nullptr;
};

ProblemsModel::ProblemsModel(QObject* parent)
    : QAbstractTableModel(parent), mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->To = this;
}

ProblemsModel::~ProblemsModel() {
    const std::lock_guard lock(mailbox_->Lock);
    mailbox_->To = nullptr;
}

void ProblemsModel::Check(std::shared_ptr<const LevelFile> level) {
    if (level && level == level_)
        return;
    if (!level) {
        Clear();
        return;
    }
    beginResetModel();
    Empty();
    level_ = level;
    checking_ = true;
    endResetModel();
    emit Changed();
    const uint64_t ticket = ticket_;
    QThreadPool::globalInstance()->start([mailbox = mailbox_, level = std::move(level), ticket] {
        check::FindingList found;
        check::CheckCounts counts;
        try {
            counts = check::CheckLevel(*level, {}, found);
        } catch (const std::exception&) {
            // No memory for the findings of a huge damaged level: those found so far are listed.
        }
        const bool isLevel = LevelGeneration(*level).has_value();
        const std::lock_guard lock(mailbox->Lock);
        if (ProblemsModel* to = mailbox->To) {
            auto items = std::make_shared<std::vector<check::Finding>>(std::move(found.Items));
            QMetaObject::invokeMethod(
                to,
                [to, ticket, items, counts, isLevel] {
                    if (to->Arrive(ticket, std::move(*items), counts))
                        to->SetNotALevel(!isLevel);
                },
                Qt::QueuedConnection);
        }
    });
}

bool ProblemsModel::Arrive(uint64_t ticket, std::vector<check::Finding> findings,
                           const check::CheckCounts& counts) {
    if (ticket != ticket_ || !checking_)
        return false; // the level was replaced, or the list cleared, while it was checked
    Take(std::move(findings), counts);
    return true;
}

void ProblemsModel::SetNotALevel(bool notALevel) {
    if (notALevel_ == notALevel)
        return;
    notALevel_ = notALevel;
    emit Changed();
}

void ProblemsModel::Take(std::vector<check::Finding> findings, const check::CheckCounts& counts) {
    beginResetModel();
    std::stable_sort(findings.begin(), findings.end(),
                     [](const check::Finding& a, const check::Finding& b) { return a.Offset < b.Offset; });
    findings_ = std::move(findings);
    counts_ = counts;
    errorsAt_.clear();
    warningsAt_.clear();
    for (const check::Finding& f : findings_)
        (f.Of && f.Of->Level == check::Severity::Warning ? warningsAt_ : errorsAt_).push_back(f.Offset);
    checking_ = false;
    hasResult_ = true;
    notALevel_ = false;
    endResetModel();
    emit Changed();
}

void ProblemsModel::Clear() {
    beginResetModel();
    Empty();
    endResetModel();
    emit Changed();
}

// Forgets the list and any check under way.
void ProblemsModel::Empty() {
    ++ticket_;
    level_.reset();
    checking_ = false;
    hasResult_ = false;
    notALevel_ = false;
    findings_.clear();
    counts_ = {};
    errorsAt_.clear();
    warningsAt_.clear();
}

std::pair<int64_t, int64_t> ProblemsModel::BytesOf(int row) const {
    if (row < 0 || row >= Count())
        return {-1, -1};
    const check::Finding& f = At(row);
    return {f.Offset, f.Offset + std::max<int64_t>(f.Bytes, 1)};
}

QString ProblemsModel::CountsText() const {
    QStringList parts;
    if (counts_.Errors > 0)
        parts << (counts_.Errors == 1 ? tr("1 error") : tr("%1 errors").arg(counts_.Errors));
    if (counts_.Warnings > 0)
        parts << (counts_.Warnings == 1 ? tr("1 warning") : tr("%1 warnings").arg(counts_.Warnings));
    return parts.join(QStringLiteral(", "));
}

QString ProblemsModel::Summary() const {
    if (checking_)
        return tr("Checking...");
    if (!hasResult_)
        return {};
    if (notALevel_)
        return tr("Not a DM2 or DM3 level: nothing checked");
    if (counts_.Errors == 0 && counts_.Warnings == 0)
        return tr("No problems found");
    QString text = CountsText();
    if (counts_.LeftOut > 0)
        text += tr("; %1 more of the same rules not listed").arg(counts_.LeftOut);
    return text;
}

ProblemMark ProblemsModel::MarkIn(int64_t first, int64_t end) const {
    if (AnyIn(errorsAt_, first, end))
        return ProblemMark::Error;
    return AnyIn(warningsAt_, first, end) ? ProblemMark::Warning : ProblemMark::None;
}

int ProblemsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int ProblemsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ProblemsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count())
        return {};
    const check::Finding& f = At(index.row());
    const bool error = !f.Of || f.Of->Level == check::Severity::Error;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case kRule:
            return f.Of ? Text(f.Of->Id) : QString();
        case kPlace:
            return QString::fromStdString(f.Place);
        case kMessage:
            return QString::fromStdString(f.Message);
        default:
            return {};
        }
    case Qt::DecorationRole:
        if (index.column() != kSeverity)
            return {};
        return QApplication::style()->standardIcon(error ? QStyle::SP_MessageBoxCritical
                                                         : QStyle::SP_MessageBoxWarning);
    case Qt::AccessibleTextRole:
        return index.column() == kSeverity ? SeverityWord(error) : QVariant();
    case Qt::ToolTipRole: {
        if (index.column() == kSeverity)
            return SeverityWord(error);
        QString tip = f.Bytes > 0 ? tr("%1 at %2 (%3), %4 bytes")
                                        .arg(QString::fromStdString(f.Field), Hex(f.Offset))
                                        .arg(f.Offset)
                                        .arg(f.Bytes)
                                  : tr("At %1 (%2)").arg(Hex(f.Offset)).arg(f.Offset);
        if (f.Of)
            tip += QLatin1Char('\n') + Text(f.Of->Help);
        return tip;
    }
    default:
        return {};
    }
}

QVariant ProblemsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kSeverity:
        return QString(); // the column holds only the icons
    case kRule:
        return tr("Rule");
    case kPlace:
        return tr("Place");
    case kMessage:
        return tr("Message");
    default:
        return {};
    }
}
