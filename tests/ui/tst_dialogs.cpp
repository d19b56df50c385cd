// The real message boxes: the icon, caption and buttons each kind of box shows, also when a window asks; the
// preview's saving asked through the dialogs service; a data error no handler caught, in the error box.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include "Application.h"
#include "DataError.h"
#include "NameLists.h"
#include "PreviewDialog.h"
#include "Skin.h"
#include "Unpagar.h"
#include "WindowFixture.h"

namespace {

struct Seen {
    bool shown = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QStringList buttons;
};

// Waits for the next message box, notes what it shows and presses the button captioned `press`.
void answerNextBox(Seen* seen, const QString& press) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll->deleteLater();
        poll->stop();
        seen->shown = true;
        seen->icon = box->icon();
        seen->title = box->windowTitle();
        QAbstractButton* pressed = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            seen->buttons << button->text();
            if (button->text() == press) pressed = button;
        }
        seen->buttons.sort();
        if (pressed)
            pressed->click();
        else
            box->done(0);
    });
    poll->start(10);
}

void write(const QString& fileName, const QByteArray& bytes) {
    QFile file(NameLists::pathOf(fileName));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    // Standard boxes carry their kind's icon and title; a question with its own caption has no icon.
    void boxes_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("buttons");
        const QStringList yesNo{QString::fromUtf8("&Não"), "&Sim"};
        QTest::newRow("question") << "question" << int(QMessageBox::NoIcon) << "Registro" << yesNo;
        QTest::newRow("confirmation")
            << "confirmation" << int(QMessageBox::Question) << QString::fromUtf8("Confirmação") << yesNo;
        QTest::newRow("error") << "error" << int(QMessageBox::Critical) << "Erro" << QStringList{"OK"};
        QTest::newRow("information") << "information" << int(QMessageBox::Information)
                                     << QString::fromUtf8("Informação") << QStringList{"OK"};
        QTest::newRow("message") << "message" << int(QMessageBox::NoIcon) << "Vanteja" << QStringList{"OK"};
    }
    void boxes() {
        QFETCH(QString, kind);
        QFETCH(int, icon);
        QFETCH(QString, title);
        QFETCH(QStringList, buttons);
        QApplication::setApplicationName("Vanteja");
        Dialogs& dialogs = Dialogs::current();
        Seen seen;
        answerNextBox(&seen, "&Sim");
        if (kind == "question")
            QVERIFY(dialogs.question(nullptr, "Deseja?", "Registro"));
        else if (kind == "confirmation")
            QVERIFY(dialogs.confirmation(nullptr, "Deseja?"));
        else if (kind == "error")
            dialogs.error(nullptr, "Falhou");
        else if (kind == "information")
            dialogs.information(nullptr, "Pronto");
        else
            dialogs.message(nullptr, "Pronto");
        QVERIFY(seen.shown);
        QCOMPARE(int(seen.icon), icon);
        QCOMPARE(seen.title, title);
        QCOMPARE(seen.buttons, buttons);
    }

    // The toolkit's file dialog, as the program shows it: no English left in its columns.
    void fileDialogSpeaksPortuguese() {
        Skin::apply(*qApp);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir("notas"));
        QFile file(folder.filePath("logo.png"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3000, 'x'));
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(
            file.setFileTime(QDateTime(QDate(2024, 12, 9), QTime(15, 9)), QFileDevice::FileModificationTime));
        file.close();
        QFileDialog dialog(nullptr, "Abrir", folder.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setViewMode(QFileDialog::Detail);
        dialog.show();
        auto* details = dialog.findChild<QTreeView*>("treeView");
        QVERIFY(details);
        QTRY_COMPARE(details->model()->rowCount(details->rootIndex()), 2);
        QStringList rows;
        for (int row = 0; row < 2; ++row) {
            QStringList cells;
            for (int column = 0; column < 4; ++column)
                cells << details->model()->index(row, column, details->rootIndex()).data().toString();
            rows << cells.join(" | ");
        }
        rows.sort();
        // The file's type is the system's own description of it; the rest is the program's.
        const QStringList cells = rows.first().split(" | ");
        QCOMPARE(cells.value(1), QString("2,93 KiB"));
        QCOMPARE(cells.value(3), QString("09/12/2024 15:09"));
        QVERIFY2(rows.last().startsWith("notas |  | Pasta | "), qPrintable(rows.last()));
        QCOMPARE(QCoreApplication::translate("QAbstractFileIconProvider", "Drive"), QString("Unidade"));
    }

    // The name lists' "Registro" question, asked by the payables window itself.
    void questionOfAWindow() {
        WindowFixture fixture;
        write(NameLists::kListaSaida, "AGUA\r\n");
        write(NameLists::kListaCredor, "LUZ\r\n");
        Tfpagar window;
        window.FormActivate();
        auto* name = window.control<QComboBox>("SaidaNome");
        name->lineEdit()->selectAll();
        QTest::keyClicks(name->lineEdit(), "aluguel");
        Dialogs::install(nullptr);
        Seen seen;
        answerNextBox(&seen, QString::fromUtf8("&Não"));
        window.control<QPushButton>("bt_salvar")->click();
        QVERIFY(seen.shown);
        QCOMPARE(seen.title, QString("Registro"));
        QCOMPARE(int(seen.icon), int(QMessageBox::NoIcon));
    }

    // The real preview's "Salvar PDF..." asks where through the dialogs, suggesting the report's name in the
    // documents folder; the answer gets ".pdf" when it has none, and a cancelled answer writes nothing.
    void previewSavesWhereTheDialogsSay_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("written");
        QTest::newRow("name without extension") << "relatorio de caixa"
                                                << "relatorio de caixa.pdf";
        QTest::newRow("name with extension") << "caixa.PDF"
                                             << "caixa.PDF";
        QTest::newRow("cancelled") << ""
                                   << "";
    }
    void previewSavesWhereTheDialogsSay() {
        QFETCH(QString, answer);
        QFETCH(QString, written);
        WindowFixture fixture;
        QTemporaryDir folder;
        Report::Document document;
        document.name = "Listagem";
        document.pageSize = QSizeF(210, 297);
        document.pages.resize(1);
        Report::Item text;
        text.rect = QRectF(20, 20, 100, 10);
        text.text = "TOTAL";
        document.pages[0].items << text;
        fixture.dialogs.answer(answer.isEmpty() ? QVariant() : QVariant(folder.filePath(answer)));
        QTimer::singleShot(0, qApp, [] {
            auto* preview = qobject_cast<Report::PreviewDialog*>(QApplication::activeModalWidget());
            QVERIFY(preview);
            QTest::mouseClick(preview->findChild<QToolButton*>("save"), Qt::LeftButton);
            preview->accept();
        });
        WidgetDialogs().preview(nullptr, document);
        QCOMPARE(fixture.dialogs.kinds(), QStringList{"saveFile"});
        QCOMPARE(fixture.dialogs.calls[0].caption, QString("Salvar como"));
        QVERIFY2(fixture.dialogs.calls[0].text.endsWith("/Listagem.pdf"),
                 qPrintable(fixture.dialogs.calls[0].text));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 written.isEmpty() ? QStringList() : QStringList{written});
        if (!written.isEmpty()) {
            QFile pdf(folder.filePath(written));
            QVERIFY(pdf.open(QIODevice::ReadOnly));
            QVERIFY(pdf.read(5) == "%PDF-");
        }
    }

    // A data error that escapes a handler is shown in the standard error box and the program goes on: the
    // same button fails and answers again.
    void escapedDataErrorIsShown() {
        WindowFixture fixture;
        QWidget window;
        window.setWindowTitle("Janela");
        auto* button = new QPushButton("Gravar", &window);
        int clicks = 0;
        QObject::connect(button, &QPushButton::clicked, &window, [&clicks] {
            ++clicks;
            throw DataError(QString::fromUtf8("Não foi possível gravar: o disco está cheio."));
        });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks, 2);
        QCOMPARE(fixture.dialogs.kinds(), QStringList({"error", "error"}));
        QCOMPARE(fixture.dialogs.calls[0].caption, QString("Erro"));
        QCOMPARE(fixture.dialogs.lastText(),
                 QString::fromUtf8("Não foi possível gravar: o disco está cheio."));
    }
};

// The programs' own application object, so that every event of these tests passes through it.
int main(int argc, char** argv) {
    Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    DialogsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_dialogs.moc"
