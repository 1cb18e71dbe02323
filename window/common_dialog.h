#pragma once

#include <QString>

#include <memory>

class QWidget;

// The window's help dialog component: set a help file and a help command, then show the help.
// The viewer opens without blocking the window and is reused, so the last command decides what
// it shows.
namespace hopsmeld {

class HelpViewer;

class CommonDialog {
  public:
    static constexpr int kHelpContents = 3;

    explicit CommonDialog(QWidget* owner);
    ~CommonDialog();

    QString HelpFile;
    int HelpCommand = 0;
    void ShowHelp();

    HelpViewer* viewer() const { return viewer_.get(); }

  private:
    QWidget* owner_;
    std::unique_ptr<HelpViewer> viewer_;
};

} // namespace hopsmeld
