#include "help_colours.h"

#include "readable_colour.h"

#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <vector>

namespace hopsmeld {

namespace {

QColor colourOf(const QBrush& brush, const QColor& otherwise) {
    return brush.style() == Qt::NoBrush ? otherwise : brush.color();
}

struct Run {
    int start, end; // start == end: the block's own format, which draws list bullets and numbers
    QColor text, background;
};

} // namespace

void makeReadable(QTextDocument& document, const QPalette& palette) {
    const QColor page = palette.color(QPalette::Base), text = palette.color(QPalette::Text);
    std::vector<Run> runs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QColor behind = page;
        const QTextCursor at(block);
        if (QTextTable* table = at.currentTable())
            behind = colourOf(table->cellAt(at).format().background(), behind);
        behind = colourOf(block.blockFormat().background(), behind);
        runs.push_back({block.position(), block.position(),
                        colourOf(block.charFormat().foreground(), text), behind});
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            runs.push_back({fragment.position(), fragment.position() + fragment.length(),
                            colourOf(format.foreground(), text),
                            colourOf(format.background(), behind)});
        }
    }
    // Changed after the walk: merging formats splits and joins the fragments being walked.
    for (const Run& run : runs) {
        const QRgb readable = readableColour(run.text.rgb(), run.background.rgb());
        if (readable == run.text.rgb())
            continue;
        QTextCharFormat format;
        format.setForeground(QColor::fromRgb(readable));
        QTextCursor cursor(&document);
        cursor.setPosition(run.start);
        if (run.start == run.end) {
            cursor.mergeBlockCharFormat(format);
        } else {
            cursor.setPosition(run.end, QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(format);
        }
    }
}

} // namespace hopsmeld
