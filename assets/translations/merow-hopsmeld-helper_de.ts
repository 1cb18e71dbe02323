<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>BottlingGravity</name>
    <message>
        <source>Can&apos;t convert</source>
        <translation>Keine Zahl</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>&amp;Exit</source>
        <translation>Been&amp;den</translation>
    </message>
    <message>
        <source>Click to Exit</source>
        <translation>Klicken zum Beenden</translation>
    </message>
    <message>
        <source>Enter Original Gravity</source>
        <translation>Stammdichte eingeben</translation>
    </message>
    <message>
        <source>Enter Final Gravity</source>
        <translation>Enddichte eingeben</translation>
    </message>
    <message>
        <source>Calculate</source>
        <translation>Berechnen</translation>
    </message>
    <message>
        <source>Click to Calculate</source>
        <translation>Klicken zum Berechnen</translation>
    </message>
    <message>
        <source>Alcohol % By Volume</source>
        <translation>Alkohol in Vol.-%</translation>
    </message>
    <message>
        <source>Alcohol % By Weight</source>
        <translation>Alkohol in Gew.-%</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Click to Reset</source>
        <translation>Klicken zum Zurücksetzen</translation>
    </message>
    <message>
        <source> Alcohol % By Volume </source>
        <translation> Alkohol in Vol.-% </translation>
    </message>
    <message>
        <source>Desired Bottling Gravity</source>
        <translation>Soll-Abfülldichte</translation>
    </message>
    <message>
        <source>Send e-mail</source>
        <translation>E-Mail senden</translation>
    </message>
    <message>
        <source>Alcohol Content</source>
        <translation>Alkoholgehalt</translation>
    </message>
    <message>
        <source>Bottling Gravity</source>
        <translation>Abfülldichte</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Thank you for using Merow Hopsmeld Helper.  I am a keen home brewer and have always wanted to know how strong my finished beer really is.
The formulae for converting the gravities came from the internet.  The program also works out the bottling gravity from the start gravity and the alcohol yield you want.
Many thanks to a fellow brewer for suggesting the idea.</source>
        <translation>Danke, dass du Merow Hopsmeld Helper benutzt.  Ich braue selbst mit Begeisterung und wollte schon immer wissen, wie stark mein fertiges Bier wirklich ist.
Die Formeln zum Umrechnen der Dichten stammen aus dem Internet.  Das Programm berechnet außerdem die Abfülldichte aus der Stammdichte und dem gewünschten Alkoholgehalt.
Vielen Dank an einen Brauerkollegen für die Idee.</translation>
    </message>
    <message>
        <source>Result, written by Calculate</source>
        <translation>Ergebnis, von „Berechnen“ eingetragen</translation>
    </message>
</context>
<context>
    <name>HelpViewer</name>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>&lt;h2&gt;Cannot find the help file&lt;/h2&gt;&lt;p&gt;The help file &lt;b&gt;%1&lt;/b&gt; was not found.&lt;/p&gt;&lt;p&gt;It should be beside the program, as &lt;code&gt;%2&lt;/code&gt;.&lt;/p&gt;</source>
        <translation>&lt;h2&gt;Hilfedatei nicht gefunden&lt;/h2&gt;&lt;p&gt;Die Hilfedatei &lt;b&gt;%1&lt;/b&gt; wurde nicht gefunden.&lt;/p&gt;&lt;p&gt;Sie sollte neben dem Programm liegen, als &lt;code&gt;%2&lt;/code&gt;.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Help: cannot find %1</source>
        <translation>Hilfe: %1 nicht gefunden</translation>
    </message>
</context>
<context>
    <name>HopsmeldError</name>
    <message>
        <source>Hopsmeld Error</source>
        <translation>Hopsmeld-Fehler</translation>
    </message>
    <message>
        <source>Hey Hop Head You Can&apos;t Do That!</source>
        <translation>He, Hopfenkopf, das geht so nicht!</translation>
    </message>
</context>
<context>
    <name>MailLink</name>
    <message>
        <source>Send e-mail</source>
        <translation>E-Mail senden</translation>
    </message>
    <message>
        <source>This desktop has no mail program set up to open the e-mail link.

To write to us, copy the address:
%1</source>
        <translation>Auf diesem Desktop ist kein E-Mail-Programm für den Link eingerichtet.

Um uns zu schreiben, kopiere die Adresse:
%1</translation>
    </message>
</context>
<context>
    <name>MenuBar</name>
    <message>
        <source>&amp;Exit</source>
        <translation>B&amp;eenden</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Beer Guide</source>
        <translation>&amp;Bierratgeber</translation>
    </message>
</context>
<context>
    <name>TrayMenu</name>
    <message>
        <source>&amp;Open Hopsmeld Helper</source>
        <translation>&amp;Hopsmeld Helper öffnen</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>B&amp;eenden</translation>
    </message>
</context>
<context>
    <name>UncaughtFailure</name>
    <message>
        <source>An unexpected failure ends the program: </source>
        <translation>Ein unerwarteter Fehler beendet das Programm: </translation>
    </message>
</context>
</TS>
