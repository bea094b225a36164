#include "store/RecordMaker.h"

#include "store/SQLiteDatabase.h"

#include <algorithm>

namespace {

// Distinct texts remembered per column and query; past this, further new
// texts of the column are made per record (still correct, only not shared
// unless they repeat the text just before).
constexpr qsizetype maxSharedTexts = 8192;

} // namespace

QString RecordMaker::statementHead()
{
    return QStringLiteral(
        "SELECT OlvaneID,mark,author,title,journal,year,volume,number,pages,idtype,id,filepath,"
        "submitdate,memo FROM articles");
}

ArticleRecord RecordMaker::make(const ResultRow& row)
{
    ArticleRecord record;
    record.OlvaneID = row.cell(0);
    record.mark = sharedColumns[0].text(row, 1);
    record.authors = row.cell(2);
    record.title = row.cell(3);
    record.journal = sharedColumns[1].text(row, 4);
    record.year = sharedColumns[2].text(row, 5);
    record.volume = sharedColumns[3].text(row, 6);
    record.number = sharedColumns[4].text(row, 7);
    record.pages = row.cell(8);
    record.type = sharedColumns[5].text(row, 9);
    record.ID = row.cell(10);
    record.filepath = row.cell(11);
    record.submitDate = sharedColumns[6].text(row, 12);
    record.memo = sharedColumns[7].text(row, 13);
    return record;
}

const QString& RecordMaker::SharedColumn::text(const ResultRow& row, int column)
{
    const QByteArrayView bytes = row.utf8(column);
    if (bytes.isEmpty()) { // SQL NULL or empty text: nothing to share
        unshared = row.cell(column);
        return unshared;
    }
    if (last >= 0 && bytes.size() == lastBytes.size() &&
        std::equal(bytes.begin(), bytes.end(), lastBytes.cbegin()))
        return texts.at(last);
    const auto found = full ? seen.constEnd()
                            : seen.constFind(QByteArray::fromRawData(bytes.data(), bytes.size()));
    if (found != seen.constEnd()) {
        last = *found;
    } else if (seen.size() < maxSharedTexts) {
        last = texts.size();
        texts.append(QString::fromUtf8(bytes));
        seen.insert(bytes.toByteArray(), last);
    } else {
        full = true;
        last = -1;
        unshared = QString::fromUtf8(bytes);
        return unshared;
    }
    // Kept in place: the buffer grows to the longest text and is reused.
    lastBytes.resize(bytes.size());
    std::copy(bytes.begin(), bytes.end(), lastBytes.begin());
    return texts.at(last);
}
