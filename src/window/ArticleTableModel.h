#pragma once

#include "store/ArticleRecord.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <array>

// One level of the article list's order: a record key ("authors", "title",
// ...) compared as text, case-sensitive.
struct SortDescriptor
{
    QString key;
    bool ascending = true;

    friend bool operator==(const SortDescriptor&, const SortDescriptor&) = default;
};

// The article list (`ArticlesInfo`) as the rows of the article table: one row
// per article record, kept sorted by the sort descriptors (without any, in
// the order delivered).
class ArticleTableModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Logical columns; the view may show them in any order.
    enum Column {
        MarkColumn,
        AuthorColumn,
        TitleColumn,
        JournalColumn,
        VolumeColumn,
        YearColumn,
        PagesColumn,
        SubmitDateColumn,
        ColumnCount
    };

    // The record key each column shows and sorts by, and the column's identifier.
    static QString columnIdentifier(int column);
    static QString sortKeyOfColumn(int column);
    // The column of an identifier ("mark", "author", ...); -1 for none.
    static int columnOfIdentifier(const QString& identifier);

    // A PDF belongs to the record: its "filepath" is neither "none" nor empty.
    static bool hasPDF(const ArticleRecord& record);
    // The nine-entry map of the article drag record.
    static QVariantMap dragRecord(const ArticleRecord& record);

    explicit ArticleTableModel(QObject* parent = nullptr);
    ~ArticleTableModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // A header click: that column's key leads, in that direction; the other
    // descriptors keep their order after it.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    void setSortDescriptors(const QList<SortDescriptor>& descriptors);
    const QList<SortDescriptor>& sortDescriptors() const { return descriptors; }

    // Re-reads fonts and kind colours from the user defaults.
    void updateStyle();
    QFont articleFont() const { return font; }
    QColor kindColor(const ArticleRecord& record) const;

    const QList<ArticleRecord>& articleList() const { return articles; }
    // The row's record; the row must exist.
    const ArticleRecord& record(int row) const { return articles.at(row); }

    void resetArticles();
    // Takes the batch's records (the batch is left empty). Outside a delivery
    // the rows are inserted and the list sorted at once.
    void appendArticles(QList<ArticleRecord>& batch);
    // Between these the batches of one query are only collected; the list is
    // sorted and shown once, at endDelivery().
    void beginDelivery();
    void endDelivery();
    bool isDelivering() const { return deliveryDepth > 0; }

    // Changes the mark in memory only; the order is left as it is.
    void setMark(int row, const QString& mark);

    // Drag and drop: rows leave as the article drag record; PDF files
    // dropped between rows are handed to the import ("importArticle").
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

private:
    QString displayText(const ArticleRecord& record, int column) const;
    // Sorts by the descriptors, moving persistent indexes (the view's
    // selection) along with their rows. Emits no signals itself.
    void sortArticles();

    QList<ArticleRecord> articles;
    QList<SortDescriptor> descriptors;
    int deliveryDepth = 0;

    // Read once per updateStyle(), not per cell.
    QFont font;
    std::array<QColor, 4> colors; // PubMedPDF, PubMed, UserPDF, User
};
