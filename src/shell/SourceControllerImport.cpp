// The import flows of the application delegate: the paper-folder scan, a
// chosen folder, dropped and opened files, PubMed search results, and what
// the window does when an import is done.
#include "SourceController.h"

#include "MainWindow.h"

#include "library/MyFavorite.h"
#include "library/PMIDLibrary.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/Panels.h"
#include "platform/UserDefaults.h"
#include "pubmed/PubMedXML.h"
#include "pubmed/pubmed.h"
#include "store/accessDB.h"
#include "window/SourceTableView.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QUrl>

namespace {

// PubMed is asked for at most this many articles at a time.
constexpr qsizetype maxBatch = 100;

const QString pmidType = QStringLiteral("pmid");

QString folderFromDefaults(const char* key)
{
    return UserDefaults::standard().stringForKey(QString::fromLatin1(key));
}

// The files of a folder (not its subfolders), by name.
QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QList<ArticleKey> pmidKeys(const QStringList& pmids)
{
    QList<ArticleKey> keys;
    keys.reserve(pmids.size());
    for (const QString& pmid : pmids)
        keys.append(ArticleKey{pmidType, pmid});
    return keys;
}

bool readArticle(PubMedXML& reader, const QString& pmid, const QString& xmlDirectory)
{
    return reader.openFile(pmid, xmlDirectory) && reader.isValid() && !reader.pubmed().isEmpty();
}

} // namespace

void SourceController::connectImport()
{
    auto& center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("importArticle"),
                       [this](const Notification& n) { importArticleWithNotificatioin(n); });
    center.addObserver(this, QStringLiteral("importArticleDone"),
                       [this](const Notification& n) { importArticleDone(n); });
    connect(mainWindow->importNewArticlesAction(), &QAction::triggered, this,
            &SourceController::importNewInArticleDirectory);
    connect(mainWindow->importFromFolderAction(), &QAction::triggered, this,
            &SourceController::importArticlesFromDirectory);
    connect(mainWindow->rebuildViewAction(), &QAction::triggered, this,
            &SourceController::reconstructAuthorJournal);
}

void SourceController::startActivity()
{
    if (!mainWindow)
        return;
    QProgressBar* indicator = mainWindow->progressIndicator();
    indicator->setRange(0, 0); // busy: it animates on its own while the loop runs
    indicator->show();
    indicator->repaint();
}

void SourceController::stopActivity()
{
    if (!mainWindow)
        return;
    mainWindow->statusMessage()->clear();
    mainWindow->progressIndicator()->hide();
}

void SourceController::setStatus(const QString& text)
{
    if (!mainWindow)
        return;
    mainWindow->statusMessage()->setText(text);
    mainWindow->statusMessage()->repaint();
}

void SourceController::selectRowWithoutOpening(int row)
{
    if (!mainWindow)
        return;
    mainWindow->sourceView()->setCurrentRow(row);
}

std::optional<int> SourceController::droppedList() const
{
    if (droppedRow < 2 || !_favorite)
        return std::nullopt;
    const int index = int(droppedRow) - 2;
    if (index >= _favorite->numberOfFavorite())
        return std::nullopt; // the list was removed since the drop
    return index;
}

void SourceController::importNewInArticleDirectory()
{
    const QString paperFolder = folderFromDefaults("paperFolder");
    const QStringList names = filesIn(paperFolder);
    setStatus(tr("Checking new articles in Olvane paper folder"));
    importNewInArticle(names, paperFolder);
}

void SourceController::importArticlesFromDirectory()
{
    FilePanelRequest request;
    request.title = tr("Import Articles from Folder");
    request.directory = QDir::homePath();
    request.chooseDirectories = true;
    request.chooseFiles = false;
    const QStringList chosen = Panels::shared().runOpenPanel(request);
    if (chosen.isEmpty())
        return;
    importNewInArticle(filesIn(chosen.first()), chosen.first());
}

void SourceController::importNewInArticle(const QStringList& names, const QString& inDirectory)
{
    QList<FileInFolder> files;
    files.reserve(names.size());
    for (const QString& name : names)
        files.append(FileInFolder{inDirectory, name});
    importFiles(files);
}

void SourceController::importArticlesByDandD(const QStringList& paths)
{
    QList<FileInFolder> files;
    files.reserve(paths.size());
    for (const QString& path : paths) {
        const QFileInfo info(path);
        files.append(FileInFolder{info.absolutePath(), info.fileName()});
    }
    if (!files.isEmpty())
        importFiles(files);
}

void SourceController::importFiles(const QList<FileInFolder>& files)
{
    if (!PMIDlib)
        return;
    startActivity();

    // One batch holds PDFs of one folder, at most maxBatch of them.
    struct Batch
    {
        QString folder;
        QStringList pmids;
    };
    QList<Batch> batches;
    qsizetype count = 0;
    accessDB& db = PMIDlib->DB();
    db.open();
    for (const FileInFolder& file : files) {
        const auto pmid = PMIDLibrary::pmidOfFile(file.name);
        if (!pmid || PMIDlib->haveArticleWithoutOpen(ArticleKey{pmidType, *pmid}))
            continue;
        if (batches.isEmpty() || batches.last().folder != file.folder ||
            batches.last().pmids.size() >= maxBatch)
            batches.append(Batch{file.folder, {}});
        batches.last().pmids.append(*pmid);
        ++count;
    }
    db.close();

    setStatus(tr("%1 articles are being imported").arg(count));
    // The pacer spaces the requests; the window keeps running meanwhile.
    for (const Batch& batch : std::as_const(batches))
        PMIDlib->addArticlesOfPDFFiles(batch.pmids, batch.folder);
    if (batches.isEmpty())
        stopActivity();
}

void SourceController::applicationOpenFiles(const QStringList& paths)
{
    QStringList existing;
    for (const QString& given : paths) {
        const QString path =
            given.startsWith(QStringLiteral("file:")) ? QUrl(given).toLocalFile() : given;
        const QFileInfo info(path);
        if (path.isEmpty() || !info.isFile()) {
            Log::message(QStringLiteral("%1 does not exist; not imported").arg(given));
            continue;
        }
        existing.append(info.absoluteFilePath());
    }
    importArticlesByDandD(existing);
}

void SourceController::importArticleWithNotificatioin(const Notification& notification)
{
    const int selected = selectedRow();
    droppedRow = selected >= 2 ? unsigned(selected) : 0;
    importArticlesByDandD(notification.object.toStringList());
}

void SourceController::importPubMedArticles(const QStringList& pmids)
{
    if (!PMIDlib)
        return;
    startActivity();
    setStatus(tr("%1 articles are being imported").arg(pmids.size()));
    QStringList wanted;
    for (const QString& pmid : pmids) {
        if (PMIDLibrary::isPMID(pmid))
            wanted.append(pmid);
        else
            Log::message(QStringLiteral("\"%1\" is not a PubMed ID; not imported").arg(pmid));
    }
    const QPointer<SourceController> self(this);
    PMIDlib->fetchArticles(wanted, QString(), [self](std::optional<MultiArticleResult> result) {
        if (self)
            self->importPubMedArticlesInfomation(std::move(result));
    });
}

void SourceController::importPubMedArticlesInfomation(std::optional<MultiArticleResult> result)
{
    if (!PMIDlib)
        return;
    const QString xmlDirectory = folderFromDefaults("cacheDir");
    QStringList imported;
    accessDB& db = PMIDlib->DB();
    db.open();
    for (const QString& pmid : result ? result->success : QStringList()) {
        PubMedXML reader;
        if (!readArticle(reader, pmid, xmlDirectory)) {
            Log::message(QStringLiteral("file not exist??"));
            continue;
        }
        // An article already in the library keeps the PDF it has.
        const QString path =
            PMIDlib->storedFilePath(ArticleKey{pmidType, pmid}).value_or(QStringLiteral("none"));
        db.insertArtilceInfoIntoDB(reader, path, pmid);
        const QString year = reader.year();
        PMIDlib->updateJournalList(reader.journal(), pmidType, pmid, year);
        PMIDlib->updateAuthorList(reader.authors().value_or(QStringList()), pmidType, pmid, year);
        imported.append(pmid);
    }
    db.close();

    if (const auto list = droppedList()) {
        _favorite->addArticle(pmidKeys(imported), *list);
        selectRowWithoutOpening(int(droppedRow));
    } else {
        selectRowWithoutOpening(0);
    }
    stopActivity();
}

void SourceController::importArticleDone(const Notification& notification)
{
    const QString form = notification.userInfo.value(QStringLiteral("userInfo")).toString();
    if (form == u"single") {
        const QString pmid = notification.object.toString();
        if (!pmid.isEmpty()) {
            const int selected = selectedRow();
            const auto list = droppedList();
            if (list && selected == int(droppedRow)) {
                _favorite->addArticle({ArticleKey{pmidType, pmid}}, *list);
                selectRowWithoutOpening(int(droppedRow));
            } else {
                selectRowWithoutOpening(0);
            }
        }
    } else {
        const QStringList success =
            notification.userInfo.value(QStringLiteral("success")).toStringList();
        const QStringList fail = notification.userInfo.value(QStringLiteral("fail")).toStringList();
        if (const auto list = droppedList()) {
            _favorite->addArticle(pmidKeys(success), *list);
            selectRowWithoutOpening(int(droppedRow));
        } else {
            selectRowWithoutOpening(0);
        }
        if (!fail.isEmpty()) {
            Alert alert;
            alert.style = Alert::Style::Critical;
            alert.message = QStringLiteral(
                "The file you are attempting to import does not have the PubMed ID. Olvane "
                "application does not work with this type of files.");
            alert.informativeText = fail.join(QStringLiteral(", "));
            alert.defaultButton = QStringLiteral("OK");
            Panels::shared().runAlert(alert);
        }
    }
    stopActivity();
    openSource();
}

void SourceController::reconstructAuthorJournal()
{
    if (!PMIDlib)
        return;
    startActivity();
    const QString xmlDirectory = folderFromDefaults("cacheDir");
    for (QString name : filesIn(xmlDirectory)) {
        const qsizetype at = name.indexOf(QStringLiteral(".xml"));
        if (at < 0)
            continue;
        const QString pmid = name.remove(at, 4);
        PubMedXML reader;
        if (!readArticle(reader, pmid, xmlDirectory)) {
            Log::message(QStringLiteral("%1/%2.xml cannot be read; left out of the rebuild")
                             .arg(xmlDirectory, pmid));
            continue;
        }
        setStatus(tr("Reconstracting author/journal view of %1").arg(pmid));
        const QString year = reader.year();
        PMIDlib->updateAuthorList(reader.authors().value_or(QStringList()), pmidType, pmid, year);
        PMIDlib->updateJournalList(reader.journal(), pmidType, pmid, year);
    }
    setStatus(tr("Done"));
    if (mainWindow)
        mainWindow->progressIndicator()->hide();
}

QStringList SourceController::getPMIDsFromFilenames(const QStringList& paths)
{
    QStringList pmids;
    for (const QString& path : paths) {
        if (const auto pmid = PMIDLibrary::pmidOfFile(path))
            pmids.append(*pmid);
    }
    return pmids;
}
