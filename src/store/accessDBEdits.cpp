// Field edits: one setter per editable column.
#include "store/Connection.h"
#include "store/StoreText.h"
#include "store/accessDB.h"

#include <QLatin1StringView>

void accessDB::setColumn(const char* column, const QString& value, const ArticleKey& of)
{
    // `column` is one of the fixed names below, never caller text.
    Connection connection(_database.get());
    connection.run(QStringLiteral("UPDATE articles SET %1 = ?  where idtype = ? AND id = ?")
                       .arg(QLatin1StringView(column)),
                   {StoreText::orEmpty(value), of.type, of.ID});
}

void accessDB::setMark(const QString& mark, const ArticleKey& of)
{
    setColumn("mark", mark, of);
}

void accessDB::setMemo(const QString& memo, const ArticleKey& of)
{
    setColumn("memo", memo, of);
}

void accessDB::setAuthor(const QString& author, const ArticleKey& of)
{
    setColumn("author", author, of);
}

void accessDB::setTitle(const QString& title, const ArticleKey& of)
{
    setColumn("title", title, of);
}

void accessDB::setJournal(const QString& journal, const ArticleKey& of)
{
    setColumn("journal", journal, of);
}

void accessDB::setVolume(const QString& volume, const ArticleKey& of)
{
    setColumn("volume", volume, of);
}

void accessDB::setNumber(const QString& number, const ArticleKey& of)
{
    setColumn("number", number, of);
}

void accessDB::setYear(const QString& year, const ArticleKey& of)
{
    setColumn("year", year, of);
}

void accessDB::setPages(const QString& pages, const ArticleKey& of)
{
    setColumn("pages", pages, of);
}

void accessDB::setAbstract(const QString& abstract, const ArticleKey& of)
{
    setColumn("abstract", abstract, of);
}

void accessDB::setFilePath(const QString& filePath, const ArticleKey& of)
{
    setColumn("filepath", filePath, of);
}

void accessDB::setOlvaneID(const QString& olvaneID, const ArticleKey& of)
{
    setColumn("OlvaneID", olvaneID, of);
    // It may lower the highest number as well as raise it.
    forgetHighestUniqueID();
}
