#pragma once
// The problems the checker finds in the level shown, as rows: a severity icon (the style's error or
// warning icon, its word in the tooltip), rule, place and message, in the order of their fields'
// offsets. The check walks the level's bytes on its own (every section
// detailed, whatever the report asked for) on a pool thread, so a large level never holds the window;
// the rows are replaced when it is done. A level replaced before its check ended drops that check's
// findings.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include <QAbstractTableModel>

#include "check/Check.h"
#include "views/ProblemMarks.h"

class ProblemsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { kSeverity, kRule, kPlace, kMessage, kColumns };

    explicit ProblemsModel(QObject* parent = nullptr);
    ~ProblemsModel() override;

    // Checks the level (the bytes the last walk read) and lists its problems once done; the level
    // already listed or being checked is not checked again. Null clears the list.
    void Check(std::shared_ptr<const LevelFile> level);
    // Lists these findings (as a check does when it ends): sorted by offset here.
    void Take(std::vector<check::Finding> findings, const check::CheckCounts& counts);
    void Clear();

    bool Checking() const { return checking_; }
    // Whether a check's findings are listed (none may have been found).
    bool HasResult() const { return hasResult_; }
    const check::Finding& At(int row) const { return findings_[static_cast<size_t>(row)]; }
    int Count() const { return static_cast<int>(findings_.size()); }
    const check::CheckCounts& Counts() const { return counts_; }

    // The bytes a row selects (first, end): its field's bytes, one byte where no field is behind it.
    std::pair<int64_t, int64_t> BytesOf(int row) const;
    // "3 errors, 5 warnings" (those left out counted), "" when nothing was found or nothing checked.
    QString CountsText() const;
    // The line above the list: the counts, "No problems found", "Checking...", that the file is no
    // level, or "".
    QString Summary() const;
    // The worst problem whose field starts in first..end.
    ProblemMark MarkIn(int64_t first, int64_t end) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  signals:
    // A check started, or ended with its findings listed, or the list was cleared.
    void Changed();

  private:
    struct Mailbox;
    void Empty();
    // Lists a check's findings unless another level or nothing is wanted by now; true when listed.
    bool Arrive(uint64_t ticket, std::vector<check::Finding> findings, const check::CheckCounts& counts);
    void SetNotALevel(bool notALevel);

    std::shared_ptr<Mailbox> mailbox_;
    std::shared_ptr<const LevelFile> level_; // the level listed or being checked
    uint64_t ticket_ = 0;                    // the check whose findings are wanted
    bool checking_ = false;
    bool hasResult_ = false;
    bool notALevel_ = false; // the bytes checked were no level: nothing was checked
    std::vector<check::Finding> findings_;
    check::CheckCounts counts_;
    std::vector<int64_t> errorsAt_, warningsAt_; // the findings' offsets, sorted
};
