#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Runs a handler once per key released in a widget. Only real key events count: text written
// by code raises none, and a held key's auto-repeat is one release, not many. A lone Alt counts
// too, though the menu bar takes its release to give itself the focus.
namespace hopsmeld {

void onKeyRelease(QWidget* widget, std::function<void()> handler);

} // namespace hopsmeld
