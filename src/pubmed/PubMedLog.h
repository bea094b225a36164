#pragma once

#include <QLoggingCategory>

// Diagnostics of the PubMed reader and the E-utilities client; warnings are on,
// debug lines with QT_LOGGING_RULES="olvane.pubmed.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcPubMed)
