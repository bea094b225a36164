#include "MainWindow.h"

#include "window/SourceTableView.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTextBrowser>
#include <QVBoxLayout>

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Olvane"));
    setObjectName(QStringLiteral("OlvaneMainWindow"));
    resize(1100, 700);

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(6, 6, 0, 6);
    searchCaption = new QLabel(tr("Search Library"));
    searchField = new QLineEdit;
    searchField->setObjectName(QStringLiteral("searchControl"));
    searchField->setClearButtonEnabled(true);
    searchField->setPlaceholderText(tr("Search"));
    connect(searchField, &QLineEdit::returnPressed, this, [this] {
        if (wholeSearchString)
            Q_EMIT searchRequested(searchField->text());
    });
    connect(searchField, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!wholeSearchString)
            Q_EMIT searchRequested(text);
    });
    SourceView = new SourceTableView;
    leftLayout->addWidget(searchCaption);
    leftLayout->addWidget(searchField);
    leftLayout->addWidget(SourceView, 1);

    rightBox = new QStackedWidget;
    rightBox->setObjectName(QStringLiteral("rightBox"));

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(left);
    splitter->addWidget(rightBox);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 880});
    setCentralWidget(splitter);

    status = new QLabel;
    status->setObjectName(QStringLiteral("statusMessage"));
    progress = new QProgressBar;
    progress->setObjectName(QStringLiteral("progressIndicator"));
    progress->setRange(0, 0); // busy indicator
    progress->setMaximumWidth(120);
    progress->setVisible(false);
    statusBar()->addWidget(status, 1);
    statusBar()->addPermanentWidget(progress);

    drawerDock = new QDockWidget(tr("Abstract"), this);
    drawerDock->setObjectName(QStringLiteral("drawer"));
    drawerDock->setWidget(new QTextBrowser);
    addDockWidget(Qt::RightDockWidgetArea, drawerDock);
    drawerDock->hide();

    buildMenus();
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    addCommand(file, Command::NewFavorite, tr("&New Favorite List"), "newFavorite",
               QKeySequence::New);
    file->addSeparator();
    importNew = file->addAction(tr("&Import New Articles in Paper Folder"));
    importNew->setObjectName(QStringLiteral("importNewArticles"));
    importNew->setShortcut(QKeySequence(tr("Ctrl+I")));
    importFolder = file->addAction(tr("Import Articles from &Folder..."));
    importFolder->setObjectName(QStringLiteral("importFromFolder"));
    importFolder->setShortcut(QKeySequence::Open);
    file->addSeparator();
    rebuildView = file->addAction(tr("&Rebuild Author/Journal View"));
    rebuildView->setObjectName(QStringLiteral("rebuildView"));

    QMenu* view = menuBar()->addMenu(tr("&View"));
    addCommand(view, Command::ShowRecentlyImported, tr("Show &Recently Imported"),
               "showRecentlyImported", QKeySequence(tr("Ctrl+Shift+R")));
    addCommand(view, Command::ShowAbstract, tr("Show &Abstract"), "showAbstract",
               QKeySequence(tr("Ctrl+Shift+A")));

    // The article table's own keys (i, q, r, u, Return, Delete) act while it
    // has the focus; these work from anywhere in the window.
    QMenu* article = menuBar()->addMenu(tr("&Article"));
    addCommand(article, Command::MarkRead, tr("Mark Read"), "markRead");
    addCommand(article, Command::MarkImportant, tr("Mark Important"), "markImportant");
    addCommand(article, Command::MarkQuestion, tr("Mark Question"), "markQuestion");
    addCommand(article, Command::RemoveMark, tr("remove mark"), "removeMark");
    article->addSeparator();
    addCommand(article, Command::OpenFile, tr("Open File"), "openFile",
               QKeySequence(tr("Ctrl+Shift+O")));
    addCommand(article, Command::OpenInfo, tr("Open Info"), "openInfo",
               QKeySequence(tr("Ctrl+Shift+I")));
    article->addSeparator();
    addCommand(article, Command::OpenPubmedSite, tr("Browser open Pubmed Site"), "openPubmedSite",
               QKeySequence(tr("Ctrl+P")));
    addCommand(article, Command::OpenJournalSite, tr("Browser open Journal Site"),
               "openJournalSite", QKeySequence(tr("Ctrl+J")));
    article->addSeparator();
    addCommand(article, Command::DeleteArticle, tr("Delete"), "deleteArticle",
               QKeySequence(tr("Ctrl+D")));
}

QAction* MainWindow::addCommand(QMenu* menu, Command which, const QString& text,
                                const QString& name, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    commands.insert(which, action);
    return action;
}

void MainWindow::setSendsWholeSearchString(bool wholeString)
{
    wholeSearchString = wholeString;
}

void MainWindow::setRightBoxContent(QWidget* view)
{
    if (rightBox->indexOf(view) < 0)
        rightBox->addWidget(view);
    rightBox->setCurrentWidget(view);
}

QWidget* MainWindow::rightBoxContent() const
{
    return rightBox->currentWidget();
}
