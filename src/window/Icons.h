#pragma once

#include <QIcon>
#include <QString>

// The window's own icons, compiled in as resources. Names: "library",
// "pubmedSearch", "favorite", "check", "important", "question", "memo", "pdf".
namespace Icons {

// The icon of that name (built once, then shared); a null QIcon for an unknown name.
QIcon named(const QString& name);

} // namespace Icons
