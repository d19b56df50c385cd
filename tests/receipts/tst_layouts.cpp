// The receipt and note print layouts, filled with a receipt and a note as the editor leaves them: where every
// text falls, both copies of the two-copy receipt, boxes that cut their lines, unsaved edits, the logo and
// its failures, the PDF as pdftotext reads it, and the form pictures kept clear under the texts.

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include "Filler.h"
#include "Painter.h"
#include "ScriptedDialogs.h"
#include "SolidPng.h"
#include "TempData.h"
#include "Unit2.h"

using namespace Report;

namespace {

const QString kNumber = "Nº 000001";
const QString kValue = "***100,00***";
const QString kPayer =
    "Recebi(emos) de: JOSE - CPF/CNPJ n° 123, A importância supra de: ***Cem Reais.*** - Referente a: "
    "ALUGUEL.";
const QString kImportancia = "A importância supra de: ***Cem Reais.*** ";
const QString kPlaceAndDate = "BELO HORIZONTE - MG, 05 de março de 2024";

const QString kNoteNumber = "Nº 000008";
const QString kNoteValue = "***3.000,00***";
const QString kAmount =
    "Ou a sua Ordem a quantia de ***** Três Mil Reais. *****  Em moeda corrente deste País ";
const QString kDueDate = "Vencimento, 05 de Março de 2010";

const QDateTime kPrinted(QDate(2024, 3, 5), QTime(14, 30));
const QString kPrintedText = "05/03/2024 14:30:00";

// The labels each print action sets, with the texts it composes.
FillContext labelsFor(const QString& layout) {
    FillContext context;
    context.printTime = kPrinted;
    auto set = [&context](const QStringList& names, const QString& text) {
        for (const QString& name : names)
            context.labels.insert(name, text);
    };
    if (layout == "QuickRep1") {
        set({"Lnrecibo", "QRLabel36"}, kNumber);
        set({"lvalor", "QRLabel17"}, kValue);
        set({"QRLabel4", "QRLabel34"}, kPayer);
        set({"Ldata", "Ldata2"}, kPlaceAndDate);
    } else if (layout == "Quick_1Via") {
        set({"QRLabel61"}, kNumber);
        set({"QRLabel71"}, kImportancia);
        set({"QRLabel66"}, kValue);
        set({"QRLabel63"}, kPlaceAndDate);
    } else if (layout == "QuickRep2") {
        set({"QRLabel9", "QRLabel15"}, kNumber);
        set({"QRimportancia", "QRimportancia2"}, kImportancia);
        set({"QRLabel10", "Lvalor2"}, kValue);
        set({"QRLabel13", "QRLabel20"}, kPlaceAndDate);
    } else {
        set({"numero_nota"}, kNoteNumber);
        set({"QRLabel42"}, kAmount);
        set({"QRLabel40"}, kNoteValue);
        set({"QRLabel39"}, "COMERCIO LTDA");
        set({"QRLabel51"}, "CONTAGEM - MG, 05 de março de 2024");
        set({"QRLabel50"}, kDueDate);
        set({"QRLabel54"}, "CONTAGEM - MG");
    }
    return context;
}

Layout layoutNamed(const TForm2& form, const QString& name) {
    if (name == "QuickRep1") return form.QuickRep1();
    if (name == "Quick_1Via") return form.Quick_1Via();
    if (name == "QuickRep2") return form.QuickRep2();
    return form.QuickRep4();
}

QList<Item> itemsOf(const Document& document, Item::Kind kind) {
    QList<Item> items;
    for (const Item& item : document.pages.first().items)
        if (item.kind == kind) items << item;
    return items;
}

bool near(double a, double b) {
    return qAbs(a - b) <= 0.5;
}

const Item* textAt(const Document& document, const QString& text, double top, double left) {
    for (const Item& item : document.pages.first().items)
        if (item.kind == Item::Text && item.text == text && near(item.rect.top(), top) &&
            near(item.rect.left(), left))
            return &item;
    return nullptr;
}

// Where the texts stand, for the failure message.
QString placesOf(const Document& document, const QString& text) {
    QStringList places;
    for (const Item& item : document.pages.first().items)
        if (item.kind == Item::Text && item.text == text)
            places << QString("%1 / %2").arg(item.rect.top()).arg(item.rect.left());
    return QString("\"%1\" at [%2]").arg(text, places.join(", "));
}

#define VERIFY_AT(document, text, top, left) \
    QVERIFY2(textAt(document, text, top, left), qPrintable(placesOf(document, text)))

// The lines a wrapped box printed, top to bottom.
QStringList linesIn(const Document& document, const QRectF& box) {
    QStringList lines;
    for (const Item& item : document.pages.first().items)
        if (item.kind == Item::Text && qAbs(item.rect.left() - box.left()) < 0.01 &&
            item.rect.top() >= box.top() - 0.01 && item.rect.top() < box.bottom())
            lines << item.text;
    return lines;
}

bool imageAt(const Document& document, const QRectF& rect, const QImage& image) {
    for (const Item& item : itemsOf(document, Item::Image))
        if (near(item.rect.left(), rect.left()) && near(item.rect.top(), rect.top()) &&
            near(item.rect.width(), rect.width()) && near(item.rect.height(), rect.height()) &&
            item.image == image)
            return true;
    return false;
}

// Where a text item's line falls on the page: its measured width, placed as aligned in its box.
QRectF inkOf(const Item& item) {
    const double width = textWidth(item.text, item.font);
    double left = item.rect.left();
    if (item.alignment & Qt::AlignHCenter) left += (item.rect.width() - width) / 2;
    if (item.alignment & Qt::AlignRight) left += item.rect.width() - width;
    return QRectF(left, item.rect.top(), width, lineHeight(item.font));
}

// The line less the top and bottom of its height that only accents and descenders reach.
QRectF lettersOf(const Item& item) {
    const QRectF ink = inkOf(item);
    return ink.adjusted(0, ink.height() * 0.1, 0, -ink.height() * 0.1);
}

// From the top of the capitals to the baseline.
QRectF aboveBaselineOf(const Item& item) {
    const QRectF ink = inkOf(item);
    return ink.adjusted(0, ink.height() * 0.1, 0, -ink.height() * 0.22);
}

QString pdfText(const QString& file) {
    QProcess process;
    process.start("pdftotext", {"-layout", file, "-"});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

class LayoutsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        data_ = std::make_unique<TempData>();
        dialogs_ = std::make_unique<ScriptedDialogs>();
        addRow("cadastro.db", {{"Codigo", 1},
                               {"Reci", "JOSE"},
                               {"Cpfpagador", "123"},
                               {"Valor2", "100,00"},
                               {"End", "RUA DAS FLORES, 10"},
                               {"Importancia", "Cem Reais."},
                               {"Referente", "ALUGUEL"},
                               {"Cidade", "BELO HORIZONTE"},
                               {"UF", "MG"},
                               {"Dia mes", "05 de março de 2024"},
                               {"Emitente", "IMOBILIARIA CENTRAL"},
                               {"Cpf", "11.222.333/0001-44"},
                               {"Rgemitente", "MG-1234"},
                               {"End2", "AV. AFONSO PENA, 1500"},
                               {"Obs_recibo", "PAGO EM DINHEIRO"}});
        addRow("BD_NP.db", {{"Codigo", 8},
                            {"Valor", "3.000,00"},
                            {"Aos", "QUINZE DIAS DE ABRIL"},
                            {"Pagarei", "COMERCIO LTDA"},
                            {"Cpf", "99.888.777/0001-66"},
                            {"Dia", 5},
                            {"Mes", "Março"},
                            {"Ano", 2010},
                            {"Ou", "Três Mil Reais."},
                            {"Cidade", "CONTAGEM"},
                            {"Uf", "MG"},
                            {"Data extenso", "05 de março de 2024"},
                            {"Emitente", "MARIA SOUZA"},
                            {"Cpf_emitente", "123.456.789-00"},
                            {"Rg_emitente", "MG-99"},
                            {"End_emitente", "RUA A, 1"},
                            {"Msg", "SEM JUROS"}});
        recibo_ = std::make_unique<Table>(kAliasVantejaVs2, "cadastro.db");
        nota_ = std::make_unique<Table>(kAliasVantejaVs2, "BD_NP.db");
        recibo_->open();
        nota_->open();
        recibo_->last();
        nota_->last();
    }
    void cleanup() {
        recibo_.reset();
        nota_.reset();
        dialogs_.reset();
        data_.reset();
    }

    // Every label the print actions set, by name, and where it prints: each layout has exactly these labels.
    void labelsByName_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("left");
        auto row = [](const char* layout, const char* name, double top, double left) {
            QTest::addRow("%s %s", layout, name) << QString(layout) << QString(name) << top << left;
        };
        row("QuickRep1", "Lnrecibo", 12, 12);
        row("QuickRep1", "lvalor", 36, 146);
        row("QuickRep1", "QRLabel4", 57, 25);
        row("QuickRep1", "Ldata", 102, 119);
        row("QuickRep1", "QRLabel36", 144, 15);
        row("QuickRep1", "QRLabel17", 161, 148);
        row("QuickRep1", "QRLabel34", 180, 28);
        row("QuickRep1", "Ldata2", 229, 116);
        row("Quick_1Via", "QRLabel61", 12, 12);
        row("Quick_1Via", "QRLabel66", 40, 148);
        row("Quick_1Via", "QRLabel71", 68.5, 19);
        row("Quick_1Via", "QRLabel63", 93, 19);
        row("QuickRep2", "QRLabel9", 12, 12);
        row("QuickRep2", "QRLabel10", 40, 148);
        row("QuickRep2", "QRimportancia", 68.5, 19);
        row("QuickRep2", "QRLabel13", 93, 19);
        row("QuickRep2", "QRLabel15", 150, 23);
        row("QuickRep2", "Lvalor2", 175.5, 148);
        row("QuickRep2", "QRimportancia2", 204, 19);
        row("QuickRep2", "QRLabel20", 228.5, 19);
        row("QuickRep4", "QRLabel50", 32, 23);
        row("QuickRep4", "numero_nota", 38, 93);
        row("QuickRep4", "QRLabel40", 38, 156);
        row("QuickRep4", "QRLabel39", 60.5, 29);
        row("QuickRep4", "QRLabel42", 70, 27);
        row("QuickRep4", "QRLabel54", 83, 50);
        row("QuickRep4", "QRLabel51", 90, 129);
    }
    void labelsByName() {
        QFETCH(QString, layout);
        QFETCH(QString, name);
        QFETCH(double, top);
        QFETCH(double, left);
        TForm2 form(recibo_.get(), nota_.get());
        const Layout filled = layoutNamed(form, layout);

        QStringList names;
        auto collect = [&names](const QList<Element>& elements) {
            for (const Element& element : elements)
                if (element.kind == ElementKind::Label) {
                    names << element.name;
                    QVERIFY(element.text.isEmpty() || element.text.startsWith("QRLabel"));
                }
        };
        collect(filled.pageElements);
        for (const Band& band : filled.bands)
            collect(band.elements);
        QStringList expected = labelsFor(layout).labels.keys();
        names.sort();
        expected.sort();
        QCOMPARE(names, expected);

        // Each label set to a short mark of its own (a text wider than its box is cut), so that a label put
        // in the other copy's place shows.
        FillContext context;
        for (const QString& each : names)
            context.labels.insert(each, QStringLiteral("<%1>").arg(names.indexOf(each)));
        const Document document = fill(filled, context);
        QCOMPARE(document.pages.size(), 1);
        VERIFY_AT(document, QStringLiteral("<%1>").arg(names.indexOf(name)), top, left);
    }

    // Both copies of the personalised receipt, from the top-left corner of the sheet; no picture.
    void personalisedReceipt() {
        TForm2 form(recibo_.get(), nota_.get());
        const Document document = fill(form.QuickRep1(), labelsFor("QuickRep1"));
        QCOMPARE(document.pages.size(), 1);
        QCOMPARE(document.zoom, Zoom::WholePage);
        QVERIFY(!document.maximised);

        const QStringList texts = document.texts();
        QCOMPARE(texts.count(kPrintedText), 1);
        VERIFY_AT(document, kPrintedText, 4, 11);
        struct Place {
            QString text;
            double top, left;
        };
        const QList<Place> places = {
            {kNumber, 12, 12},
            {"RECIBO", 16, 93},
            {"Valor R$", 36, 129},
            {kValue, 36, 146},
            {"IMOBILIARIA CENTRAL", 116, 119},
            {"RG/IE Nº ", 123, 119},
            {"MG-1234", 123, 138},
            {"CPF/CNPJ Nº ", 131, 119},
            {"11.222.333/0001-44", 131, 148},
            {kNumber, 144, 15},
            {"RECIBO", 146, 95},
            {"Valor R$", 161, 131},
            {kValue, 161, 148},
            {"IMOBILIARIA CENTRAL", 250, 116},
            {"RG/IE Nº ", 256, 116},
            {"MG-1234", 256, 136},
            {"CPF/CNPJ Nº ", 265, 116},
            {"11.222.333/0001-44", 265, 146},
        };
        for (const Place& place : places) {
            VERIFY_AT(document, place.text, place.top, place.left);
            QCOMPARE(texts.count(place.text), 2);
        }
        QCOMPARE(textAt(document, kValue, 36, 146)->font.size, 12.0);
        QVERIFY(textAt(document, kValue, 36, 146)->font.underline);
        QVERIFY(textAt(document, kNumber, 144, 15)->font.bold);

        // The payer sentence and the declaration wrap inside their boxes, whole.
        QCOMPARE(linesIn(document, QRectF(25, 57, 161, 19)).join(' '), kPayer);
        QCOMPARE(linesIn(document, QRectF(28, 180, 161, 19)).join(' '), kPayer);
        QCOMPARE(linesIn(document, QRectF(119, 102, 70, 13)).join(' '), kPlaceAndDate);
        QCOMPARE(linesIn(document, QRectF(116, 229, 70, 13)).join(' '), kPlaceAndDate);
        const QStringList declaration = linesIn(document, QRectF(25, 76, 161, 11));
        QVERIFY(declaration.size() >= 2);
        QVERIFY(declaration.join(' ').endsWith("pelo valor recebido."));
        QCOMPARE(linesIn(document, QRectF(28, 201, 161, 11)), declaration);

        const QList<Item> lines = itemsOf(document, Item::Line);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0].rect, QRectF(QPointF(15, 140), QPointF(195, 140)));
        QVERIFY(itemsOf(document, Item::Image).isEmpty());
        QVERIFY(!texts.contains("Observações:"));
    }

    // The standard receipt in one copy: the form, the texts in it, the default logo, the time at top and
    // bottom.
    void standardReceipt() {
        TForm2 form(recibo_.get(), nota_.get());
        const Document document = fill(form.Quick_1Via(), labelsFor("Quick_1Via"));
        QCOMPARE(document.pages.size(), 1);
        QCOMPARE(document.zoom, Zoom::PageWidth);
        QVERIFY(document.maximised);

        const QStringList texts = document.texts();
        QCOMPARE(texts.count(kPrintedText), 2);
        VERIFY_AT(document, kPrintedText, 4, 11);
        VERIFY_AT(document, kPrintedText, 281.5, 11);
        VERIFY_AT(document, kNumber, 12, 12);
        VERIFY_AT(document, "Nº", 40, 23);
        VERIFY_AT(document, "000001", 40, 30);
        VERIFY_AT(document, "R$", 40, 138);
        VERIFY_AT(document, kValue, 40, 148);
        VERIFY_AT(document, "Recebi(emos) de:", 57, 19);
        VERIFY_AT(document, "JOSE", 57, 49);
        VERIFY_AT(document, "Endereço:", 63, 19);
        VERIFY_AT(document, "RUA DAS FLORES, 10", 63, 38);
        VERIFY_AT(document, kImportancia, 68.5, 19);
        VERIFY_AT(document, "Referente:", 78, 19);
        VERIFY_AT(document, "ALUGUEL", 78, 38);
        VERIFY_AT(document, kPlaceAndDate, 93, 19);
        VERIFY_AT(document, "Emitente:", 108, 21);
        VERIFY_AT(document, "IMOBILIARIA CENTRAL", 108, 40);
        VERIFY_AT(document, "Endereço:", 114, 21);
        VERIFY_AT(document, "AV. AFONSO PENA, 1500", 114, 40);
        VERIFY_AT(document, "11.222.333/0001-44", 121, 89);
        VERIFY_AT(document, "CPF/CNPJ Nº ", 125, 100);
        VERIFY_AT(document, "Observações:", 133, 15);
        VERIFY_AT(document, "PAGO EM DINHEIRO", 133, 36);

        // The number and the issuer's CPF are centred in 40 mm.
        for (const auto& [text, top, left] : {std::tuple{QString("000001"), 40.0, 30.0},
                                              std::tuple{QString("11.222.333/0001-44"), 121.0, 89.0}}) {
            const Item* item = textAt(document, text, top, left);
            QCOMPARE(item->rect.width(), 40.0);
            QCOMPARE(item->alignment, Qt::AlignHCenter);
        }
        QCOMPARE(textAt(document, kPlaceAndDate, 93, 19)->font.size, 11.0);

        const QList<Item> images = itemsOf(document, Item::Image);
        QCOMPARE(images.size(), 2);
        QVERIFY(imageAt(document, QRectF(13, 30, 178, 102), TForm2::receiptForm()));
        QVERIFY(imageAt(document, QRectF(148, 106, 32, 21), TForm2::defaultLogo()));
        QCOMPARE(images[0].image.size(), QSize(992, 567));
        QVERIFY(!texts.contains("MG-1234"));  // the issuer's RG is not on the standard receipt
    }

    // Two copies on one sheet: the lower one 135.5 mm below the upper, under the separating line, with its
    // own number line, labels and logo.
    void twoCopiesOnOnePage() {
        TForm2 form(recibo_.get(), nota_.get());
        const Document document = fill(form.QuickRep2(), labelsFor("QuickRep2"));
        QCOMPARE(document.pages.size(), 1);
        QCOMPARE(document.zoom, Zoom::PageWidth);
        QVERIFY(document.maximised);

        const QStringList texts = document.texts();
        VERIFY_AT(document, kPrintedText, 4, 11);
        VERIFY_AT(document, kPrintedText, 281.5, 11);
        VERIFY_AT(document, kNumber, 12, 12);
        VERIFY_AT(document, kNumber, 150, 23);
        struct Place {
            QString text;
            double top, left;
        };
        const QList<Place> upper = {
            {"Nº", 40, 23},
            {"000001", 40, 30},
            {kValue, 40, 148},
            {"JOSE", 57, 49},
            {"RUA DAS FLORES, 10", 63, 38},
            {kImportancia, 68.5, 19},
            {"ALUGUEL", 78, 38},
            {kPlaceAndDate, 93, 19},
            {"IMOBILIARIA CENTRAL", 108, 40},
            {"AV. AFONSO PENA, 1500", 114, 40},
            {"11.222.333/0001-44", 121, 89},
            {"CPF/CNPJ Nº ", 125, 100},
            {"PAGO EM DINHEIRO", 133, 36},
        };
        for (const Place& place : upper) {
            VERIFY_AT(document, place.text, place.top, place.left);
            VERIFY_AT(document, place.text, place.top + 135.5, place.left);
            QCOMPARE(texts.count(place.text), 2);
        }
        QCOMPARE(textAt(document, kImportancia, 204, 19)->font.family, QString("MS Sans Serif"));
        QCOMPARE(textAt(document, kImportancia, 68.5, 19)->font.family, QString("Arial"));

        const QList<Item> lines = itemsOf(document, Item::Line);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0].rect, QRectF(QPointF(19, 146), QPointF(191, 146)));
        QVERIFY(textAt(document, kNumber, 150, 23)->rect.top() > lines[0].rect.top());

        QCOMPARE(itemsOf(document, Item::Image).size(), 4);
        QVERIFY(imageAt(document, QRectF(13, 30, 178, 102), TForm2::receiptForm()));
        QVERIFY(imageAt(document, QRectF(13, 165.5, 178, 102), TForm2::receiptForm()));
        QVERIFY(imageAt(document, QRectF(148, 106, 32, 21), TForm2::defaultLogo()));
        QVERIFY(imageAt(document, QRectF(154, 241, 32, 21), TForm2::defaultLogo()));
    }

    // The note inside its framed band; the payee's CPF/CNPJ and the debtor's RG are not printed.
    void promissoryNote() {
        TForm2 form(recibo_.get(), nota_.get());
        const Document document = fill(form.QuickRep4(), labelsFor("QuickRep4"));
        QCOMPARE(document.pages.size(), 1);
        QCOMPARE(document.zoom, Zoom::WholePage);
        QVERIFY(!document.maximised);

        VERIFY_AT(document, kDueDate, 32, 23);
        VERIFY_AT(document, kNoteNumber, 38, 93);
        VERIFY_AT(document, kNoteValue, 38, 156);
        VERIFY_AT(document, "NOTA PROMISSÓRIA", 40.5, 25);
        VERIFY_AT(document, "Ao (s)", 50, 25);
        VERIFY_AT(document, "QUINZE DIAS DE ABRIL", 50, 38);
        VERIFY_AT(document, "pagarei por esta única via de nota promissória", 55, 25);
        VERIFY_AT(document, "à", 60.5, 25);
        VERIFY_AT(document, "COMERCIO LTDA", 60.5, 29);
        VERIFY_AT(document, "Pagável em", 83, 25);
        VERIFY_AT(document, "CONTAGEM - MG", 83, 50);
        VERIFY_AT(document, "EMITENTE", 89, 25);
        VERIFY_AT(document, "MARIA SOUZA", 89, 50);
        VERIFY_AT(document, "CONTAGEM - MG, 05 de março de 2024", 90, 129);
        VERIFY_AT(document, "CPF / CNPJ", 95.5, 25);
        VERIFY_AT(document, "123.456.789-00", 95.5, 50);
        VERIFY_AT(document, "Endereço", 102, 25);
        VERIFY_AT(document, "RUA A, 1", 102, 50);
        VERIFY_AT(document, "assinatura", 108, 156);
        VERIFY_AT(document, "Observações:", 117, 21);
        VERIFY_AT(document, "SEM JUROS", 117, 42);
        QCOMPARE(linesIn(document, QRectF(27, 70, 163, 9)).join(' '), kAmount);

        for (const auto& [text, bold] : {std::pair{kNoteNumber, false}, std::pair{kNoteValue, true}}) {
            const Item* item = textAt(document, text, 38, text == kNoteNumber ? 93 : 156);
            QCOMPARE(item->rect.width(), 34.0);
            QCOMPARE(item->alignment, Qt::AlignHCenter);
            QCOMPARE(item->font.size, 14.0);
            QCOMPARE(item->font.bold, bold);
        }
        QCOMPARE(textAt(document, "NOTA PROMISSÓRIA", 40.5, 25)->font.family, QString("Arial Black"));

        const QStringList texts = document.texts();
        QVERIFY(!texts.contains("99.888.777/0001-66"));
        QVERIFY(!texts.contains("MG-99"));

        QList<Item> frames = itemsOf(document, Item::Rect);
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames[0].rect, QRectF(10, 23.5, 190, 99.5));
        QList<QRectF> lines;
        for (const Item& line : itemsOf(document, Item::Line))
            lines << line.rect;
        QCOMPARE(lines, QList<QRectF>({QRectF(QPointF(38, 53.4), QPointF(191, 53.4)),
                                       QRectF(QPointF(29, 64), QPointF(190, 64)),
                                       QRectF(QPointF(129, 93.4), QPointF(193, 93.4)),
                                       QRectF(QPointF(129, 106), QPointF(193, 106))}));
        const QList<Item> images = itemsOf(document, Item::Image);
        QCOMPARE(images.size(), 1);
        QVERIFY(imageAt(document, QRectF(12, 26, 186.5, 91), TForm2::noteForm()));
        QCOMPARE(images[0].image.size(), QSize(850, 425));
    }

    // Boxes that do not grow: the lines that do not fit are left out, nothing prints below the box.
    void longTextsAreCut_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("label");  // empty: the text is a field of the record
        QTest::addColumn<QString>("fieldName");
        QTest::addColumn<QRectF>("box");
        QTest::addColumn<int>("lines");
        QTest::addRow("payer sentence, upper copy") << "QuickRep1"
                                                    << "QRLabel4"
                                                    << "" << QRectF(25, 57, 161, 19) << 4;
        QTest::addRow("payer sentence, lower copy") << "QuickRep1"
                                                    << "QRLabel34"
                                                    << "" << QRectF(28, 180, 161, 19) << 4;
        QTest::addRow("importância line") << "Quick_1Via"
                                          << "QRLabel71"
                                          << "" << QRectF(19, 68.5, 165, 9) << 2;
        QTest::addRow("importância line, lower copy") << "QuickRep2"
                                                      << "QRimportancia2"
                                                      << "" << QRectF(19, 204, 165, 9) << 2;
        QTest::addRow("amount sentence") << "QuickRep4"
                                         << "QRLabel42"
                                         << "" << QRectF(27, 70, 163, 9) << 2;
        QTest::addRow("issuer's address") << "Quick_1Via"
                                          << ""
                                          << "End2" << QRectF(40, 114, 108, 9) << 2;
        QTest::addRow("debtor's address") << "QuickRep4"
                                          << ""
                                          << "End_emitente" << QRectF(50, 102, 74, 9) << 2;
    }
    void longTextsAreCut() {
        QFETCH(QString, layout);
        QFETCH(QString, label);
        QFETCH(QString, fieldName);
        QFETCH(QRectF, box);
        QFETCH(int, lines);
        // As many words as the field holds; a label takes any length.
        QStringList words;
        for (int i = 1; (words.join(' ') + QString(" palavra%1").arg(i)).size() <= 180; ++i)
            words << QString("palavra%1").arg(i);
        if (!label.isEmpty()) words << words << words;
        const QString longText = words.join(' ');

        FillContext context = labelsFor(layout);
        if (!label.isEmpty()) {
            context.labels.insert(label, longText);
        } else {
            Table* view = layout == "QuickRep4" ? nota_.get() : recibo_.get();
            view->edit();
            view->fieldByName(fieldName).setAsString(longText);
        }
        TForm2 form(recibo_.get(), nota_.get());
        const Document document = fill(layoutNamed(form, layout), context);
        const QStringList printed = linesIn(document, box);
        QCOMPARE(printed.size(), lines);
        QVERIFY(longText.startsWith(printed.join(' ')));
        QVERIFY(printed.join(' ').size() < longText.size());
        for (const Item& item : document.pages[0].items)
            if (item.kind == Item::Text && item.text.contains("palavra"))
                QVERIFY2(item.rect.bottom() <= box.bottom() + 0.01, qPrintable(item.text));
    }

    // Fields print the record as it is being edited, before it is saved; the number with six digits.
    void unsavedEditsPrint() {
        recibo_->edit();
        recibo_->fieldByName("Codigo").setAsInteger(42);
        recibo_->fieldByName("Reci").setAsString("MARIA DAS GRACAS");
        recibo_->fieldByName("Emitente").setAsString("NOVO EMITENTE");
        nota_->edit();
        nota_->fieldByName("Emitente").setAsString("JOAO PEREIRA");
        TForm2 form(recibo_.get(), nota_.get());

        for (const QString name : {"QuickRep1", "Quick_1Via", "QuickRep2", "QuickRep4"}) {
            const QStringList texts = fill(layoutNamed(form, name), labelsFor(name)).texts();
            if (name == "QuickRep4") {
                QVERIFY(texts.contains("JOAO PEREIRA"));
                QVERIFY(!texts.contains("MARIA SOUZA"));
                continue;
            }
            QCOMPARE(texts.count("NOVO EMITENTE"), name == "Quick_1Via" ? 1 : 2);
            QVERIFY(!texts.contains("IMOBILIARIA CENTRAL"));
            if (name != "QuickRep1") {
                QCOMPARE(texts.count("000042"), name == "QuickRep2" ? 2 : 1);
                QVERIFY(texts.contains("MARIA DAS GRACAS"));
                QVERIFY(!texts.contains("JOSE"));
            }
        }
        // Printing neither saves nor abandons the edit.
        QCOMPARE(recibo_->state(), Dataset::State::Edit);
        QCOMPARE(nota_->state(), Dataset::State::Edit);
        Table stored(kAliasVantejaVs2, "cadastro.db");
        stored.open();
        QCOMPARE(stored.fieldByName("Reci").asString(), QString("JOSE"));
    }

    // No path stored: the default logo in every standard copy, and no message.
    void defaultLogoWithoutPath() {
        addRow("logo.db", {{"End", ""}});
        TForm2 form(recibo_.get(), nota_.get());
        const QImage logo = TForm2::defaultLogo();
        QCOMPARE(logo.size(), QSize(675, 180));
        QCOMPARE(form.QRImage5, logo);
        QCOMPARE(form.QRImage7, logo);
        QCOMPARE(form.QRImage6, logo);
        QVERIFY(dialogs_->calls.isEmpty());
    }

    // A readable picture is loaded into the three logos and stretched to 32 x 21 mm in every standard copy.
    void logoFromFile() {
        const QString file = QDir(data_->programFolder()).filePath("logo.png");
        QImage picture(300, 100, QImage::Format_RGB32);
        picture.fill(QColor(200, 0, 0));
        QVERIFY(picture.save(file));
        addRow("logo.db", {{"End", file}});
        addRow("logo.db", {{"End", file + ".nada"}});  // only the first record counts

        TForm2 form(recibo_.get(), nota_.get());
        QVERIFY(dialogs_->calls.isEmpty());
        for (const QImage& logo : {form.QRImage5, form.QRImage7, form.QRImage6}) {
            QCOMPARE(logo.size(), QSize(300, 100));
            QCOMPARE(logo.pixelColor(150, 50), QColor(200, 0, 0));
        }
        const Document one = fill(form.Quick_1Via(), labelsFor("Quick_1Via"));
        const Document two = fill(form.QuickRep2(), labelsFor("QuickRep2"));
        QVERIFY(imageAt(one, QRectF(148, 106, 32, 21), form.QRImage5));
        QVERIFY(imageAt(two, QRectF(148, 106, 32, 21), form.QRImage7));
        QVERIFY(imageAt(two, QRectF(154, 241, 32, 21), form.QRImage6));

        // Painted over its whole box, and no further.
        const QImage page = renderPage(two, 0, 4.0);
        for (const QPointF& mm : {QPointF(148.5, 106.5), QPointF(185.5, 262), QPointF(170, 250)})
            QCOMPARE(page.pixelColor(int(mm.x() * 4), int(mm.y() * 4)), QColor(200, 0, 0));
        QVERIFY(page.pixelColor(int(187 * 4), int(250 * 4)) != QColor(200, 0, 0));
        QVERIFY(itemsOf(fill(form.QuickRep1(), labelsFor("QuickRep1")), Item::Image).isEmpty());
    }

    // A large picture is read scaled down to what the finest print puts in the logo's box.
    void largeLogo() {
        const QString file = QDir(data_->programFolder()).filePath("grande.png");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(solidPng(8000, 8000, QColor(0, 120, 0)));
        out.close();
        addRow("logo.db", {{"End", file}});

        TForm2 form(recibo_.get(), nota_.get());
        QVERIFY2(dialogs_->calls.isEmpty(), qPrintable(dialogs_->lastText()));
        const QImage& logo = form.QRImage5;
        QVERIFY2(
            logo.width() <= 32 * 600 / 25.4 + 1 && logo.height() <= 21 * 600 / 25.4 + 1 && !logo.isNull(),
            qPrintable(QStringLiteral("%1 x %2").arg(logo.width()).arg(logo.height())));
        QCOMPARE(logo.pixelColor(logo.width() / 2, logo.height() / 2), QColor(0, 120, 0));
        QVERIFY(imageAt(fill(form.Quick_1Via(), labelsFor("Quick_1Via")), QRectF(148, 106, 32, 21), logo));
    }

    // A logo that can't be read: one error box naming the file, the default logo, and the print goes on.
    void unreadableLogo_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("contents");  // empty: no file
        QTest::addRow("missing file") << "sumiu.bmp" << QByteArray();
        QTest::addRow("not a picture") << "texto.png" << QByteArray("isto não é uma figura");
    }
    void unreadableLogo() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, contents);
        const QString file = QDir(data_->programFolder()).filePath(fileName);
        if (!contents.isEmpty()) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(contents);
        }
        addRow("logo.db", {{"End", file}});

        TForm2 form(recibo_.get(), nota_.get());
        QCOMPARE(dialogs_->kinds(), QStringList({"error"}));
        QVERIFY(dialogs_->lastText().contains(QDir::toNativeSeparators(file)));
        QVERIFY(dialogs_->lastText().contains("logomarca"));
        for (const QImage& logo : {form.QRImage5, form.QRImage7, form.QRImage6})
            QCOMPARE(logo, TForm2::defaultLogo());
        const Document document = fill(form.QuickRep2(), labelsFor("QuickRep2"));
        QCOMPARE(document.pages.size(), 1);
        QVERIFY(imageAt(document, QRectF(148, 106, 32, 21), TForm2::defaultLogo()));
        QCOMPARE(dialogs_->calls.size(), 1);
    }

    // Each layout as a PDF, read back as text laid out.
    void pdfOfEachLayout_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QStringList>("patterns");
        QTest::addColumn<int>("copies");  // of the value line
        QTest::addRow("personalised") << "QuickRep1"
                                      << QStringList{"RECIBO",
                                                     "Nº 000001",
                                                     "Valor R\\$\\s+\\*\\*\\*100,00\\*\\*\\*",
                                                     "Recebi\\(emos\\) de: JOSE - CPF/CNPJ n° 123",
                                                     "irrevogável quitação",
                                                     "BELO HORIZONTE - MG, 05 de março",
                                                     "CPF/CNPJ Nº\\s+11.222.333/0001-44"}
                                      << 2;
        QTest::addRow("one copy") << "Quick_1Via"
                                  << QStringList{"Nº 000001",
                                                 "Nº\\s+000001\\s+R\\$\\s+\\*\\*\\*100,00\\*\\*\\*",
                                                 "Recebi\\(emos\\) de:\\s+JOSE",
                                                 "A importância supra de: \\*\\*\\*Cem Reais.\\*\\*\\*",
                                                 "Referente:\\s+ALUGUEL",
                                                 kPlaceAndDate,
                                                 "Emitente:\\s+IMOBILIARIA CENTRAL",
                                                 "Observações:\\s+PAGO EM DINHEIRO"}
                                  << 1;
        QTest::addRow("two copies") << "QuickRep2"
                                    << QStringList{"Recebi\\(emos\\) de:\\s+JOSE", "Referente:\\s+ALUGUEL",
                                                   "Endereço:\\s+AV. AFONSO PENA, 1500"}
                                    << 2;
        QTest::addRow("note") << "QuickRep4"
                              << QStringList{"NOTA PROMISSÓRIA",
                                             kDueDate,
                                             "Nº 000008",
                                             "Ao \\(s\\)\\s+QUINZE DIAS DE ABRIL",
                                             "pagarei por esta única via de nota promissória",
                                             "Ou a sua Ordem a quantia de \\*\\*\\*\\*\\* Três Mil Reais",
                                             "Pagável em\\s+CONTAGEM - MG",
                                             "EMITENTE\\s+MARIA SOUZA",
                                             "CPF / CNPJ\\s+123.456.789-00",
                                             "assinatura",
                                             "Observações:\\s+SEM JUROS"}
                              << 0;
    }
    void pdfOfEachLayout() {
        QFETCH(QString, layout);
        QFETCH(QStringList, patterns);
        QFETCH(int, copies);
        TForm2 form(recibo_.get(), nota_.get());
        const Document document = fill(layoutNamed(form, layout), labelsFor(layout));
        const QString file = QDir(data_->programFolder()).filePath(layout + ".pdf");
        QString error;
        QVERIFY2(writePdf(document, file, &error), qPrintable(error));
        if (qEnvironmentVariableIsSet("VANTEJA_TEST_OUTPUT")) {
            const QString copy = qEnvironmentVariable("VANTEJA_TEST_OUTPUT") + "/" + layout + ".pdf";
            QFile::remove(copy);
            QFile::copy(file, copy);
        }
        const QString text = pdfText(file);
        for (const QString& pattern : patterns)
            QVERIFY2(text.contains(QRegularExpression(pattern)), qPrintable(pattern + "\n" + text));
        QCOMPARE(text.count("***100,00***"), copies);
        if (layout == "QuickRep4") QVERIFY(text.contains(kNoteValue));
    }

    // Where a text prints over a form, the form is blank under its letters; no line crosses a text and no two
    // texts run into each other.
    void textsStandClear_data() {
        QTest::addColumn<QString>("layout");
        for (const char* name : {"QuickRep1", "Quick_1Via", "QuickRep2", "QuickRep4"})
            QTest::newRow(name) << QString(name);
    }
    void textsStandClear() {
        QFETCH(QString, layout);
        TForm2 form(recibo_.get(), nota_.get());
        const Document document = fill(layoutNamed(form, layout), labelsFor(layout));
        QList<Item> forms;
        for (const Item& image : itemsOf(document, Item::Image))
            if (image.image.size() != TForm2::defaultLogo().size()) forms << image;
        const QList<Item> texts = itemsOf(document, Item::Text);
        for (const Item& item : texts) {
            const QRectF ink = inkOf(item);
            for (const Item& picture : forms) {
                if (!picture.rect.intersects(ink)) continue;
                QVERIFY2(picture.rect.contains(ink), qPrintable(item.text + " runs off the form"));
                const double sx = picture.image.width() / picture.rect.width();
                const double sy = picture.image.height() / picture.rect.height();
                const QRect pixels(QPoint(int((ink.left() - picture.rect.left()) * sx),
                                          int((ink.top() - picture.rect.top()) * sy)),
                                   QPoint(int((ink.right() - picture.rect.left()) * sx),
                                          int((ink.bottom() - picture.rect.top()) * sy)));
                for (int y = pixels.top(); y <= pixels.bottom(); ++y)
                    for (int x = pixels.left(); x <= pixels.right(); ++x)
                        QVERIFY2(qGray(picture.image.pixel(x, y)) > 180,
                                 qPrintable(QString("%1 over the form's drawing at %2 / %3 mm")
                                                .arg(item.text)
                                                .arg(picture.rect.top() + y / sy)
                                                .arg(picture.rect.left() + x / sx)));
            }
        }
        for (const Item& line : itemsOf(document, Item::Line)) {
            const QRectF stroke = QRectF(line.rect.topLeft(), line.rect.bottomRight())
                                      .adjusted(0, -line.lineWidth / 2, 0, line.lineWidth / 2);
            for (const Item& item : texts)
                QVERIFY2(!aboveBaselineOf(item).intersects(stroke),
                         qPrintable(item.text + " crossed by a line"));
        }
        for (int i = 0; i < texts.size(); ++i)
            for (int j = i + 1; j < texts.size(); ++j)
                QVERIFY2(!lettersOf(texts[i]).intersects(lettersOf(texts[j])),
                         qPrintable(texts[i].text + " / " + texts[j].text));
    }

private:
    std::unique_ptr<TempData> data_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::unique_ptr<Table> recibo_;
    std::unique_ptr<Table> nota_;
};

QTEST_MAIN(LayoutsTest)
#include "tst_layouts.moc"
