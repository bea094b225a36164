#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// A command-line tool run as the reference of a measurement (the sqlite3
// shell, xmllint), its output thrown away as "> /dev/null" would.
struct ReferenceCommand
{
    QString program;
    QStringList arguments;
    QString standardInputFile; // empty: none

    // Wall-clock seconds of one run, or no value when it could not be
    // started or did not exit with status 0.
    std::optional<double> time() const;
    // Its standard output, for checking that it computes what we compare
    // against; no value as above.
    std::optional<QByteArray> output() const;
};

// `sqlite3 FILE STATEMENT`; no value when the shell is not installed.
std::optional<ReferenceCommand> sqliteShell(const QString& databasePath, const QString& statement);
// `sqlite3 FILE < SCRIPT`.
std::optional<ReferenceCommand> sqliteScript(const QString& databasePath, const QString& script);
// `xmllint --noout FILE`.
std::optional<ReferenceCommand> xmllint(const QString& path);
