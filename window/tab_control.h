#pragma once

#include <QWidget>

#include <vector>

class QTabBar;

// A tab control whose tabs' controls are its own children, placed relative to the whole control
// with the tab strip included, as the layout table gives them. Only the selected tab's controls
// are shown; the others stay hidden with their contents. Ctrl+Tab, Ctrl+PgDn and their reverses
// switch tabs from anywhere in the window.
namespace hopsmeld {

class TabControl : public QWidget {
  public:
    TabControl(const QStringList& captions, int stripHeight, QWidget* parent = nullptr);

    void addControl(int tab, QWidget* control);
    int currentIndex() const;
    void setCurrentIndex(int tab);
    QTabBar* tabBar() const { return bar_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void showTab(int tab);
    bool isOnTab(const QWidget* widget, size_t tab) const;

    QTabBar* bar_;
    int stripHeight_;
    std::vector<std::vector<QWidget*>> controls_;
};

} // namespace hopsmeld
