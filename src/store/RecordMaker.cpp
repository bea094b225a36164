#include "store/RecordMaker.h"

#include "store/SQLiteDatabase.h"

namespace {

// Distinct texts remembered per query; past this, further new texts are made
// per record (still correct, only not shared).
constexpr qsizetype maxSharedTexts = 16384;

} // namespace

QString RecordMaker::statementHead()
{
    return QStringLiteral(
        "SELECT OlvaneID,mark,author,title,journal,year,volume,number,pages,idtype,id,filepath,"
        "submitdate,memo FROM articles WHERE ");
}

ArticleRecord RecordMaker::make(const ResultRow& row)
{
    ArticleRecord record;
    record.OlvaneID = row.cell(0);
    record.mark = sharedText(row, 1);
    record.authors = row.cell(2);
    record.title = row.cell(3);
    record.journal = sharedText(row, 4);
    record.year = sharedText(row, 5);
    record.volume = sharedText(row, 6);
    record.number = sharedText(row, 7);
    record.pages = row.cell(8);
    record.type = sharedText(row, 9);
    record.ID = row.cell(10);
    record.filepath = row.cell(11);
    record.submitDate = sharedText(row, 12);
    record.memo = sharedText(row, 13);
    return record;
}

QString RecordMaker::sharedText(const ResultRow& row, int column)
{
    const QByteArrayView bytes = row.utf8(column);
    if (bytes.isEmpty()) // SQL NULL or empty text: nothing to share
        return row.cell(column);
    // A view of SQLite's buffer, copied only when it becomes a new entry.
    const QByteArray probe = QByteArray::fromRawData(bytes.data(), bytes.size());
    const auto found = shared.constFind(probe);
    if (found != shared.constEnd())
        return *found;
    QString text = QString::fromUtf8(bytes);
    if (shared.size() < maxSharedTexts)
        shared.insert(QByteArray(bytes.data(), bytes.size()), text);
    return text;
}
