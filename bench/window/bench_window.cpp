// The article list of the main window over a generated library of 100,000
// articles:
//   window.show_all_100k  "All in Library": the keys, the query with every
//                         batch, the sort, the table painted once; against the
//                         store's sorted delivery of the same records, timed in
//                         the same run.
//   window.resort_100k    a header click on 100,000 rows (with a selection, as
//                         a user has one); against std::stable_sort of the same
//                         records with the same comparison.
//   window.rss_100k_mb    resident memory of the whole program, started as a
//                         user starts it, with the library shown (child process).

#include "BenchHome.h"
#include "BenchReport.h"
#include "ChildNumber.h"
#include "Launch.h"
#include "ResidentMemory.h"
#include "SyntheticData.h"

#include "library/PMIDLibrary.h"
#include "platform/UserDefaults.h"
#include "store/accessDB.h"
#include "window/ArticleController.h"
#include "window/ArticleTableModel.h"
#include "window/ArticleTableView.h"

#include <QApplication>
#include <QFile>
#include <QLabel>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int runs = 7;

// The comparison a header sort makes: each descriptor's record field as text,
// in order, case-sensitive.
struct ReferenceLess
{
    QList<std::pair<QString ArticleRecord::*, bool>> levels;

    bool operator()(const ArticleRecord& a, const ArticleRecord& b) const
    {
        for (const auto& [field, ascending] : levels) {
            const int order = QString::compare(a.*field, b.*field, Qt::CaseSensitive);
            if (order != 0)
                return ascending ? order < 0 : order > 0;
        }
        return false;
    }
};

// The window's article side over the generated library, shown offscreen at
// a usual size.
class ArticleSide
{
public:
    explicit ArticleSide(PMIDLibrary& library) : library(library)
    {
        controller.setLibrary(&library);
        controller.setStatusText(&status);
        controller.mainView()->resize(1100, 700);
        controller.mainView()->show();
        QCoreApplication::processEvents();
    }

    // "All in Library" shown as the source list shows it.
    void showAll()
    {
        controller.showArticles(library.articlesInLibraries());
        controller.articleView()->viewport()->repaint();
    }

    ArticleController controller;

private:
    PMIDLibrary& library;
    QLabel status;
};

QString checkShown(const ArticleSide& side, qsizetype expected)
{
    const qsizetype shown = side.controller.articleModel()->rowCount();
    return shown == expected
               ? QString()
               : QStringLiteral("%1 rows shown, %2 expected").arg(shown).arg(expected);
}

// Both sides take turns, so that a busy machine slows both alike.
bool measureShowAll(ArticleSide& side, accessDB& store, const QList<ArticleKey>& all)
{
    QList<ArticleRecord> kept;
    store.setRecieverOfArticles([&](QList<ArticleRecord>& batch) {
        for (ArticleRecord& record : batch)
            kept.append(std::move(record));
    });
    BestTime ours, theirs;
    for (int run = 0; run < runs; ++run) {
        side.controller.resetArticles();
        ours.add(secondsOf([&] { side.showAll(); }));
        if (const QString problem = checkShown(side, all.size()); !problem.isEmpty()) {
            std::fprintf(stderr, "bench_window: show_all: %s\n", qPrintable(problem));
            return false;
        }
        kept = {};
        theirs.add(secondsOf([&] {
            store.searchFromIDs(all, {QStringLiteral("submitDate")}, QStringLiteral("ASC"));
        }));
        if (kept.size() != all.size())
            return false;
    }
    reportResult(QStringLiteral("window.show_all_100k"), *ours.seconds(), QStringLiteral("s"),
                 theirs.seconds());
    return true;
}

bool measureResort(ArticleSide& side)
{
    ArticleTableModel& model = *side.controller.articleModel();
    ArticleTableView& view = *side.controller.articleView();
    BestTime ours, theirs;
    for (int run = 0; run < runs; ++run) {
        // From the same order each time: by author, then a click on "Title".
        model.setSortDescriptors({{QStringLiteral("authors"), true}});
        view.selectRow(model.rowCount() / 2);
        const QList<ArticleRecord> before = model.articleList();
        ours.add(
            secondsOf([&] { model.sort(ArticleTableModel::TitleColumn, Qt::AscendingOrder); }));

        QList<ArticleRecord> plain = before;
        const ReferenceLess less{{{&ArticleRecord::title, true}, {&ArticleRecord::authors, true}}};
        theirs.add(secondsOf([&] { std::stable_sort(plain.begin(), plain.end(), less); }));
        if (plain != model.articleList()) {
            std::fprintf(stderr, "bench_window: resort: the table's order differs from the "
                                 "reference sort\n");
            return false;
        }
    }
    reportResult(QStringLiteral("window.resort_100k"), *ours.seconds(), QStringLiteral("s"),
                 theirs.seconds());
    return true;
}

// Child mode: the program started as a user starts it (settings, library,
// favorites, window, "All in Library" shown), then its resident memory.
int residentMemoryOfProgram(QApplication& app)
{
    double megabytes = 0;
    Launch launch(app);
    const QString problem = launch.once([&](const std::function<void()>& start) {
        start();
        megabytes = residentMegabytes();
    });
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "bench_window: the program did not start: %s\n", qPrintable(problem));
        return 1;
    }
    std::printf("%f\n", megabytes);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], "--program-memory") == 0)
        return residentMemoryOfProgram(app);

    const SyntheticData large = syntheticLibrary(100000);
    if (large.preferenceDir.isEmpty())
        return 1;
    // The program writes its library files at start and at quit: it works on
    // copies, so the generated library stays as it was made.
    BenchHome home;
    for (const char* name : {"articles.db", "library.dat", "favorite.dat"}) {
        const QString file = QLatin1StringView(name);
        if (!QFile::copy(large.preferenceDir + u'/' + file, home.preferenceDir() + u'/' + file)) {
            std::fprintf(stderr, "bench_window: cannot copy %s\n", name);
            return 1;
        }
    }
    home.nameFolders(large.cacheDir);
    // The library row shows every article (not only the recent ones), sorted
    // as the user chose by clicking "Author": the list is sorted after the query.
    UserDefaults::standard().setObject(QStringLiteral("All in Library"),
                                       QStringLiteral("DisplayOfLibrary"));
    UserDefaults::standard().setObject(
        QVariantList{QVariantMap{{QStringLiteral("key"), QStringLiteral("authors")},
                                 {QStringLiteral("ascending"), true}}},
        QStringLiteral("articleViewSortDescription"));
    UserDefaults::standard().synchronize();

    {
        PMIDLibrary library;
        accessDB store(home.preferenceDir());
        const QList<ArticleKey> all = store.allArticleIDs();
        ArticleSide side(library);
        side.controller.articleModel()->setSortDescriptors({{QStringLiteral("authors"), true}});
        if (!measureShowAll(side, store, all) || !measureResort(side))
            return 1;
    }

    // The child inherits the home's environment and so reads its settings.
    const auto megabytes = numberFromChild({QStringLiteral("--program-memory")});
    if (!megabytes) {
        std::fprintf(stderr, "bench_window: the memory measurement failed\n");
        return 1;
    }
    reportResult(QStringLiteral("window.rss_100k_mb"), *megabytes, QStringLiteral("MB"), 500);
    return 0;
}
