#pragma once

#include <QWidget>

class QTextBrowser;

// The help viewer: a window of its own beside the main window, never modal. It looks for a help
// file's document beside the program, "Hopsmeld.html" for "Hopsmeld.hlp", and says so plainly
// when it is not there. Its text stays readable whatever the theme; Esc closes it.
namespace hopsmeld {

class HelpViewer : public QWidget {
  public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Where it first opens: on `owner`'s screen, the whole window within the screen's available
    // area, centred there.
    void placeOnScreenOf(const QWidget* owner);
    // Shows the help file's contents, from the start of the document.
    void showContents(const QString& helpFile);
    QString shownFile() const { return shownFile_; }
    QTextBrowser* browser() const { return browser_; }

  protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void load();

    QTextBrowser* browser_;
    QString shownFile_;
};

// Where the viewer looks for a help file's document.
QString helpDocumentPath(const QString& helpFile);

} // namespace hopsmeld
