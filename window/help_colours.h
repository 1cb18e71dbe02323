#pragma once

class QPalette;
class QTextDocument;

// Help documents are written in colours for a light page. On a dark or high-contrast theme each
// run of text takes the nearest colour of its hue that reads on what is behind it: the page, a
// table cell's or a paragraph's own background.
namespace hopsmeld {

void makeReadable(QTextDocument& document, const QPalette& palette);

} // namespace hopsmeld
