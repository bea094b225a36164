#include "StartupDefaults.h"

#include "platform/UserDefaults.h"

#include <QStringList>

bool establishStartupDefaults(UserDefaults& defaults)
{
    if (!defaults.objectForKey("copyPDFtoFolder").isValid())
        defaults.setBool(true, "copyPDFtoFolder");
    if (!defaults.objectForKey("sortBy").isValid())
        defaults.setObject(QStringLiteral("submitDate"), "sortBy");
    if (!defaults.objectForKey("orderBy").isValid())
        defaults.setObject(QStringLiteral("ASC"), "orderBy");
    for (const char* size : {"fontSize", "ArticleViewFontSize"}) {
        if (!defaults.objectForKey(size).isValid())
            defaults.setFloat(12.0, size);
    }
    if (!defaults.objectForKey("JournalAuthorViewFontSize").isValid())
        defaults.setFloat(11.0, "JournalAuthorViewFontSize");
    for (const char* font : {"fontType", "ArticleViewFontType", "JournalAuthorViewFontType"}) {
        if (defaults.stringForKey(font).isNull())
            defaults.setObject(QStringLiteral("Lucida Grande"), font);
    }
    if (defaults.stringForKey("drawerPosition").isNull())
        defaults.setObject(QStringLiteral("side"), "drawerPosition");
    if (defaults.integerForKey("waitTimeForPubmed") == 0)
        defaults.setInteger(3, "waitTimeForPubmed");
    if (defaults.integerForKey("numberOfResultOFWarning") == 0)
        defaults.setInteger(50, "numberOfResultOFWarning");
    return defaults.synchronize();
}
