// A masked box gives back exactly the characters in their places, blanks included, whether they were typed
// or put there by the program.

#include <QSignalSpy>
#include <QtTest>

#include "MaskEdit.h"

class MaskedTextTest : public QObject {
    Q_OBJECT

private slots:
    void charactersKeepTheirPlaces_data() {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("text");
        const QString date = "!99/99/0000;1;_";
        const QString postal = "00000\\-999;1;_";
        const QString phone = "!\\(99\\)0000-0000;1;_";
        QTest::newRow("postal code, one blank") << postal << "3013 -010";
        QTest::newRow("postal code, blank at the start") << postal << " 0130-010";
        QTest::newRow("postal code, blank at the end") << postal << "30130-01 ";
        QTest::newRow("date, blank in the year") << date << "02/02/2 05";
        QTest::newRow("date, blank in the day") << date << " 2/02/2005";
        QTest::newRow("date, blanks here and there") << date << "0 / 2/ 0 5";
        QTest::newRow("date, full") << date << "05/11/2024";
        QTest::newRow("date, empty") << date << "  /  /    ";
        QTest::newRow("phone, blank in the number") << phone << "(31)32 2-4444";
    }
    void charactersKeepTheirPlaces() {
        QFETCH(QString, mask);
        QFETCH(QString, text);
        MaskEdit box;
        box.setEditMask(mask);
        QSignalSpy edited(&box, &QLineEdit::textEdited);
        box.setMaskedText(text);
        QCOMPARE(box.maskedText(), text);
        QCOMPARE(edited.count(), 0);  // the program's own text is not typing

        // Typed place by place, the blanks skipped: the same text, and read back the same again.
        MaskEdit typed;
        typed.setEditMask(mask);
        for (int i = 0; i < text.size(); ++i) {
            if (!text[i].isDigit()) continue;  // a blank, or a literal the mask writes itself
            typed.setCursorPosition(i);
            QTest::keyClick(&typed, text[i].toLatin1());
        }
        QCOMPARE(typed.maskedText(), text);
        typed.setMaskedText(typed.maskedText());
        QCOMPARE(typed.maskedText(), text);
    }

    // A character a place does not take leaves it blank instead of moving on to a later place.
    void unfitCharacterLeavesItsPlaceBlank() {
        MaskEdit date;
        date.setEditMask("!99/99/0000;1;_");
        date.setMaskedText("0x/02/2005");
        QCOMPARE(date.maskedText(), QString("0 /02/2005"));
    }
};

QTEST_MAIN(MaskedTextTest)
#include "tst_maskedtext.moc"
