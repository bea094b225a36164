#include "pubmed/PubMedLog.h"

Q_LOGGING_CATEGORY(lcPubMed, "olvane.pubmed", QtWarningMsg)
