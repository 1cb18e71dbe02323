#pragma once

#include <QString>

// Hands a "mailto:" link to the desktop's handler for such links, without waiting for it and
// without reporting whether one was found.
namespace hopsmeld {

void openMailLink(const QString& address);

} // namespace hopsmeld
