// The calculators' event handlers, timed in-process: each mirror key release and each
// Calculate, against text boxes that only hold their text and a host whose cue plays nothing,
// so the numbers are the handlers' own work.
#include "alcohol_content.h"
#include "bottling_gravity.h"
#include "calc_host.h"

#include <QtTest>

using namespace hopsmeld;

namespace {

class QuietBox : public TextBox {
  public:
    QString text() const override { return text_; }
    void setText(const QString& text) override { text_ = text; }
    void type(const QString& text) { text_ = text; }

  private:
    QString text_;
};

class QuietHost : public CalcHost {
  public:
    void showTypeMismatch() override { ++messages; }
    void playCue() override { ++cues; }
    int messages = 0;
    int cues = 0;
};

struct AlcoholTab {
    QuietHost host;
    QuietBox txt1, txt2, txt3, txt4;
    AlcoholContent calc{{txt1, txt2, txt3, txt4}, host, QLocale::system()};
};

struct BottlingTab {
    QuietHost host;
    QuietBox txt5, txt6, txt7, txt8;
    BottlingGravity calc{{txt5, txt6, txt7, txt8}, host, QLocale::system()};
};

} // namespace

class HandlersBench : public QObject {
    Q_OBJECT

  private slots:
    void cmd1Click() {
        AlcoholTab tab;
        tab.txt1.type(QStringLiteral("1.050"));
        tab.txt2.type(QStringLiteral("1.010"));
        QBENCHMARK {
            tab.calc.cmd1Click();
        }
        QCOMPARE(tab.txt3.text(), QStringLiteral("5.25%"));
    }

    // Nonsense typed: the handler ends in a type mismatch (the message itself is the host's).
    void cmd1ClickMismatch() {
        AlcoholTab tab;
        tab.txt1.type(QStringLiteral("1.050"));
        tab.txt2.type(QStringLiteral("abc"));
        QBENCHMARK {
            tab.calc.cmd1Click();
        }
        QVERIFY(tab.host.messages > 0);
    }

    void txt6Change() {
        BottlingTab tab;
        tab.txt6.type(QStringLiteral("5.25"));
        QBENCHMARK {
            tab.calc.txt6Change();
        }
        QCOMPARE(tab.txt7.text(), QStringLiteral("4.20"));
    }

    void txt7Change() {
        BottlingTab tab;
        tab.txt7.type(QStringLiteral("4.20"));
        QBENCHMARK {
            tab.calc.txt7Change();
        }
        QCOMPARE(tab.txt6.text(), QStringLiteral("5.25"));
    }

    // A key that leaves no number (the first "-" of a negative, say): "Can't convert".
    void txt6ChangeNotANumber() {
        BottlingTab tab;
        tab.txt6.type(QStringLiteral("-"));
        QBENCHMARK {
            tab.calc.txt6Change();
        }
        QCOMPARE(tab.txt7.text(), QStringLiteral("Can't convert"));
    }

    void Cmd4Click() {
        BottlingTab tab;
        tab.txt5.type(QStringLiteral("1.050"));
        tab.txt6.type(QStringLiteral("5.25"));
        tab.calc.txt6Change();
        QBENCHMARK {
            tab.calc.Cmd4Click();
        }
        QVERIFY(!tab.txt8.text().isEmpty());
        QVERIFY(tab.host.cues > 0);
    }

    void Cmd4ClickMismatch() {
        BottlingTab tab;
        tab.txt5.type(QStringLiteral("abc"));
        QBENCHMARK {
            tab.calc.Cmd4Click();
        }
        QVERIFY(tab.host.messages > 0);
    }
};

QTEST_GUILESS_MAIN(HandlersBench)
#include "bench_handlers.moc"
