#include "shell/OlvaneApplication.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Olvane"));
    QApplication::setOrganizationName(QStringLiteral("Olvane"));
    QApplication::setDesktopFileName(QStringLiteral("olvane"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/olvane.svg")));
    return runOlvane(app);
}
