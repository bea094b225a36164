#pragma once

#include "TempHome.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "pubmed/pubmed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QUrl>

// The real article PMID 31789841 (Acad Med, 2020; first author Park, YS)
// under another PMID: what the client writes to the cache folder for it.
inline QByteArray articleXml(const QString& pmid)
{
    return fixtureBytes(QStringLiteral("ncbi/metapub__31789841.xml"))
        .replace("31789841", pmid.toUtf8());
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A temporary home set up as the program leaves it after start-up: the
// preference, cache and paper folders (with "User") exist and the defaults
// name them, PDFs are copied, the pause between requests is 1 s. The client
// is pointed at a closed local port, so that nothing can reach the outside.
class ImportHome
{
public:
    ImportHome()
    {
        preferenceDir = home.defaultPreferenceDir();
        cacheDir = preferenceDir + "/cache";
        paperFolder = preferenceDir + "/Olvane paper";
        downloads = home.path() + "/Downloads";
        for (const QString& folder : {cacheDir, QString(paperFolder + "/User"), downloads})
            QDir().mkpath(folder);
        UserDefaults& defaults = UserDefaults::standard();
        defaults.setObject(preferenceDir, QStringLiteral("preferenceDir"));
        defaults.setObject(cacheDir, QStringLiteral("cacheDir"));
        defaults.setObject(paperFolder, QStringLiteral("paperFolder"));
        defaults.setBool(true, QStringLiteral("copyPDFtoFolder"));
        defaults.setInteger(1, QStringLiteral("waitTimeForPubmed"));
        pubmed::setBaseUrl(QUrl(QStringLiteral("http://127.0.0.1:9/entrez/eutils")));
    }

    // Puts the article's XML file in the cache folder, as a former fetch did.
    QString cacheArticle(const QString& pmid) const { return cacheFile(pmid, articleXml(pmid)); }
    QString cacheFile(const QString& pmid, const QByteArray& bytes) const
    {
        return write(cacheDir + "/" + pmid + ".xml", bytes);
    }
    // A small PDF whose bytes name the file, so copies can be told apart.
    QString pdf(const QString& folder, const QString& name) const
    {
        return write(folder + "/" + name, "%PDF-1.4\n% " + name.toUtf8() + "\n%%EOF\n");
    }

    static QString write(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    TempHome home;
    QString preferenceDir, cacheDir, paperFolder, downloads;
};

// Every "importArticleDone" posted while it lives.
class DoneRecorder : public QObject
{
public:
    DoneRecorder()
    {
        NotificationCenter::defaultCenter().addObserver(
            this, QStringLiteral("importArticleDone"),
            [this](const Notification& n) { posts.append(n); });
    }
    QList<Notification> posts;
};
