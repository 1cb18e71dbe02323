#include "form1_layout.h"

#include "program_version.h"

#include <QCoreApplication>

#include <array>
#include <cstring>

namespace hopsmeld::layout {

namespace {

constexpr QRgb kLabelText = 0x004040;
constexpr QRgb kAboutText = 0x0000FF;
constexpr auto kSystem = std::nullopt;
constexpr Font W = Font::Window;
constexpr Kind Tab = Kind::TabControl, Frame = Kind::Frame, Label = Kind::Label,
               Link = Kind::LinkLabel, Box = Kind::TextBox, Button = Kind::Button;

// clang-format off
constexpr std::array<Control, 27> kControls{{
//   name       kind    container tab caption                                                 tooltip                                           left  top   width height idx colour      font            labelledBy result
    {"SSTab1",  Tab,    "Form1",  -1, "",                                                     nullptr,                                          120,  0,    4575, 4695, 0,  kSystem,    W,              nullptr,   false},
    {"Cmd3",    Button, "Form1",  -1, QT_TRANSLATE_NOOP("Form1", "&Exit"),                    QT_TRANSLATE_NOOP("Form1", "Click to Exit"),      1920, 4800, 975,  375,  11, kSystem,    W,              nullptr,   false},
    // "Alcohol Content"
    {"Label1",  Label,  "SSTab1", 0,  QT_TRANSLATE_NOOP("Form1", "Enter Original Gravity"),   nullptr,                                          600,  1020, 1935, 255,  6,  kLabelText, W,              nullptr,   false},
    {"txt1",    Box,    "SSTab1", 0,  "",                                                     nullptr,                                          2280, 900,  1455, 375,  1,  kSystem,    W,              "Label1",  false},
    {"Label2",  Label,  "SSTab1", 0,  QT_TRANSLATE_NOOP("Form1", "Enter Final Gravity"),      nullptr,                                          600,  1680, 1695, 255,  7,  kLabelText, W,              nullptr,   false},
    {"txt2",    Box,    "SSTab1", 0,  "",                                                     nullptr,                                          2280, 1500, 1455, 375,  2,  kSystem,    W,              "Label2",  false},
    {"cmd1",    Button, "SSTab1", 0,  QT_TRANSLATE_NOOP("Form1", "Calculate"),                QT_TRANSLATE_NOOP("Form1", "Click to Calculate"), 2400, 2100, 1215, 375,  3,  kSystem,    W,              nullptr,   false},
    {"Label3",  Label,  "SSTab1", 0,  QT_TRANSLATE_NOOP("Form1", "Alcohol % By Volume"),      nullptr,                                          600,  2820, 1935, 255,  8,  kLabelText, W,              nullptr,   false},
    {"txt3",    Box,    "SSTab1", 0,  "",                                                     nullptr,                                          2280, 2700, 1455, 375,  4,  kSystem,    W,              "Label3",  true},
    {"Label4",  Label,  "SSTab1", 0,  QT_TRANSLATE_NOOP("Form1", "Alcohol % By Weight"),      nullptr,                                          600,  3480, 1935, 255,  9,  kLabelText, W,              nullptr,   false},
    {"txt4",    Box,    "SSTab1", 0,  "",                                                     nullptr,                                          2280, 3360, 1455, 375,  5,  kSystem,    W,              "Label4",  true},
    {"Cmd2",    Button, "SSTab1", 0,  QT_TRANSLATE_NOOP("Form1", "Reset"),                    QT_TRANSLATE_NOOP("Form1", "Click to Reset"),     2400, 3960, 1215, 375,  10, kSystem,    W,              nullptr,   false},
    // "Bottling Gravity"
    {"Label5",  Label,  "SSTab1", 1,  QT_TRANSLATE_NOOP("Form1", "Enter Original Gravity"),   nullptr,                                          600,  1020, 1935, 255,  21, kLabelText, W,              nullptr,   false},
    {"txt5",    Box,    "SSTab1", 1,  "",                                                     nullptr,                                          2280, 900,  1455, 375,  16, kSystem,    W,              "Label5",  false},
    {"Label7",  Label,  "SSTab1", 1,  QT_TRANSLATE_NOOP("Form1", " Alcohol % By Volume "),    nullptr,                                          600,  1680, 2055, 255,  22, kLabelText, W,              nullptr,   false},
    {"txt6",    Box,    "SSTab1", 1,  "",                                                     nullptr,                                          2280, 1500, 1455, 375,  17, kSystem,    W,              "Label7",  false},
    {"Label10", Label,  "SSTab1", 1,  QT_TRANSLATE_NOOP("Form1", "Alcohol % By Weight"),      nullptr,                                          600,  2280, 1935, 255,  23, kLabelText, W,              nullptr,   false},
    {"txt7",    Box,    "SSTab1", 1,  "",                                                     nullptr,                                          2280, 2100, 1455, 375,  18, kSystem,    W,              "Label10", false},
    {"Cmd4",    Button, "SSTab1", 1,  QT_TRANSLATE_NOOP("Form1", "Calculate"),                QT_TRANSLATE_NOOP("Form1", "Click to Calculate"), 2400, 2700, 1215, 375,  19, kSystem,    W,              nullptr,   false},
    {"Label11", Label,  "SSTab1", 1,  QT_TRANSLATE_NOOP("Form1", "Desired Bottling Gravity"), nullptr,                                          600,  3480, 2175, 255,  24, kLabelText, W,              nullptr,   false},
    {"txt8",    Box,    "SSTab1", 1,  "",                                                     nullptr,                                          2280, 3360, 1455, 375,  20, kSystem,    W,              "Label11", true},
    {"Cmd5",    Button, "SSTab1", 1,  QT_TRANSLATE_NOOP("Form1", "Reset"),                    QT_TRANSLATE_NOOP("Form1", "Click to Reset"),     2400, 3960, 1215, 375,  25, kSystem,    W,              nullptr,   false},
    // "About"
    {"Frame2",  Frame,  "SSTab1", 2,  "",                                                     nullptr,                                          240,  480,  4095, 3975, 12, kSystem,    W,              nullptr,   false},
    {"Label6",  Label,  "Frame2", -1, "Merow Hopsmeld Helper",                                nullptr,                                          120,  240,  1935, 255,  13, kAboutText, W,              nullptr,   false},
    {"Label8",  Label,  "Frame2", -1, "",                                                     nullptr,                                          120,  600,  975,  255,  14, kAboutText, W,              nullptr,   false},
    {"Label9",  Label,  "Frame2", -1, "",                                                     nullptr,                                          120,  960,  3735, 2415, 15, kSystem,    W,              nullptr,   false},
    // Wider than the 1935 twips an address of ten letters or so would need, and centred in the
    // frame as that box was: our address is 27 characters long.
    {"Lbl12",   Link,   "Frame2", -1, "",                                                     QT_TRANSLATE_NOOP("Form1", "Send e-mail"),        660,  3240, 2775, 255,  26, kAboutText, Font::MailLink, nullptr,   false},
}};
// clang-format on

} // namespace

QStringList tabCaptions() {
    return {QCoreApplication::translate("Form1", "Alcohol Content"),
            QCoreApplication::translate("Form1", "Bottling Gravity"),
            QCoreApplication::translate("Form1", "About")};
}

std::span<const Control> controls() {
    return kControls;
}

const Control* find(const char* name) {
    for (const Control& control : kControls) {
        if (std::strcmp(control.name, name) == 0)
            return &control;
    }
    return nullptr;
}

QString versionText() {
    return QCoreApplication::translate("Form1", "Version %1").arg(QStringLiteral(HOPSMELD_VERSION));
}

QString aboutText() {
    // Three passages, each on a line of its own.
    return QCoreApplication::translate(
        "Form1",
        "Thank you for using Merow Hopsmeld Helper.  I am a keen home brewer and have always "
        "wanted to know how strong my finished beer really is.\n"
        "The formulae for converting the gravities came from the internet.  The program also "
        "works out the bottling gravity from the start gravity and the alcohol yield you want.\n"
        "Many thanks to a fellow brewer for suggesting the idea.");
}

QString contactAddress() {
    return QStringLiteral(HOPSMELD_CONTACT);
}

} // namespace hopsmeld::layout
