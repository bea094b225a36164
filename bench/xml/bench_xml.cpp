// Reading a whole efetch reply of 5,000 articles with parseAllArticle, against
// `xmllint --noout` on the same file in the same run.

#include "BenchReport.h"
#include "LargeReply.h"
#include "pubmed/PubMedXML.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int articleCount = 5000;
constexpr int runs = 7;

// The reply must read back as `articleCount` records with the PMIDs given.
bool readsBack(const QByteArray& reply, const QStringList& pmids)
{
    PubMedXML reader;
    reader.setData(reply);
    const QList<PubMedRecord> records = reader.parseAllArticle();
    if (records.size() != pmids.size())
        return false;
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (records[i].value(QStringLiteral("pubmed")).toString() != pmids[i] ||
            records[i].value(QStringLiteral("title")).toString().isEmpty())
            return false;
    }
    return true;
}

// Times one run of `xmllint --noout` on the file; false when it fails.
bool timeXmllint(const QString& xmllint, const QString& path, BestTime& best)
{
    QProcess process;
    bool ok = false;
    const double seconds = secondsOf([&] {
        process.start(xmllint, {QStringLiteral("--noout"), path});
        ok = process.waitForFinished(-1);
    });
    if (!ok || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return false;
    best.add(seconds);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    QTemporaryDir dir;
    QStringList pmids;
    const QByteArray reply = buildLargeReply(articleCount, &pmids);
    const QString path = dir.filePath(QStringLiteral("reply.xml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(reply) != reply.size())
        qFatal("bench_xml: cannot write %s", qPrintable(path));
    file.close();

    if (!readsBack(reply, pmids)) {
        std::fprintf(stderr, "bench_xml: the reply does not read back as %d articles\n",
                     articleCount);
        return 1;
    }

    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    bool referenceOk = !xmllint.isEmpty();
    if (!referenceOk)
        std::fprintf(stderr, "bench_xml: xmllint not found, no reference\n");

    // The measurements take turns, so that a busy machine slows them alike.
    BestTime fromFile, fromMemory, reference;
    qsizetype sink = 0;
    for (int run = 0; run < runs; ++run) {
        // From the file: opening and reading it are part of the time, as for xmllint.
        fromFile.add(secondsOf([&] {
            PubMedXML reader;
            reader.openFile(QStringLiteral("reply"), dir.path());
            sink += reader.parseAllArticle().size();
        }));
        // From bytes already in memory: the reader's own share.
        fromMemory.add(secondsOf([&] {
            PubMedXML reader;
            reader.setData(reply);
            sink += reader.parseAllArticle().size();
        }));
        if (referenceOk && !timeXmllint(xmllint, path, reference)) {
            std::fprintf(stderr, "bench_xml: xmllint failed on the reply, no reference\n");
            referenceOk = false;
        }
    }
    if (sink != qsizetype(2) * runs * articleCount)
        return 1;
    const std::optional<double> peer = referenceOk ? reference.seconds() : std::nullopt;

    const double megabytes = double(reply.size()) / 1e6;
    std::fprintf(stderr, "bench_xml: %d articles, %.1f MB, best of %d runs\n", articleCount,
                 megabytes, runs);
    const double fileSeconds = *fromFile.seconds();
    reportResult(QStringLiteral("xml.parse_all_5000"), fileSeconds, QStringLiteral("s"), peer);
    reportResult(QStringLiteral("xml.parse_all_5000_mbps"), megabytes / fileSeconds,
                 QStringLiteral("MB/s"));
    reportResult(QStringLiteral("xml.parse_all_5000_in_memory"), *fromMemory.seconds(),
                 QStringLiteral("s"), peer);
    return 0;
}
