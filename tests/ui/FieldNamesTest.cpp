// One value of a column repeated on continuation lines (a door's four corners, a bounding box's four
// corners, an object texture's four vertices) is named alike by everything that names it: the
// comparison's line and its JSON, the hex view's tooltip for its bytes, and the JSON report, which
// keeps the whole column under the header line's column name as an array.
#include <map>
#include <memory>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include "compare/Compare.h"
#include "compare/DifferenceText.h"
#include "format/LevelFormat.h"
#include "report/JsonReport.h"
#include "tools/LevelBuilder.h"
#include "views/ByteInfo.h"

namespace {

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Every record of the JSON report by its offset.
void CollectRecords(const QJsonValue& v, std::map<qint64, QJsonObject>& out) {
    if (v.isArray()) {
        for (const QJsonValue& e : v.toArray())
            CollectRecords(e, out);
        return;
    }
    if (!v.isObject())
        return;
    const QJsonObject o = v.toObject();
    for (const QJsonValue& r : o.value(QStringLiteral("records")).toArray())
        out[r.toObject().value(QStringLiteral("offset")).toInteger()] = r.toObject();
    CollectRecords(o.value(QStringLiteral("chunks")), out);
    CollectRecords(o.value(QStringLiteral("children")), out);
}

// The header line's columns, without their surrounding blanks.
QStringList Columns(const format::Record& r) {
    QStringList columns;
    for (const QString& c : Q(r.Header).split(QLatin1Char(',')))
        columns << c.trimmed();
    return columns;
}

std::shared_ptr<const LevelFile> LevelOf(std::vector<uint8_t> bytes) {
    return std::make_shared<const LevelFile>(LevelFile::FromBytes(std::move(bytes)));
}

} // namespace

class FieldNamesTest : public QObject {
    Q_OBJECT
  private slots:
    void repeatedColumnsAreNamedAlikeByEveryConsumer() {
        const std::vector<uint8_t> bytes = levelbuilder::Build(levelbuilder::FilledLevel(2));
        const auto levelA = LevelOf(bytes);
        const compare::WalkedLevel a = compare::WalkForComparison(levelA, "a.tr2");
        QVERIFY(a.Walked());
        std::string json;
        AppendJsonReport(json, "a.tr2", *levelA, a.Map);
        std::map<qint64, QJsonObject> records;
        CollectRecords(QJsonDocument::fromJson(QByteArray::fromStdString(json)).object(), records);

        std::vector<const format::Record*> seen;
        int named = 0;
        for (int32_t i = 0; i < a.Map.Size(); ++i) {
            const Span& run = a.Map[i];
            const format::Record* rec = run.Record();
            if (run.Kind != SpanKind::Run || !rec || run.Count < 1 ||
                std::find(seen.begin(), seen.end(), rec) != seen.end())
                continue;
            seen.push_back(rec);
            const int32_t at = a.Map.RecordFirst(i, 0);
            QVERIFY2(records.count(at), qPrintable(Q(rec->Name)));
            const QJsonObject record = records[at];
            for (const format::Field& f : rec->Fields) {
                if (f.Repeat <= 1)
                    continue;
                // The JSON report's key is the header line's column, holding every repeat.
                QVERIFY2(Columns(*rec).contains(Q(f.Name)), qPrintable(Q(f.Name)));
                const QJsonArray values = record.value(Q(f.Name)).toArray();
                QCOMPARE(values.size(), qsizetype{f.Repeat});
                for (int rep = 0; rep < f.Repeat; ++rep) {
                    const int32_t where = at + f.Offset + rep * f.Stride;
                    std::vector<uint8_t> changed = bytes;
                    changed[static_cast<size_t>(where)] ^= 1;
                    const compare::WalkedLevel b = compare::WalkForComparison(LevelOf(changed), "b.tr2");
                    std::vector<compare::Difference> found;
                    compare::CompareLevels(a, b, {.Sections = compare::AllSections()},
                                           [&](const compare::Difference& d) { found.push_back(d); });
                    QCOMPARE(found.size(), size_t{1});
                    const compare::Difference& d = found.front();
                    QCOMPARE(d.OffsetA, where);
                    const QString name = Q(d.Field);
                    const QString context = Q(rec->Name) + QStringLiteral(": ") + name;
                    // The comparison names the repeat; its JSON says the same.
                    QVERIFY2(name.contains(QStringLiteral("(%1)").arg(rep)), qPrintable(context));
                    QVERIFY2(
                        Q(compare::DifferenceJson(d)).contains(QStringLiteral("\"field\": \"") + name + '"'),
                        qPrintable(context));
                    // The hex view's tooltip for that byte names it so, with the same value.
                    const QString tip = DescribeByte(a.Map, *levelA, where);
                    QVERIFY2(tip.contains(QLatin1Char('\n') + name + QStringLiteral(" = ") + Q(d.ValueA)),
                             qPrintable(context + QStringLiteral(" / ") + tip));
                    // The JSON report holds that value at the repeat's place in the column's array.
                    QCOMPARE(QString::number(values[rep].toInteger()), Q(d.ValueA));
                    ++named;
                }
            }
        }
        // Doors (3 columns), static meshes (3) and object textures (4), four repeats each.
        QCOMPARE(named, 40);
    }
};

QTEST_MAIN(FieldNamesTest)
#include "FieldNamesTest.moc"
