#include "QtPanels.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

QWidget* QtPanels::parentWindow()
{
    return QApplication::activeWindow();
}

AlertResponse QtPanels::runAlert(const Alert& alert)
{
    QMessageBox box(parentWindow());
    switch (alert.style) {
    case Alert::Style::Informational:
        box.setIcon(QMessageBox::Information);
        break;
    case Alert::Style::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Alert::Style::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    box.setWindowTitle(QStringLiteral("Olvane"));
    box.setText(alert.message);
    box.setInformativeText(alert.informativeText);
    QPushButton* defaultButton = box.addButton(alert.defaultButton, QMessageBox::AcceptRole);
    QPushButton* alternate = alert.alternateButton.isEmpty()
                                 ? nullptr
                                 : box.addButton(alert.alternateButton, QMessageBox::RejectRole);
    QPushButton* other = alert.otherButton.isEmpty()
                             ? nullptr
                             : box.addButton(alert.otherButton, QMessageBox::DestructiveRole);
    box.setDefaultButton(defaultButton);
    box.exec();
    if (alternate && box.clickedButton() == alternate)
        return AlertResponse::Alternate;
    if (other && box.clickedButton() == other)
        return AlertResponse::Other;
    return AlertResponse::Default;
}

QStringList QtPanels::runOpenPanel(const FilePanelRequest& request)
{
    QFileDialog dialog(parentWindow(), request.title, request.directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (request.chooseDirectories && !request.chooseFiles) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog.setFileMode(request.allowMultiple ? QFileDialog::ExistingFiles
                                                 : QFileDialog::ExistingFile);
    }
    if (!request.fileTypes.isEmpty()) {
        QStringList patterns;
        for (const QString& type : request.fileTypes)
            patterns << "*." + type;
        dialog.setNameFilter(patterns.join(' '));
    }
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString QtPanels::runSavePanel(const FilePanelRequest& request)
{
    QFileDialog dialog(parentWindow(), request.title, request.directory);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!request.suggestedName.isEmpty())
        dialog.selectFile(request.suggestedName);
    if (!request.fileTypes.isEmpty())
        dialog.setDefaultSuffix(request.fileTypes.first());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

void QtPanels::beep()
{
    QApplication::beep();
}

std::optional<Credentials> QtPanels::runAuthPanel(const AuthRequest& request)
{
    QDialog panel(parentWindow());
    panel.setObjectName(QStringLiteral("AuthPanel"));
    panel.setWindowTitle(QStringLiteral("Authentication"));

    auto* prompt = new QLabel(&panel);
    prompt->setText(request.realm.isEmpty()
                        ? QStringLiteral("%1 requires a user name and password.").arg(request.host)
                        : QStringLiteral("%1 requires a user name and password for \"%2\".")
                              .arg(request.host, request.realm));
    prompt->setWordWrap(true);

    auto* user = new QLineEdit(&panel);
    user->setObjectName(QStringLiteral("user"));
    auto* password = new QLineEdit(&panel);
    password->setObjectName(QStringLiteral("password"));
    password->setEchoMode(QLineEdit::Password);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("User:"), user);
    fields->addRow(QStringLiteral("Password:"), password);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &panel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &panel, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &panel, &QDialog::reject);

    auto* layout = new QVBoxLayout(&panel);
    layout->addWidget(prompt);
    layout->addLayout(fields);
    layout->addWidget(buttons);

    if (panel.exec() != QDialog::Accepted)
        return std::nullopt;
    return Credentials{user->text(), password->text()};
}
