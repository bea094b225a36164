#pragma once

#include <QString>

class UserDefaults;

// The three folders everything the program keeps lives in.
struct Folders
{
    QString preferenceDir; // database, library, favorites, styles, subscriptions
    QString cacheDir;      // one PubMed XML file per article
    QString paperFolder;   // PDFs; user articles' PDFs in its "User" subfolder
};

// The preference folder: the stored one, or ~/Documents/Olvane.
QString settlePreferenceDir(UserDefaults& defaults);

// Reads the three folder settings, storing the defaults for any that are
// missing (without saving the store), and creates the cache folder and the
// paper folder's "User" subfolder with every folder along their paths.
Folders settleFolders(UserDefaults& defaults);

// Creates every missing folder along `path`, one component at a time.
void createFoldersAlong(const QString& path);
