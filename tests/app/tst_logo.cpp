// The logo panel over the main window: choosing, storing and loading the picture file, its bad files, and the
// picture at start.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include "DataControls.h"
#include "PainelLogo.h"
#include "SolidPng.h"
#include "U_Principal.h"
#include "WindowFixture.h"

namespace {

QString storedPath() {
    Table logo(kAliasVantejaVs2, "logo");
    logo.open();
    return logo.isEmpty() ? QStringLiteral("<no row>") : logo.fieldByName("End").asString();
}

QByteArray pngClaiming(quint32 width, quint32 height) {
    const QByteArray header = bigEndian(width) + bigEndian(height) + QByteArray::fromHex("0802000000");
    return QByteArray::fromHex("89504e470d0a1a0a") + pngChunk("IHDR", header) +
           pngChunk("IDAT", QByteArray(64, 0)) + pngChunk("IEND", QByteArray());
}

QAction* menuAction(QMenuBar* bar, const QString& text) {
    for (QAction* action : bar->findChildren<QAction*>())
        if (action->text() == text) return action;
    return nullptr;
}

}  // namespace

class LogoTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        fixture_ = std::make_unique<WindowFixture>();
        dialogs_ = &fixture_->dialogs;
        folder_ = QDir(fixture_->data.programFolder()).filePath(QString::fromUtf8("Logotipos São João"));
        QDir().mkpath(folder_);
        picture_ = file(QString::fromUtf8("marca açaí.png"));
        QImage image(120, 40, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        QVERIFY(image.save(picture_));
    }
    void cleanup() {
        principal_.reset();
        fixture_.reset();
    }

    void panelParts() {
        start();
        verifyAllBound(panel());
        QVERIFY(!panel()->isVisible());
        QCOMPARE(panel()->parentWidget(), principal_->pictureArea());
        menuAction(principal_->menuBar(), "Logomarca")->trigger();
        QVERIFY(panel()->isVisible());
    }

    // On an empty logo table the first change makes the row; storing loads the picture at once.
    void chooseStoreAndLoad() {
        start();
        QCOMPARE(storedPath(), QString("<no row>"));
        openPanel();
        dialogs_->answer(picture_);
        QTest::mouseClick(panel()->BtnAlterar, Qt::LeftButton);
        QCOMPARE(dialogs_->calls.last().caption, QString("Abrir"));
        QCOMPARE(panel()->DBEdit1->text(), picture_);
        QVERIFY(panel()->DBEdit1->hasFocus());
        QTest::mouseClick(panel()->BtnSalvar, Qt::LeftButton);
        QVERIFY(!panel()->isVisible());
        QCOMPARE(storedPath(), picture_);
        QCOMPARE(shownSize(), QSize(120, 40));
        QCOMPARE(dialogs_->kinds(), QStringList({"openPicture"}));
        // A second press has nothing to store; the X leaves the panel.
        openPanel();
        QTest::mouseClick(panel()->BtnSalvar, Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), QStringList({"openPicture", "message"}));
        QCOMPARE(dialogs_->lastText(), QString::fromUtf8("Não esta em modo de edição!"));
        QVERIFY(panel()->isVisible());
        QTest::mouseClick(panel()->X, Qt::LeftButton);
        QVERIFY(!panel()->isVisible());
    }

    // A cancelled dialog still goes on: the name chosen earlier in the run, or blank on its first use.
    void cancelledDialog() {
        addRow("logo", {{"End", picture_}});
        start();
        openPanel();
        dialogs_->answer(QVariant());  // cancelled
        QTest::mouseClick(panel()->BtnAlterar, Qt::LeftButton);
        QTest::mouseClick(panel()->BtnSalvar, Qt::LeftButton);
        QCOMPARE(storedPath(), QString());
        openPanel();
        dialogs_->answer(picture_);
        QTest::mouseClick(panel()->BtnAlterar, Qt::LeftButton);
        QTest::mouseClick(panel()->BtnSalvar, Qt::LeftButton);
        openPanel();
        dialogs_->answer(QVariant());
        QTest::mouseClick(panel()->BtnAlterar, Qt::LeftButton);
        QCOMPARE(panel()->DBEdit1->text(), picture_);
        QCOMPARE(dialogs_->kinds(), QStringList(3, "openPicture"));
    }

    // A path longer than the field holds is refused whole, never stored cut.
    void pathTooLong() {
        addRow("logo", {{"End", picture_}});
        start();
        openPanel();
        dialogs_->answer(file(QString(250, QLatin1Char('a')) + ".png"));
        QTest::mouseClick(panel()->BtnAlterar, Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), QStringList({"openPicture", "error"}));
        QVERIFY(dialogs_->lastText().contains(QString::fromUtf8("no máximo 255")));
        QCOMPARE(panel()->DBEdit1->text(), picture_);
        QTest::mouseClick(panel()->BtnSalvar, Qt::LeftButton);
        QCOMPARE(storedPath(), picture_);
    }

    void typedPathAndTheX() {
        // Typed by hand (the key simulator types plain letters only).
        const QString typed = QDir(fixture_->data.programFolder()).filePath("digitada.png");
        QVERIFY(QFile::copy(picture_, typed));
        start();
        openPanel();
        panel()->DBEdit1->setFocus();
        QTest::keyClicks(panel()->DBEdit1, typed);
        QTest::mouseClick(panel()->X, Qt::LeftButton);
        QVERIFY(!panel()->isVisible());
        QCOMPARE(panel()->DBEdit1->text(), typed);
        openPanel();
        QTest::mouseClick(panel()->BtnSalvar, Qt::LeftButton);  // the typed path was still pending
        QCOMPARE(storedPath(), typed);
        QCOMPARE(shownSize(), QSize(120, 40));
    }

    // The default from the next start on: the picture on screen stays.
    void deixarPadrao() {
        addRow("logo", {{"End", picture_}});
        start();
        QCOMPARE(shownSize(), QSize(120, 40));
        openPanel();
        QTest::mouseClick(panel()->BtnPadrao, Qt::LeftButton);
        QCOMPARE(dialogs_->lastText(), QString("Reinicie o programa para validar o comando!"));
        QVERIFY(!panel()->isVisible());
        QCOMPARE(storedPath(), QString());
        QCOMPARE(shownSize(), QSize(120, 40));
        // The next start shows the built-in picture.
        principal_.reset();
        start();
        QVERIFY(shownSize() != QSize(120, 40));
    }

    // A file that can't be shown: a Portuguese message, the old picture kept, the path stored all the same.
    void badFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "sumiu.png" << QByteArray() << QString::fromUtf8("não existe");
        QTest::newRow("not a picture") << "texto.png" << QByteArray("isto não é uma figura")
                                       << QString::fromUtf8("não é uma imagem PNG válida");
        QTest::newRow("unknown extension")
            << "marca.txt" << QByteArray("x") << QString::fromUtf8("não é de um formato de imagem conhecido");
        QTest::newRow("50 MB of noise") << QString::fromUtf8("ruído.jpg") << QByteArray(50 << 20, 'A')
                                        << QString::fromUtf8("não é uma imagem JPG válida");
        QTest::newRow("a folder") << "pasta.png" << QByteArray("dir")
                                  << QString::fromUtf8("não pode ser lido");
    }
    void badFiles() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString path = file(name);
        if (content == "dir")
            QDir().mkpath(path);
        else if (!content.isEmpty())
            writeFile(path, content);
        addRow("logo", {{"End", picture_}});
        start();
        openPanel();
        dialogs_->answer(path);
        QTest::mouseClick(panel()->BtnAlterar, Qt::LeftButton);
        QTest::mouseClick(panel()->BtnSalvar, Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), QStringList({"openPicture", "error"}));
        QVERIFY2(dialogs_->lastText().contains(reason), qPrintable(dialogs_->lastText()));
        QVERIFY(dialogs_->lastText().contains(path));
        QCOMPARE(shownSize(), QSize(120, 40));
        QCOMPARE(storedPath(), path);
    }

    // Big pictures show, read scaled down to the picture area; one whose header claims a size its file can't
    // hold is refused before it is read.
    void bigPictures_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("50 MB bitmap") << "bmp";
        QTest::newRow("8000 x 8000 PNG") << "png";
        QTest::newRow("8000 x 8000 PNG with a palette") << "palette";
    }
    void bigPictures() {
        QFETCH(QString, kind);
        QString path = file("grande.png");
        if (kind == "bmp") {
            path = file("grande.bmp");
            QImage big(4100, 4100, QImage::Format_RGB888);
            big.fill(Qt::blue);
            QVERIFY(big.save(path));
            QVERIFY(QFileInfo(path).size() > 50'000'000);
        } else {
            writeFile(path, solidPng(8000, 8000, Qt::blue, kind == "palette"));
        }
        // A PNG whose header claims 30000 × 30000 points, with hardly any data behind it.
        const QString giant = file("gigante.png");
        writeFile(giant, pngClaiming(30000, 30000));

        addRow("logo", {{"End", path}});
        start();
        QVERIFY2(dialogs_->calls.isEmpty(), qPrintable(dialogs_->lastText()));
        const QSize shown = shownSize();
        const QSize area = principal_->pictureArea()->contentsRect().size();
        QVERIFY2(shown.width() == shown.height() && shown.width() > 0 && shown.width() <= area.width() &&
                     shown.height() <= area.height(),
                 qPrintable(QStringLiteral("%1 x %2").arg(shown.width()).arg(shown.height())));
        QCOMPARE(picture()->pixmap().toImage().pixelColor(shown.width() / 2, shown.height() / 2),
                 QColor(Qt::blue));
        openPanel();
        dialogs_->answer(giant);
        QTest::mouseClick(panel()->BtnAlterar, Qt::LeftButton);
        QTest::mouseClick(panel()->BtnSalvar, Qt::LeftButton);
        QVERIFY2(dialogs_->lastText().contains("grande demais"), qPrintable(dialogs_->lastText()));
        QCOMPARE(shownSize(), shown);
    }

    // At start a bad stored path is reported, the built-in picture stays and the login follows as usual.
    void badPathAtStart() {
        addRow("logo", {{"End", file("apagado.jpg")}});
        principal_ = std::make_unique<TFPrincipal>();
        principal_->setShowLoginOnActivate(false);
        const QSize builtIn = shownSize();
        principal_->show();
        QTRY_COMPARE(dialogs_->kinds(), QStringList({"error"}));
        QTRY_VERIFY(!principal_->statusPanel(2)->text().isEmpty());  // the activation went on
        QCOMPARE(shownSize(), builtIn);
    }

private:
    void start() {
        principal_ = std::make_unique<TFPrincipal>();
        principal_->setShowLoginOnActivate(false);
        principal_->show();
        QVERIFY(QTest::qWaitForWindowExposed(principal_.get()));
        QTRY_VERIFY(!principal_->statusPanel(2)->text().isEmpty());  // shown and activated
    }
    void openPanel() { menuAction(principal_->menuBar(), "Logomarca")->trigger(); }
    TPainelLogo* panel() const { return principal_->painelLogo(); }
    QLabel* picture() const { return static_cast<QLabel*>(principal_->pictureArea()); }
    QSize shownSize() const { return picture()->pixmap().size(); }
    QString file(const QString& name) const { return QDir(folder_).filePath(name); }
    static void writeFile(const QString& path, const QByteArray& content) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }

    std::unique_ptr<WindowFixture> fixture_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<TFPrincipal> principal_;
    QString folder_;
    QString picture_;
};

QTEST_MAIN(LogoTest)
#include "tst_logo.moc"
