#pragma once

#include "pubmed/EUtilitiesResults.h"

#include <QByteArray>

#include <optional>

namespace eutils {

// Reads an esearch reply by element names: the root element eSearchResult and
// its first Count, QueryKey and WebEnv children. No value when the body is not
// a well-formed document of that kind, when one of the three is missing or
// empty, or when Count is "0" (nothing matched).
std::optional<SearchResult> readSearchReply(const QByteArray& body);

} // namespace eutils
