// Receipts with a PIX code: beside the amount in each copy of the three receipt layouts when a key is set,
// clear of every text and line, asking for the receipt's amount with its number as reference, and read back
// from the PDF; without a key the layouts stay as they are.

#include <QTemporaryDir>
#include <QtTest>

#include "Filler.h"
#include "Painter.h"
#include "Pix.h"
#include "QrDecoder.h"
#include "ScriptedDialogs.h"
#include "TempData.h"
#include "Unit2.h"

using namespace Report;

namespace {

Pix::Receiver imobiliaria() {
    Pix::Receiver receiver;
    receiver.kind = Pix::KeyKind::Telephone;
    receiver.key = "+55 31 98888-7777";
    receiver.name = "Imobiliária Central";
    receiver.city = "Belo Horizonte";
    return receiver;
}

Layout layoutNamed(const TForm2& form, const QString& name) {
    if (name == "QuickRep1") return form.QuickRep1();
    if (name == "Quick_1Via") return form.Quick_1Via();
    return form.QuickRep2();
}

// Every label of a layout set to a long text, so that what could run under a code does.
FillContext longLabels(const Layout& layout) {
    FillContext context;
    context.printTime = QDateTime(QDate(2024, 3, 5), QTime(14, 30));
    QList<Element> all = layout.pageElements;
    for (const Band& band : layout.bands)
        all << band.elements;
    for (const Element& e : all)
        if (e.kind == ElementKind::Label)
            context.labels.insert(e.name, e.wordWrap ? QString("A importância supra de: ").repeated(8)
                                                     : QString("***1.234.567,89***"));
    return context;
}

QRectF inkOf(const Item& item) {
    if (item.kind == Item::Text) {
        const double width = textWidth(item.text, item.font);
        double left = item.rect.left();
        if (item.alignment & Qt::AlignHCenter) left += (item.rect.width() - width) / 2;
        if (item.alignment & Qt::AlignRight) left += item.rect.width() - width;
        return QRectF(left, item.rect.top(), width, lineHeight(item.font));
    }
    if (item.kind == Item::Line) return QRectF(item.rect.topLeft(), item.rect.bottomRight()).normalized();
    return {};
}

}  // namespace

class PixReciboTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        data_ = std::make_unique<TempData>();
        dialogs_ = std::make_unique<ScriptedDialogs>();
        addRow("cadastro.db", {{"Codigo", 42},
                               {"Reci", QString("JOSE DA SILVA PEREIRA DOS SANTOS ").repeated(3)},
                               {"Valor2", "1.234,56"},
                               {"End", QString("RUA DAS FLORES, 10, BAIRRO ").repeated(4)},
                               {"Referente", "ALUGUEL"},
                               {"Emitente", "IMOBILIARIA CENTRAL"},
                               {"Cpf", "11.222.333/0001-81"}});
        recibo_ = std::make_unique<Table>(kAliasVantejaVs2, "cadastro.db");
        nota_ = std::make_unique<Table>(kAliasVantejaVs2, "BD_NP.db");
        recibo_->open();
        nota_->open();
        recibo_->last();
    }
    void cleanup() {
        recibo_.reset();
        nota_.reset();
        dialogs_.reset();
        data_.reset();
    }

    void codes_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QList<QPointF>>("places");  // top-left corner of each code
        QTest::newRow("personalised") << "QuickRep1" << QList<QPointF>{{105, 27}, {107, 155}};
        QTest::newRow("standard") << "Quick_1Via" << QList<QPointF>{{165, 53}};
        QTest::newRow("two copies") << "QuickRep2" << QList<QPointF>{{165, 53}, {165, 188.5}};
    }
    void codes() {
        QFETCH(QString, layout);
        QFETCH(QList<QPointF>, places);
        Pix::save(imobiliaria());
        TForm2 form(recibo_.get(), nota_.get());
        const Layout withCode = layoutNamed(form, layout);
        const Document document = fill(withCode, longLabels(withCode));
        QCOMPARE(document.pages.size(), 1);
        const QList<Item>& items = document.pages.first().items;

        Pix::Charge charge;
        charge.centavos = 123456;
        charge.reference = "Recibo000042";
        const QString expected = Pix::payload(imobiliaria(), charge);
        QList<QPointF> found;
        for (const Item& code : items) {
            if (code.kind != Item::QrCode) continue;
            found << code.rect.topLeft();
            QCOMPARE(code.text, expected);
            QVERIFY(code.rect.width() >= 22);
            for (const Item& other : items)
                QVERIFY2(!inkOf(other).intersects(code.rect), qPrintable(other.text));
        }
        QCOMPARE(found, places);

        QTemporaryDir dir;
        const QString pdf = dir.filePath("recibo.pdf");
        QVERIFY(writePdf(document, pdf));
        QCOMPARE(decodeQrCodes(renderPdfPage(pdf, 1, 300, dir.filePath("p"))),
                 QStringList(places.size(), expected));
    }

    // An amount that does not read as money leaves it to the payer; an incomplete key prints no code.
    void amountOrNoCode_data() {
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("city");
        QTest::addColumn<int>("codes");
        QTest::addColumn<bool>("amount");
        QTest::newRow("amount") << "150,00"
                                << "BH" << 1 << true;
        QTest::newRow("not an amount") << "cento e cinquenta"
                                       << "BH" << 1 << false;
        QTest::newRow("key without city") << "150,00"
                                          << "" << 0 << false;
    }
    void amountOrNoCode() {
        QFETCH(QString, valor);
        QFETCH(QString, city);
        QFETCH(int, codes);
        QFETCH(bool, amount);
        recibo_->edit();
        recibo_->fieldByName("Valor2").setAsString(valor);
        Pix::Receiver receiver = imobiliaria();
        receiver.city = city;
        Pix::save(receiver);
        TForm2 form(recibo_.get(), nota_.get());
        QStringList texts;
        const Document document = fill(form.Quick_1Via());
        for (const Item& item : document.pages.first().items)
            if (item.kind == Item::QrCode) texts << item.text;
        QCOMPARE(texts.size(), codes);
        if (codes) QCOMPARE(texts.first().contains("5406150.00"), amount);
    }

private:
    std::unique_ptr<TempData> data_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::unique_ptr<Table> recibo_;
    std::unique_ptr<Table> nota_;
};

QTEST_MAIN(PixReciboTest)
#include "tst_pixrecibo.moc"
