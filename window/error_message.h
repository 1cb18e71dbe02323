#pragma once

class QWidget;

namespace hopsmeld {

// The message for typed text that is not a number.
void showHopsmeldError(QWidget* window);

} // namespace hopsmeld
