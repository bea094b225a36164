#include "window/ArticleTableModel.h"

#include "platform/ArchivedColor.h"
#include "platform/CalendarDate.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "window/Icons.h"
#include "window/MimeTypes.h"
#include "window/RecordOrder.h"

#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include <array>
#include <set>
#include <vector>

namespace {

struct ColumnInfo
{
    const char* identifier;
    const char* sortKey;
    const char* title;
};

constexpr std::array<ColumnInfo, ArticleTableModel::ColumnCount> columnInfo{{
    {"mark", "mark", ""},
    {"author", "authors", QT_TRANSLATE_NOOP("ArticleTableModel", "Author")},
    {"title", "title", QT_TRANSLATE_NOOP("ArticleTableModel", "Title")},
    {"journal", "journal", QT_TRANSLATE_NOOP("ArticleTableModel", "Journal")},
    {"volume", "volume", QT_TRANSLATE_NOOP("ArticleTableModel", "Volume")},
    {"year", "year", QT_TRANSLATE_NOOP("ArticleTableModel", "Year")},
    {"pages", "pages", QT_TRANSLATE_NOOP("ArticleTableModel", "Pages")},
    {"submitDate", "submitDate", QT_TRANSLATE_NOOP("ArticleTableModel", "Added")},
}};

// The fields are looked up once here, not per comparison. A key that names
// no record field orders nothing.
std::vector<RecordOrder::Level> levelsOf(const QList<SortDescriptor>& descriptors)
{
    std::vector<RecordOrder::Level> levels;
    for (const SortDescriptor& descriptor : descriptors) {
        if (const auto field = ArticleRecord::fieldNamed(descriptor.key))
            levels.push_back({*field, descriptor.ascending});
    }
    return levels;
}

QString markIconName(const ArticleRecord& record)
{
    if (record.mark == u"read")
        return QStringLiteral("check");
    if (record.mark == u"important")
        return QStringLiteral("important");
    if (record.mark == u"question")
        return QStringLiteral("question");
    if (!record.memo.isEmpty())
        return QStringLiteral("memo");
    return QString();
}

QStringList localFiles(const QMimeData* data)
{
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

enum Kind { PubMedPDF, PubMed, UserPDF, User };

} // namespace

QString ArticleTableModel::columnIdentifier(int column)
{
    if (column < 0 || column >= ColumnCount)
        return QString();
    return QLatin1String(columnInfo[column].identifier);
}

QString ArticleTableModel::sortKeyOfColumn(int column)
{
    if (column < 0 || column >= ColumnCount)
        return QString();
    return QLatin1String(columnInfo[column].sortKey);
}

int ArticleTableModel::columnOfIdentifier(const QString& identifier)
{
    for (int column = 0; column < ColumnCount; ++column) {
        if (identifier == QLatin1String(columnInfo[column].identifier))
            return column;
    }
    return -1;
}

bool ArticleTableModel::hasPDF(const ArticleRecord& record)
{
    return !record.filepath.isEmpty() && record.filepath != u"none";
}

QVariantMap ArticleTableModel::dragRecord(const ArticleRecord& record)
{
    return QVariantMap{
        {QStringLiteral("PMAuthor"), record.authors},
        {QStringLiteral("PMTitle"), record.title},
        {QStringLiteral("PMJournal"), record.journal},
        {QStringLiteral("PMVolume"), record.volume},
        {QStringLiteral("PMNumber"), record.number},
        {QStringLiteral("PMYeaer"), record.year},
        {QStringLiteral("PMFilePath"), record.filepath},
        {QStringLiteral("PMID"), record.ID},
        {QStringLiteral("PMIDType"), record.type},
    };
}

ArticleTableModel::ArticleTableModel(QObject* parent) : QAbstractTableModel(parent)
{
    updateStyle();
}

ArticleTableModel::~ArticleTableModel() = default;

int ArticleTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(articles.size());
}

int ArticleTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString ArticleTableModel::displayText(const ArticleRecord& record, int column) const
{
    switch (column) {
    case AuthorColumn:
        return record.authors;
    case TitleColumn:
        return record.title;
    case JournalColumn:
        return record.journal;
    case VolumeColumn:
        return record.volume;
    case YearColumn:
        return record.year;
    case PagesColumn:
        return record.pages;
    case SubmitDateColumn: {
        if (record.submitDate.isEmpty())
            return QString();
        const QDateTime date = CalendarDate::fromDescription(record.submitDate);
        return date.isValid() ? CalendarDate::format(date, QStringLiteral("%b %d %Y")) : QString();
    }
    default:
        return QString();
    }
}

QVariant ArticleTableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const ArticleRecord& article = articles.at(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return displayText(article, column);
    case Qt::DecorationRole: {
        if (column != MarkColumn)
            return QVariant();
        const QString name = markIconName(article);
        return name.isEmpty() ? QVariant() : QVariant(Icons::named(name));
    }
    case Qt::ForegroundRole:
        return kindColor(article);
    case Qt::FontRole:
        return font;
    case Qt::ToolTipRole: {
        if (column != AuthorColumn && column != TitleColumn && column != JournalColumn)
            return QVariant();
        const QString text = displayText(article, column);
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    default:
        return QVariant();
    }
}

QVariant ArticleTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return tr(columnInfo[section].title);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ArticleTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    // Rows take drops too, only so that the view tells a drop onto a row
    // (refused) from one between rows.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemIsDropEnabled | Qt::ItemNeverHasChildren;
}

void ArticleTableModel::sort(int column, Qt::SortOrder order)
{
    const QString key = sortKeyOfColumn(column);
    if (key.isEmpty())
        return;
    QList<SortDescriptor> next{{key, order == Qt::AscendingOrder}};
    for (const SortDescriptor& descriptor : std::as_const(descriptors)) {
        if (descriptor.key != key)
            next.append(descriptor);
    }
    setSortDescriptors(next);
}

void ArticleTableModel::setSortDescriptors(const QList<SortDescriptor>& sortDescriptors)
{
    descriptors = sortDescriptors;
    if (isDelivering() || levelsOf(descriptors).empty())
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    sortArticles();
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ArticleTableModel::sortArticles()
{
    const std::vector<RecordOrder::Level> levels = levelsOf(descriptors);
    if (levels.empty())
        return;
    const std::vector<int> order = RecordOrder::stableOrder(articles, levels);
    QList<ArticleRecord> sorted;
    sorted.reserve(articles.size());
    for (int index : order)
        sorted.append(std::move(articles[index]));
    articles = std::move(sorted);

    // The view's selection follows its rows.
    const QModelIndexList persistent = isDelivering() ? QModelIndexList() : persistentIndexList();
    if (persistent.isEmpty())
        return;
    std::vector<int> newRow(order.size());
    for (int row = 0; row < int(order.size()); ++row)
        newRow[order[row]] = row;
    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (const QModelIndex& index : persistent)
        moved.append(index.isValid() ? createIndex(newRow[index.row()], index.column())
                                     : QModelIndex());
    changePersistentIndexList(persistent, moved);
}

void ArticleTableModel::updateStyle()
{
    const UserDefaults& defaults = UserDefaults::standard();
    font = QGuiApplication::font();
    const QString family = defaults.stringForKey(QStringLiteral("ArticleViewFontType"));
    if (!family.isEmpty())
        font.setFamily(family);
    const double size = defaults.floatForKey(QStringLiteral("ArticleViewFontSize"));
    if (size > 0)
        font.setPointSizeF(size);

    const QVariantMap textColors = defaults.objectForKey(QStringLiteral("textColors")).toMap();
    const auto color = [&textColors](const char* entry, Qt::GlobalColor fallback) {
        return unarchiveColor(textColors.value(QLatin1String(entry))).value_or(QColor(fallback));
    };
    colors[PubMedPDF] = color("PubMedPDF", Qt::black);
    colors[PubMed] = color("PubMed", Qt::darkGray);
    colors[UserPDF] = color("UserPDF", Qt::black);
    colors[User] = color("User", Qt::darkGray);

    if (!articles.isEmpty() && !isDelivering())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1),
                           {Qt::FontRole, Qt::ForegroundRole});
}

QColor ArticleTableModel::kindColor(const ArticleRecord& record) const
{
    const bool pdf = hasPDF(record);
    if (record.type == u"pmid")
        return colors[pdf ? PubMedPDF : PubMed];
    if (record.type == u"User" && pdf)
        return colors[UserPDF];
    return colors[User];
}

void ArticleTableModel::resetArticles()
{
    if (isDelivering()) {
        articles.clear();
        return;
    }
    beginResetModel();
    articles.clear();
    endResetModel();
}

void ArticleTableModel::appendArticles(QList<ArticleRecord>& batch)
{
    if (batch.isEmpty())
        return;
    if (isDelivering()) {
        for (ArticleRecord& article : batch)
            articles.append(std::move(article));
        batch.clear();
        return;
    }
    const int first = int(articles.size());
    beginInsertRows(QModelIndex(), first, first + int(batch.size()) - 1);
    for (ArticleRecord& article : batch)
        articles.append(std::move(article));
    batch.clear();
    endInsertRows();
    setSortDescriptors(descriptors);
}

void ArticleTableModel::beginDelivery()
{
    if (deliveryDepth++ == 0)
        beginResetModel();
}

void ArticleTableModel::endDelivery()
{
    if (deliveryDepth == 0 || --deliveryDepth > 0)
        return;
    sortArticles();
    endResetModel();
}

void ArticleTableModel::setMark(int row, const QString& mark)
{
    if (row < 0 || row >= rowCount())
        return;
    articles[row].mark = mark;
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

QStringList ArticleTableModel::mimeTypes() const
{
    return {MimeTypes::pmid, MimeTypes::pubmedRecord, QStringLiteral("text/uri-list")};
}

QMimeData* ArticleTableModel::mimeData(const QModelIndexList& indexes) const
{
    std::set<int> rows;
    for (const QModelIndex& index : indexes) {
        if (checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
            rows.insert(index.row());
    }
    if (rows.empty())
        return nullptr;

    QVariantList keys;
    QVariantList records;
    QList<QUrl> files;
    for (int row : rows) {
        const ArticleRecord& article = articles.at(row);
        keys.append(article.key().toVariant());
        records.append(dragRecord(article));
        if (hasPDF(article))
            files.append(QUrl::fromLocalFile(article.filepath));
    }
    auto* data = new QMimeData;
    data->setData(MimeTypes::pmid, MimeTypes::encode(keys));
    data->setData(MimeTypes::pubmedRecord, MimeTypes::encode(records));
    data->setUrls(files);
    return data;
}

bool ArticleTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                        int column, const QModelIndex& parent) const
{
    Q_UNUSED(column);
    // Between rows only: row -1 with no parent is the space below the last row.
    if (data == nullptr || action == Qt::IgnoreAction || parent.isValid() || row < -1 ||
        row > rowCount())
        return false;
    return !localFiles(data).isEmpty();
}

bool ArticleTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                     int column, const QModelIndex& parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    NotificationCenter::defaultCenter().post(QStringLiteral("importArticle"),
                                             QVariant(localFiles(data)));
    return true;
}

Qt::DropActions ArticleTableModel::supportedDragActions() const
{
    return Qt::CopyAction;
}

Qt::DropActions ArticleTableModel::supportedDropActions() const
{
    return Qt::CopyAction;
}
