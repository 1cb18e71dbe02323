#pragma once

#include <QString>

class QWidget;

// Hands a "mailto:" link to the desktop's handler for such links, without waiting for it. Where
// the desktop has none, a message over `window` says so and shows the address, to copy.
namespace hopsmeld {

void openMailLink(const QString& address, QWidget* window);

} // namespace hopsmeld
