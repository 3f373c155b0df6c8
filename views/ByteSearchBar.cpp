#include "views/ByteSearchBar.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "views/SpanSelection.h"

namespace {

bool IsF3(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    return key.key() == Qt::Key_F3 && (mods == Qt::NoModifier || mods == Qt::ShiftModifier);
}

} // namespace

ByteSearchBar::ByteSearchBar(SpanSelection& selection, QWidget* parent)
    : QWidget(parent), selection_(selection) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    auto* label = new QLabel(tr("Find bytes:"), this);
    row->addWidget(label);
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("cboSearchBytesKind"));
    kind_->addItems({tr("Hex"), tr("Text"), QStringLiteral("s8"), QStringLiteral("u8"), QStringLiteral("s16"),
                     QStringLiteral("u16"), QStringLiteral("s32"), QStringLiteral("u32")});
    kind_->setToolTip(tr("Hex bytes (?? for any byte), a text, or a little-endian number of a width"));
    row->addWidget(kind_);
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("txtSearchBytes"));
    text_->setClearButtonEnabled(true);
    text_->setPlaceholderText(tr("2D 00 ?? 00"));
    text_->setMaximumWidth(200);
    label->setBuddy(text_);
    row->addWidget(text_, 1);
    auto* next = new QToolButton(this);
    next->setObjectName(QStringLiteral("cmdSearchBytesNext"));
    next->setText(tr("Find &Next"));
    next->setToolTip(tr("Find the next hit (Enter, F3)"));
    row->addWidget(next);
    auto* previous = new QToolButton(this);
    previous->setObjectName(QStringLiteral("cmdSearchBytesPrevious"));
    previous->setText(tr("Find &Previous"));
    previous->setToolTip(tr("Find the hit before (Shift+Enter, Shift+F3)"));
    row->addWidget(previous);
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("lblSearchBytesResult"));
    // A long message is cut where the bar ends rather than widening the window; its tooltip is whole.
    result_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(result_, 1);

    connect(next, &QToolButton::clicked, this, &ByteSearchBar::FindNext);
    connect(previous, &QToolButton::clicked, this, &ByteSearchBar::FindPrevious);
    connect(text_, &QLineEdit::textEdited, this, &ByteSearchBar::Forget);
    connect(kind_, &QComboBox::currentIndexChanged, this, &ByteSearchBar::Forget);
    connect(&selection_, &SpanSelection::WalkReplaced, this, &ByteSearchBar::Forget);
    text_->installEventFilter(this); // Enter, Shift+Enter, F3 and Shift+F3
    WatchKeysOf(this);
    WatchKeysOf(kind_);
    WatchKeysOf(next);
    WatchKeysOf(previous);
}

void ByteSearchBar::Open() {
    text_->setFocus(Qt::ShortcutFocusReason);
    text_->selectAll();
}

void ByteSearchBar::SetKind(Kind kind) {
    kind_->setCurrentIndex(kind);
}

ByteSearchBar::Kind ByteSearchBar::CurrentKind() const {
    return static_cast<Kind>(kind_->currentIndex());
}

void ByteSearchBar::SetPatternText(const QString& text) {
    text_->setText(text);
    Forget();
}

void ByteSearchBar::Say(const QString& text) {
    result_->setText(text);
    result_->setToolTip(text);
}

QString ByteSearchBar::ResultText() const {
    return result_->text();
}

void ByteSearchBar::WatchKeysOf(QWidget* widget) {
    widget->installEventFilter(this);
}

void ByteSearchBar::Forget() {
    lastHit_ = -1;
    countedKey_.clear();
    count_ = 0;
    Say({});
}

std::optional<format::BytePattern> ByteSearchBar::CurrentPattern() {
    const QString text = text_->text();
    format::ParsedPattern parsed;
    switch (CurrentKind()) {
    case Hex:
        parsed = format::ParseHexPattern(text.toStdString());
        break;
    case Text: {
        // The level's names are a byte a character: a character beyond that is found nowhere.
        const QByteArray bytes = text.toLatin1();
        if (QString::fromLatin1(bytes) != text)
            parsed.Error = tr("Only characters of one byte (Latin-1) can be found.").toStdString();
        else
            parsed = format::ParseTextPattern(
                std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
        break;
    }
    default: {
        static constexpr format::NumberWidth kWidths[] = {format::NumberWidth::S8,  format::NumberWidth::U8,
                                                          format::NumberWidth::S16, format::NumberWidth::U16,
                                                          format::NumberWidth::S32, format::NumberWidth::U32};
        parsed = format::ParseNumberPattern(text.toStdString(), kWidths[CurrentKind() - S8]);
    }
    }
    if (!parsed.Pattern)
        Say(QString::fromStdString(parsed.Error));
    return parsed.Pattern;
}

bool ByteSearchBar::FindNext() {
    return Find(true);
}

bool ByteSearchBar::FindPrevious() {
    return Find(false);
}

bool ByteSearchBar::Find(bool forwards) {
    const LevelFile* level = selection_.Level();
    if (!level || level->Size() == 0) {
        Say(tr("No level is open."));
        return false;
    }
    const std::optional<format::BytePattern> pattern = CurrentPattern();
    if (!pattern)
        return false;
    const std::span<const uint8_t> bytes = level->Bytes();
    const auto size = static_cast<int64_t>(pattern->Size());
    // On from the hit selected last, while it is still the selection; else from the byte picked.
    const LineBytes& selected = selection_.Bytes();
    const bool onHit = lastHit_ >= 0 && selected.First == lastHit_ && selected.End == lastHit_ + size;
    int64_t from = selection_.FocusOffset();
    if (onHit)
        from = forwards ? lastHit_ + 1 : lastHit_;
    else if (from < 0)
        from = forwards ? 0 : level->Size();
    const std::optional<format::SearchHit> hit =
        forwards ? format::FindNext(*pattern, bytes, from) : format::FindPrevious(*pattern, bytes, from);
    if (!hit) {
        lastHit_ = -1;
        Say(tr("Not found"));
        return false;
    }
    const QString key =
        QString::number(CurrentKind()) + QLatin1Char(':') + QString::fromStdString(pattern->Text());
    if (key != countedKey_) {
        countedKey_ = key;
        count_ = pattern->Count(bytes);
    }
    const int64_t index = pattern->CountIn(bytes, 0, hit->Offset) + 1;
    QString text = tr("%1 of %2").arg(index).arg(count_);
    if (hit->Wrapped)
        text += forwards ? tr(", wrapped to the start") : tr(", wrapped to the end");
    Say(text);
    lastHit_ = hit->Offset;
    selection_.SelectBytes(hit->Offset, hit->Offset + size, this);
    return true;
}

bool ByteSearchBar::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, e);
    const auto& key = static_cast<const QKeyEvent&>(*e);
    const bool shift = key.modifiers() & Qt::ShiftModifier;
    // F3 belongs to this bar only while it is open with something to search for; the window's own F3
    // (the report's find) keeps it otherwise.
    if (IsF3(key) && !text_->text().isEmpty() && isVisible()) {
        if (e->type() == QEvent::ShortcutOverride) {
            e->accept();
            return true;
        }
        shift ? FindPrevious() : FindNext();
        return true;
    }
    if (watched == text_ && e->type() == QEvent::KeyPress &&
        (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)) {
        shift ? FindPrevious() : FindNext();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}
