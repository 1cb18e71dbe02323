#pragma once

#include <QRgb>
#include <QStringList>

#include <optional>
#include <span>

// The main window as data: every control with its place, caption and look. Positions and sizes
// are in twips (15 to a pixel at 96 dots per inch) from the top-left corner of the control's
// container: the window's client area, the whole tab control with its strip, or the frame.
namespace hopsmeld::layout {

enum class Kind { TabControl, Frame, Label, LinkLabel, TextBox, Button };
enum class Font { Window, MailLink };

struct Control {
    const char* name;
    Kind kind;
    const char* container; // "Form1", "SSTab1" or "Frame2"
    int tab;               // the tab of SSTab1 the control sits on; -1 when not on a tab
    const char* caption;   // "&" marks the access key; translated in the context "Form1"
    const char* tooltip;   // nullptr: none
    int left, top, width, height;
    int tabIndex;
    std::optional<QRgb> textColour; // nullopt: the system's (button text on a label)
    Font font;
    const char* labelledBy; // the label that names a text box for screen readers
    bool result;            // a box the calculators write their results into
};

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidth = 4800;
inline constexpr int kClientHeight = 5280;
inline constexpr int kTabStripHeight = 295; // 520 HIMETRIC
inline constexpr double kWindowFontPoints = 8.25;
inline constexpr double kMailFontPoints = 9.75;

inline constexpr int pixels(int twips) {
    return twips / kTwipsPerPixel;
}

QStringList tabCaptions();
std::span<const Control> controls();
const Control* find(const char* name);

// Captions and tooltips above are the English source texts: the window shows them translated.
QString versionText();
QString aboutText();
QString contactAddress();

} // namespace hopsmeld::layout
