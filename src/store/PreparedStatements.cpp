#include "store/PreparedStatements.h"

#include <sqlite3.h>

namespace {

// Statement texts kept per connection. The store runs a few dozen distinct
// texts; the rest (limits, sort columns) vary little.
constexpr qsizetype maxCachedStatements = 64;

// True when `tail` holds no further statement (only blanks or comments).
bool isOnlyTrailingText(sqlite3* db, const char* tail)
{
    sqlite3_stmt* next = nullptr;
    const int rc = sqlite3_prepare_v2(db, tail, -1, &next, nullptr);
    sqlite3_finalize(next);
    return rc == SQLITE_OK && next == nullptr;
}

} // namespace

struct PreparedStatements::Entry
{
    explicit Entry(sqlite3_stmt* handle) : handle(handle) {}
    ~Entry() { sqlite3_finalize(handle); }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

    sqlite3_stmt* handle;
    bool inUse = false;
    quint64 lastUse = 0;
};

PreparedStatements::Lease::Lease(std::shared_ptr<Entry> entry) : entry(std::move(entry))
{
    this->entry->inUse = true;
}

PreparedStatements::Lease::~Lease()
{
    if (entry->handle != nullptr) {
        sqlite3_reset(entry->handle);
        sqlite3_clear_bindings(entry->handle);
    }
    entry->inUse = false;
}

sqlite3_stmt* PreparedStatements::Lease::handle() const
{
    return entry->handle;
}

std::unique_ptr<PreparedStatements::Lease> PreparedStatements::take(const QByteArray& text,
                                                                    QString& error)
{
    const auto found = cache.constFind(text);
    if (found != cache.constEnd() && !(*found)->inUse) {
        (*found)->lastUse = ++clock;
        return std::make_unique<Lease>(*found);
    }
    std::shared_ptr<Entry> entry = prepare(text, error);
    if (!entry)
        return nullptr;
    // A second statement of a text in use stays out of the cache.
    if (found == cache.constEnd() && entry->handle != nullptr) {
        makeRoom();
        entry->lastUse = ++clock;
        cache.insert(text, entry);
    }
    return std::make_unique<Lease>(std::move(entry));
}

std::shared_ptr<PreparedStatements::Entry> PreparedStatements::prepare(const QByteArray& text,
                                                                       QString& error) const
{
    sqlite3_stmt* handle = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v3(db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT,
                           &handle, &tail) != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(handle);
        return nullptr;
    }
    auto entry = std::make_shared<Entry>(handle);
    if (handle != nullptr && !isOnlyTrailingText(db, tail)) {
        error = QStringLiteral("more than one statement");
        return nullptr;
    }
    return entry;
}

void PreparedStatements::makeRoom()
{
    if (cache.size() < maxCachedStatements)
        return;
    auto oldest = cache.end();
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (!(*it)->inUse && (oldest == cache.end() || (*it)->lastUse < (*oldest)->lastUse))
            oldest = it;
    }
    // With every statement stepping, the cache grows by one: nesting is shallow.
    if (oldest != cache.end())
        cache.erase(oldest);
}
