#include "MainWindow.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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
    SourceView = new QListWidget;
    SourceView->setObjectName(QStringLiteral("SourceView"));
    SourceView->setSelectionMode(QAbstractItemView::SingleSelection);
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

    QMenu* file = menuBar()->addMenu(tr("&File"));
    importNew = file->addAction(tr("&Import New Articles in Paper Folder"));
    importNew->setObjectName(QStringLiteral("importNewArticles"));
    importNew->setShortcut(QKeySequence(tr("Ctrl+I")));
    importFolder = file->addAction(tr("Import Articles from &Folder..."));
    importFolder->setObjectName(QStringLiteral("importFromFolder"));
    importFolder->setShortcut(QKeySequence::Open);
    file->addSeparator();
    rebuildView = file->addAction(tr("&Rebuild Author/Journal View"));
    rebuildView->setObjectName(QStringLiteral("rebuildView"));
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
