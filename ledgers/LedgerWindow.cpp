#include "LedgerWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QShortcut>
#include <QStringListModel>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

#include "Carne.h"
#include "Clock.h"
#include "DBGrid.h"
#include "DataControls.h"
#include "DataError.h"
#include "Database.h"
#include "Dialogs.h"
#include "EditorKit.h"
#include "Extrato.h"
#include "Filler.h"
#include "NameLists.h"
#include "Numbering.h"
#include "Pictures.h"
#include "ScreenFit.h"
#include "SheetExport.h"
#include "Skin.h"
#include "Table.h"
#include "Values.h"

using namespace Ledger;
namespace LF = LedgerFilters;

namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

QList<TableModel::Column> columns(const QList<Column>& list) {
    QList<TableModel::Column> result;
    for (const Column& c : list)
        result << TableModel::Column{u(c.field), u(c.title), c.width};
    return result;
}

const QString kValor = QStringLiteral("Valordocumento");
const QString kFantasia = QStringLiteral("Fantasia");
const QString kPagamento = QStringLiteral("DataPagamento");

// A view filtered anew reads its rows once: showing every row in between, as switching the filter off first
// would, reads the whole ledger for nothing.
void refilter(Table* view, const QString& expression) {
    view->setFilter(expression);  // applied at once when the view is filtered already
    view->setFiltered(true);
}

}  // namespace

LedgerWindow::LedgerWindow(const Twin& twin, QWidget* parent) : QDialog(parent), twin_(twin) {
    setWindowTitle(u(twin.caption));
    created_ = Clock::today();
    ledger = new Table(kAliasVantejaVs2, u(twin.table), this);
    ledger->setObjectName(twin.payables ? QStringLiteral("tbpagar") : QStringLiteral("tbreceber"));
    if (*twin.index) ledger->setIndexName(u(twin.index));
    reminder = new Table(kAliasVantejaVs2, u(twin.table), this);
    reminder->setObjectName(u(twin.reminderTable));
    // Each view opens on the rows its first filter keeps: the whole ledger is not read only to be filtered
    // a moment later.
    refilter(reminder, LF::dueOn(Values::dateToText(created_)));
    if (twin.payables) refilter(ledger, LF::unpaid(LF::kEmptyDate, LF::kEmptyDate));
    if (twin.payables) {
        ledger->open();
        reminder->open();
    } else {
        reminder->open();
        ledger->open();
    }
    if (twin.payables) connect(ledger, &Dataset::stateChanged, this, &LedgerWindow::FormActivate);
}

void LedgerWindow::build() {
    FormActivate();  // the masks the boxes take when they are bound
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(4, 4, 4, 4);
    PageControl1 = new QTabWidget(content);
    name(PageControl1, QStringLiteral("PageControl1"));
    PageControl1->addTab(buildRecordTab(), QStringLiteral("Cadastro "));
    PageControl1->addTab(buildSearchTab(), QStringLiteral("Pesquisa"));
    contentLayout->addWidget(PageControl1);
    layout->addWidget(ScreenFit::scrolling(content, this));
    connect(PageControl1, &QTabWidget::tabBarClicked, this, [this](int index) {
        if (index != PageControl1->currentIndex()) {
            PageControl1->setCurrentIndex(index);
            PageControl1Change(index);
        }
    });

    auto shortcut = [this](QKeySequence key, auto action) {
        auto* s = new QShortcut(key, this);
        connect(s, &QShortcut::activated, this, action);
    };
    shortcut(QKeySequence(Qt::Key_PageUp), &LedgerWindow::btnVoltarClick);
    shortcut(QKeySequence(Qt::Key_PageDown), &LedgerWindow::btnAvancarClick);
    shortcut(QKeySequence(Qt::Key_Insert), &LedgerWindow::novo);
    shortcut(QKeySequence(Qt::Key_F2), &LedgerWindow::foco);

    replaceEntries(control<QComboBox>(u(twin_.nameBox)), NameLists::designEntries(twin_.nameList));
    replaceEntries(control<QComboBox>(u(twin_.referenceBox)), NameLists::designEntries(twin_.referenceList));
    // Opening the payables ledger ran the activation before the boxes were there.
    if (twin_.payables) loadLists();

    connect(ledger, &Dataset::afterScroll, this, &LedgerWindow::afterScroll);
    connect(ledger, &Dataset::beforeEdit, this, [this] { setEditing(true); });
    connect(ledger, &Dataset::afterPost, this, [this] {
        setEditing(false);
        if (twin_.payables) {
            TotalRegistros->setText(QString::number(ledger->recordCount()));
            totalizar();
        }
    });
}

LedgerWindow::~LedgerWindow() = default;

void LedgerWindow::createSteps() {
    const QString today = Values::dateToText(created_);
    if (QWidget* overdue = controls_.value(QStringLiteral("atrazadas")))
        static_cast<MaskEdit*>(overdue)->setMaskedText(today);
    MaskEdit4->setMaskedText(today);
    MaskEdit6->setMaskedText(today);
    Ldata_dia->setText(today);
    Aviso();
    Aviso_Total();
    recordFilter(twin_.payables ? NaoPaga : Todas);
    setEditing(false);
    afterScroll();
    connectChangeHandlers();
    PageControl1->setCurrentIndex(Cadastro);
}

void LedgerWindow::name(QWidget* widget, const QString& objectName) {
    widget->setObjectName(objectName);
    controls_.insert(objectName, widget);
}

QWidget* LedgerWindow::control(const QString& objectName) const {
    if (QWidget* widget = controls_.value(objectName)) return widget;
    throw DataError(QStringLiteral("A janela não tem o controle '%1'").arg(objectName));
}

QWidget* LedgerWindow::box(const char* objectName) const {
    return control(u(objectName));
}

// ---- Building

QGroupBox* LedgerWindow::buildBoxes(QWidget* parent, const char* title, const QList<Box>& boxes,
                                    bool beside) {
    auto* group = new QGroupBox(u(title), parent);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);
    int row = 0, column = 0;
    for (const Box& b : boxes) {
        const QString field = u(b.field);
        auto* caption = new QLabel(u(b.caption), group);
        QWidget* widget = nullptr;
        if (b.kind == BoxKind::Memo) {
            auto* memo = new DBMemo(group);
            memo->setDataSource(ledger, field);
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            widget = memo;
            MemoInstruc = memo;
        } else if (b.kind == BoxKind::Combo) {
            auto* combo = new DBComboBox(group);
            combo->setEditable(true);
            // Sized by the layout, not by its longest name: measuring a list of a hundred thousand names
            // would keep the window from opening for seconds.
            combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            combo->setMinimumContentsLength(20);
            combo->setCharCase(MaskEdit::CharCase::Upper);
            combo->setDataSource(ledger, field);
            widget = combo;
        } else {
            auto* edit = new DBEdit(group);
            edit->setCharCase(MaskEdit::CharCase::Upper);
            edit->setDataSource(ledger, field);
            widget = edit;
            if (field == kValor) {
                QFont font = edit->font();
                font.setPointSize(14);
                font.setBold(true);
                edit->setFont(font);
                edit->setStyleSheet(QStringLiteral("color: blue; background: #ffffe1;"));
            }
        }
        name(widget, u(b.name));
        if (*b.hint) widget->setToolTip(u(b.hint));
        QWidget* cell = widget;
        for (const SaveButton& save : twin_.saveButtons) {
            if (u(save.box) != u(b.name)) continue;
            cell = new QWidget(group);
            auto* row = new QHBoxLayout(cell);
            row->setContentsMargins(0, 0, 0, 0);
            row->setSpacing(2);
            widget->setParent(cell);
            row->addWidget(widget, 1);
            QPushButton* button = Skin::pushButton(QStringLiteral("Salvar"), u(save.name), cell);
            controls_.insert(u(save.name), button);
            button->setToolTip(QStringLiteral("Salva nome saida para adição futuras"));
            QFont small = button->font();
            small.setPointSizeF(small.pointSizeF() * 0.8);
            button->setFont(small);
            button->setStyleSheet(QStringLiteral("color: gray;"));
            button->setEnabled(false);
            connect(button, &QPushButton::clicked, this, [this, &save] { saveClick(save); });
            row->addWidget(button);
        }
        if (twin_.nameListFromClients && u(b.name) == u(twin_.nameBox))
            connect(static_cast<DBComboBox*>(widget), &DBComboBox::dropDown, this,
                    &LedgerWindow::DBComNomeDropDown);
        if (b.clickable) {
            QFont font = caption->font();
            font.setUnderline(true);
            caption->setFont(font);
            caption->setCursor(Qt::PointingHandCursor);
            caption->installEventFilter(this);
            caption->setObjectName(field == QLatin1String("Codigo") ? QStringLiteral("Label2")
                                                                    : QStringLiteral("Label11"));
        }
        const bool wide = b.kind != BoxKind::Edit;
        if (wide && column == 1) {
            ++row;
            column = 0;
        }
        if (beside && !wide) {
            // Caption and box on one line, two pairs a line.
            grid->addWidget(caption, row, column * 2);
            grid->addWidget(widget, row, column * 2 + 1);
        } else if (beside) {
            grid->addWidget(caption, row++, 0, 1, 4);
            grid->addWidget(widget, row, 0, 1, 4);
        } else {
            grid->addWidget(caption, row * 2, column, 1, wide ? 2 : 1);
            grid->addWidget(cell, row * 2 + 1, column, 1, wide ? 2 : 1);
        }
        if (wide || column == 1) {
            ++row;
            column = 0;
        } else {
            column = 1;
        }
    }
    if (beside) grid->setRowStretch(row, 1);
    // Enter and Tab follow the order of the description.
    for (int i = 1; i < boxes.size(); ++i)
        setTabOrder(box(boxes[i - 1].name), box(boxes[i].name));
    for (const Box& b : boxes)
        if (b.kind != BoxKind::Memo) box(b.name)->installEventFilter(this);
    return group;
}

QWidget* LedgerWindow::buildRecordTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* bar = new QHBoxLayout;
    auto button = [&](const QString& objectName, const QString& text, const QString& hint) {
        QPushButton* b = Skin::pushButton(text, objectName, page);
        controls_.insert(objectName, b);
        if (!hint.isEmpty()) b->setToolTip(hint);
        bar->addWidget(b);
        return b;
    };
    btnPrimeiro = button(QStringLiteral("btnPrimeiro"), QString(), QStringLiteral("Primeiro Registro"));
    btnVoltar = button(QStringLiteral("btnVoltar"), QString(), QStringLiteral("Registro Anterior (PgUp)"));
    btnAvancar = button(QStringLiteral("btnAvancar"), QString(), QStringLiteral("Próximo Registro (PgDn)"));
    btnUltimo = button(QStringLiteral("btnUltimo"), QString(), QStringLiteral("Último Registro"));
    const DBNavigator::Button icons[] = {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next,
                                         DBNavigator::Last};
    QPushButton* moves[] = {btnPrimeiro, btnVoltar, btnAvancar, btnUltimo};
    for (int i = 0; i < 4; ++i)
        moves[i]->setIcon(Pictures::navigatorIcon(icons[i]));
    btnnovo = button(QStringLiteral("btnnovo"), u(twin_.newCaption), u(twin_.newHint));
    btngravar = button(QStringLiteral("btngravar"), QStringLiteral("&Gravar"), QString());
    btncancelar = button(QStringLiteral("btncancelar"), QStringLiteral("&Cancelar"), QString());
    btnDelete = button(u(twin_.deleteName), u(twin_.deleteCaption), QString());
    btnSearch = button(u(twin_.searchName), QString(), QStringLiteral("Pesquisar Contas!"));
    btnSearch->setIcon(QIcon(Pictures::toolbarIcon(QStringLiteral("Fluxo Caixa"))));
    connect(btnPrimeiro, &QPushButton::clicked, this, &LedgerWindow::btnPrimeiroClick);
    connect(btnVoltar, &QPushButton::clicked, this, &LedgerWindow::btnVoltarClick);
    connect(btnAvancar, &QPushButton::clicked, this, &LedgerWindow::btnAvancarClick);
    connect(btnUltimo, &QPushButton::clicked, this, &LedgerWindow::btnUltimoClick);
    connect(btnnovo, &QPushButton::clicked, this, &LedgerWindow::btnnovoClick);
    connect(btngravar, &QPushButton::clicked, this, &LedgerWindow::btngravarClick);
    connect(btncancelar, &QPushButton::clicked, this, &LedgerWindow::btncancelarClick);
    connect(btnDelete, &QPushButton::clicked, this, &LedgerWindow::deleteClick);
    connect(btnSearch, &QPushButton::clicked, this, &LedgerWindow::searchAccountsClick);
    addToolButtons(bar);
    bar->addStretch(1);
    for (QPushButton* b : {btnPrimeiro, btnVoltar, btnAvancar, btnUltimo, btngravar, btncancelar})
        b->setEnabled(false);
    layout->addLayout(bar);

    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* top = new QHBoxLayout;
    top->addWidget(buildBoxes(page, twin_.dataGroup, twin_.dataBoxes, false), 3);

    auto* status = new QGroupBox(QStringLiteral("Status"), page);
    auto* statusLayout = new QVBoxLayout(status);
    PgNpg = new QLabel(status);
    name(PgNpg, QStringLiteral("PgNpg"));
    PgNpg->setStyleSheet(QStringLiteral("font-weight: bold; color: maroon;"));
    DBText1 = new DBText(status);
    name(DBText1, QStringLiteral("DBText1"));
    DBText1->setDataSource(ledger, kPagamento);
    DBText1->setToolTip(QStringLiteral("Data do Pagamento!"));
    // The date keeps its place while hidden: the group and everything beside and below it stay still.
    QSizePolicy keepPlace = DBText1->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    DBText1->setSizePolicy(keepPlace);
    settleButton = Skin::pushButton(QStringLiteral("Quitar Agora"), u(twin_.settleName), status);
    controls_.insert(u(twin_.settleName), settleButton);
    settleButton->setToolTip(QStringLiteral("Clique aqui para mudar Status desta conta!"));
    connect(settleButton, &QPushButton::clicked, this, &LedgerWindow::settleClick);
    // Both widths fixed for their widest text, so the group keeps its size whatever the record holds.
    QFont bold = PgNpg->font();
    bold.setBold(true);
    const QFontMetrics statusMetrics(bold);
    PgNpg->setFixedWidth(qMax(statusMetrics.horizontalAdvance(u(twin_.paidStatus)),
                              statusMetrics.horizontalAdvance(QStringLiteral("Não Paga"))) +
                         4);
    DBText1->setMinimumWidth(statusMetrics.horizontalAdvance(QStringLiteral("00/00/0000")) + 4);
    statusLayout->setSpacing(4);
    // "Paga em" and its date read as one line.
    auto* statusLine = new QHBoxLayout;
    statusLine->addWidget(PgNpg);
    statusLine->addWidget(DBText1, 1);
    statusLayout->addLayout(statusLine);
    statusLayout->addWidget(settleButton);
    statusLayout->addWidget(pictureArea(status), 1);
    top->addWidget(status, 1);
    left->addLayout(top);

    GroupBox2 = buildBoxes(page, twin_.chequeGroup, twin_.chequeBoxes, true);
    controls_.insert(QStringLiteral("GroupBox2"), GroupBox2);
    auto* showReminder = new QLabel(QStringLiteral("M"), GroupBox2);
    name(showReminder, u(twin_.showReminderName));
    showReminder->setToolTip(u(twin_.showReminderHint));
    showReminder->setCursor(Qt::PointingHandCursor);
    showReminder->setStyleSheet(QStringLiteral("font-weight: bold; color: navy;"));
    showReminder->installEventFilter(this);
    static_cast<QGridLayout*>(GroupBox2->layout())->addWidget(showReminder, 2, 3, Qt::AlignRight);
    if (twin_.payables) {
        GroupBox2->setFixedHeight(256);
        MemoInstruc->setFixedHeight(33);
    } else {
        MemoInstruc->setFixedHeight(60);
    }
    left->addWidget(GroupBox2);
    left->addStretch(1);
    body->addLayout(left, 1);
    body->addWidget(buildSidePanel(page));
    layout->addLayout(body, 1);
    layout->addWidget(buildReminder(page));
    return page;
}

QWidget* LedgerWindow::buildSidePanel(QWidget* parent) {
    auto* side = new QWidget(parent);
    side->setFixedWidth(360);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Localizar"), side));
    Edit1 = new MaskEdit(side);
    name(Edit1, QStringLiteral("Edit1"));
    Edit1->setCharCase(MaskEdit::CharCase::Upper);
    connect(Edit1, &QLineEdit::textChanged, this, &LedgerWindow::Edit1Change);
    layout->addWidget(Edit1);

    auto* captionRow = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        if (!*twin_.captionNames[i]) continue;
        auto* caption = new QLabel(u(twin_.captionTexts[i]), side);
        name(caption, u(twin_.captionNames[i]));
        caption->setStyleSheet(QStringLiteral("font-weight: bold; color: navy;"));
        caption->setVisible(u(twin_.captionNames[i]) == u(twin_.designCaption));
        captions_ << caption;
        captionRow->addWidget(caption);
    }
    captionRow->addStretch(1);
    layout->addLayout(captionRow);

    DBGrid1 = new DBGrid(side);
    name(DBGrid1, QStringLiteral("DBGrid1"));
    DBGrid1->setTable(ledger);
    DBGrid1->setColumns(columns(twin_.sideColumns));
    DBGrid1->setReadOnly(true);
    DBGrid1->horizontalHeader()->setVisible(twin_.sideTitles);
    DBGrid1->installEventFilter(this);
    layout->addWidget(DBGrid1, 1);

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("Total de Registro(s):"), side));
    TotalRegistros = new QLabel(QStringLiteral("0"), side);
    name(TotalRegistros, QStringLiteral("TotalRegistros"));
    countRow->addWidget(TotalRegistros);
    countRow->addStretch(1);
    totalLabel = new QLabel(side);
    name(totalLabel, u(twin_.totalLabel));
    totalLabel->setStyleSheet(QStringLiteral("font-weight: bold; color: maroon;"));
    countRow->addWidget(totalLabel);
    layout->addLayout(countRow);

    auto* group = new QGroupBox(QStringLiteral("Filtro"), side);
    auto* grid = new QGridLayout(group);
    const char* texts[] = {"Não Paga", "Paga", "Todas", "Vencidas", "Mês Atual"};
    const int choices = twin_.hasOverdueAndMonth ? 5 : 3;
    for (int i = 0; i < choices; ++i) {
        auto* radio = new QRadioButton(u(texts[i]), group);
        name(radio, QStringLiteral("RadioButton%1").arg(i + 1));
        radio->setFocusPolicy(Qt::NoFocus);
        connect(radio, &QRadioButton::clicked, this, [this, i] { recordFilter(Choice(i)); });
        radios << radio;
        grid->addWidget(radio, i / 3, i % 3);
    }
    auto dateBox = [&](const char* caption, const QString& captionName, const QString& boxName, int column) {
        QLabel* label = nullptr;
        MaskEdit* edit = this->dateBox(group, u(caption), captionName, boxName, &label);
        grid->addWidget(label, 2, column);
        grid->addWidget(edit, 2, column + 1);
        return edit;
    };
    MaskEdit3 = dateBox("De:", u(twin_.deCaptionNames[0]), QStringLiteral("MaskEdit3"), 0);
    MaskEdit5 = dateBox("A:", u(twin_.deCaptionNames[1]), QStringLiteral("MaskEdit5"), 2);
    layout->addWidget(group);

    if (twin_.payables) {
        auto* overdue = new MaskEdit(side);
        name(overdue, QStringLiteral("atrazadas"));
        overdue->setEditMask(QStringLiteral("!99/99/0000;1;_"));
        overdue->hide();
    }
    return side;
}

MaskEdit* LedgerWindow::dateBox(QWidget* parent, const QString& caption, const QString& captionName,
                                const QString& boxName, QLabel** label) {
    // Clicking the caption writes today's date into the box.
    *label = new QLabel(caption, parent);
    name(*label, captionName);
    (*label)->setCursor(Qt::PointingHandCursor);
    (*label)->installEventFilter(this);
    auto* edit = new MaskEdit(parent);
    name(edit, boxName);
    edit->setEditMask(QStringLiteral("!99/99/0000;1;_"));
    edit->installEventFilter(this);
    return edit;
}

QWidget* LedgerWindow::buildReminder(QWidget* parent) {
    reminderPanel = new QGroupBox(parent);
    name(reminderPanel, QStringLiteral("PanelLembrete"));
    auto* layout = new QHBoxLayout(reminderPanel);
    layout->setContentsMargins(6, 4, 6, 4);
    auto* heading = new QVBoxLayout;
    auto* title = new QLabel(u(twin_.reminderTitle), reminderPanel);
    title->setStyleSheet(QStringLiteral("font-weight: bold; font-style: italic; color: navy;"));
    heading->addWidget(title);
    Ldata_dia = new QLabel(reminderPanel);
    name(Ldata_dia, QStringLiteral("Ldata_dia"));
    Ldata_dia->setStyleSheet(QStringLiteral("font-weight: bold;"));
    heading->addWidget(Ldata_dia);
    MaskEdit4 = new MaskEdit(reminderPanel);
    MaskEdit6 = new MaskEdit(reminderPanel);
    name(MaskEdit4, QStringLiteral("MaskEdit4"));
    name(MaskEdit6, QStringLiteral("MaskEdit6"));
    for (MaskEdit* hidden : {MaskEdit4, MaskEdit6}) {
        hidden->setEditMask(QStringLiteral("!99/99/0000;1;_"));
        hidden->hide();
    }
    heading->addStretch(1);
    SpeedButton5 =
        Skin::pushButton(QStringLiteral("Fechar Lembrete"), QStringLiteral("SpeedButton5"), reminderPanel);
    controls_.insert(QStringLiteral("SpeedButton5"), SpeedButton5);
    connect(SpeedButton5, &QPushButton::clicked, this, &LedgerWindow::fecharLembrete);
    heading->addWidget(SpeedButton5);
    layout->addLayout(heading);

    DBGrid3 = new DBGrid(reminderPanel);
    name(DBGrid3, QStringLiteral("DBGrid3"));
    DBGrid3->setTable(reminder);
    DBGrid3->setColumns({{kFantasia, QStringLiteral("Saída"), 200},
                         {QStringLiteral("Nome"), QStringLiteral("Credor"), 260},
                         {QStringLiteral("DataVencimento"), QStringLiteral("Vencimento"), 100},
                         {kValor, QStringLiteral("Valor"), 100}});
    DBGrid3->setReadOnly(false);
    DBGrid3->setFixedHeight(100);
    layout->addWidget(DBGrid3, 1);
    Ltotal_aviso = new QLabel(reminderPanel);
    name(Ltotal_aviso, QStringLiteral("Ltotal_aviso"));
    Ltotal_aviso->setStyleSheet(QStringLiteral("font-weight: bold; color: maroon;"));
    Ltotal_aviso->setMinimumWidth(150);
    Ltotal_aviso->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    layout->addWidget(Ltotal_aviso);
    return reminderPanel;
}

QWidget* LedgerWindow::buildSearchTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    auto* buttons = new QGridLayout;
    int i = 0;
    for (const SearchButton& b : twin_.searchButtons) {
        QPushButton* button = Skin::pushButton(u(b.caption), u(b.name), page);
        controls_.insert(u(b.name), button);
        const QString buttonName = u(b.name);
        connect(button, &QPushButton::clicked, this, [this, buttonName] { searchButton(buttonName); });
        buttons->addWidget(button, i / 4, i % 4);
        ++i;
    }
    SpeedButton9 = Skin::pushButton(QStringLiteral("Imprimir"), QStringLiteral("SpeedButton9"), page);
    controls_.insert(QStringLiteral("SpeedButton9"), SpeedButton9);
    connect(SpeedButton9, &QPushButton::clicked, this, &LedgerWindow::imprimirClick);
    buttons->addWidget(SpeedButton9, i / 4, i % 4);
    ++i;
    auto* importar =
        Skin::pushButton(QStringLiteral("Importar Extrato"), QStringLiteral("btnImportarExtrato"), page);
    controls_.insert(QStringLiteral("btnImportarExtrato"), importar);
    connect(importar, &QPushButton::clicked, this, &LedgerWindow::importarExtratoClick);
    buttons->addWidget(importar, i / 4, i % 4);
    top->addLayout(buttons, 1);

    auto* group = new QGroupBox(QStringLiteral("Filtros (Data Vencimento)"), page);
    auto* grid = new QHBoxLayout(group);
    auto dateBox = [&](const char* caption, const QString& captionName, const QString& boxName) {
        QLabel* label = nullptr;
        MaskEdit* edit = this->dateBox(group, u(caption), captionName, boxName, &label);
        grid->addWidget(label);
        grid->addWidget(edit);
        return edit;
    };
    MaskEdit1 = dateBox("De:", QStringLiteral("Label34"), QStringLiteral("MaskEdit1"));
    MaskEdit2 = dateBox("A:", QStringLiteral("Label35"), QStringLiteral("MaskEdit2"));
    top->addWidget(group);
    layout->addLayout(top);

    DBGrid2 = new DBGrid(page);
    name(DBGrid2, QStringLiteral("DBGrid2"));
    DBGrid2->setTable(ledger);
    DBGrid2->setColumns(columns(twin_.searchColumns));
    DBGrid2->setReadOnly(true);
    DBGrid2->installEventFilter(this);
    SheetExport::addMenu(DBGrid2, u(twin_.caption));
    layout->addWidget(DBGrid2, 1);
    Panel9 = new QLabel(page);
    name(Panel9, QStringLiteral("Panel9"));
    Panel9->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Panel9->setStyleSheet(QStringLiteral(
        "font-size: 13pt; font-weight: bold; color: maroon; background: #f0f0f0; padding: 4px;"));
    layout->addWidget(Panel9);
    return page;
}

void LedgerWindow::connectChangeHandlers() {
    // Any change of these boxes' text enables "Gravar", also when another record comes up.
    for (const Box& b : twin_.dataBoxes) {
        QWidget* widget = box(b.name);
        const bool status = twin_.payables && u(b.name) == u(twin_.nameBox);
        QWidget* save = nullptr;
        for (const SaveButton& s : twin_.saveButtons)
            if (u(s.box) == u(b.name)) save = control(u(s.name));
        auto handler = [this, status, save] {
            btngravar->setEnabled(true);
            if (save) save->setEnabled(true);
            if (status) PgNaoPg();
        };
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            connect(edit, &QLineEdit::textChanged, this, handler);
        else if (auto* combo = qobject_cast<QComboBox*>(widget))
            connect(combo, &QComboBox::currentTextChanged, this, handler);
    }
}

// ---- Activation, keys

void LedgerWindow::FormActivate() {
    if (!ledger->active()) return;
    auto set = [this](const char* field, const QString& format, bool mask) {
        const int index = ledger->fieldIndex(u(field));
        if (index < 0) return;
        // Set only when changed: a new format repaints every box, also the one being typed in.
        if (mask && ledger->editMask(index) != format)
            ledger->setEditMask(index, format);
        else if (!mask && ledger->displayFormat(index) != format)
            ledger->setDisplayFormat(index, format);
    };
    for (const char* field : {"Codigo", "NumeroPedido", "DocParcela"})
        set(field, QStringLiteral("000000"), false);
    for (const char* field : {"ValorChequeTerc", "ValorTitulo", "Valordocumento"})
        set(field, QStringLiteral("###,##0.00"), false);
    for (const char* field : {"DataEmissao", "DataVencimento", "DataPagamento", "DataChequeTerc"})
        set(field, QStringLiteral("99/99/9999"), true);
    loadLists();
}

// ---- Name lists

void LedgerWindow::loadLists() {
    if (!controls_.contains(u(twin_.nameBox))) return;  // the boxes are not built yet
    // The window becomes active again after each of its boxes: files unchanged since they were last read
    // are not read again.
    QString files;
    for (const QString& name : {NameLists::switchFileOf(twin_.nameList), NameLists::fileOf(twin_.nameList),
                                NameLists::fileOf(twin_.referenceList)}) {
        const QFileInfo file(NameLists::pathOf(name));
        files += QStringLiteral("%1|%2|%3|%4;")
                     .arg(file.absoluteFilePath())
                     .arg(file.exists())
                     .arg(file.size())
                     .arg(file.exists() ? file.lastModified().toMSecsSinceEpoch() : 0);
    }
    if (files == listFiles_) return;
    listFiles_.clear();
    const NameLists::Load load = twin_.loadLists();
    if (!load.switchedOn)
        for (const SaveButton& b : twin_.saveButtons)
            control(u(b.name))->hide();
    if (load.name) replaceEntries(control<QComboBox>(u(twin_.nameBox)), *load.name);
    if (load.reference) replaceEntries(control<QComboBox>(u(twin_.referenceBox)), *load.reference);
    if (!load.error.isEmpty())
        showError(this, load.error);
    else
        listFiles_ = files;
}

QString LedgerWindow::selectedEntry(const QComboBox* box) {
    return box->currentIndex() >= 0 ? box->itemText(box->currentIndex()) : QString();
}

void LedgerWindow::replaceEntries(QComboBox* box, const QStringList& entries) {
    // Programmatic: neither "Gravar" nor "Salvar" take it for typing, and the record is not touched.
    const QSignalBlocker blocker(box);
    const QString text = box->currentText();
    const int cursor = box->lineEdit() ? box->lineEdit()->cursorPosition() : 0;
    const int selected = box->currentIndex();
    const QString selectedText = selectedEntry(box);
    // A list of a hundred thousand names goes into the box's model in one step, not item by item.
    auto* model = qobject_cast<QStringListModel*>(box->model());
    if (!model) {
        model = new QStringListModel(box);
        box->setModel(model);
    }
    model->setStringList(entries);
    box->setCurrentIndex(
        selected >= 0 && selected < entries.size() && entries[selected] == selectedText ? selected : -1);
    box->setEditText(text);
    if (box->lineEdit()) box->lineEdit()->setCursorPosition(cursor);
}

void LedgerWindow::saveClick(const SaveButton& button) {
    auto* box = control<QComboBox>(u(button.box));
    const NameLists::Save result =
        NameLists::save(this, button.list, box->currentText(), selectedEntry(box), [box] {
            QStringList entries;
            for (int i = 0; i < box->count(); ++i)
                entries << box->itemText(i);
            return entries;
        }());
    if (result.outcome == NameLists::Save::HideButtons) {
        for (const SaveButton& b : twin_.saveButtons)
            control(u(b.name))->hide();
        return;
    }
    if (result.disableButton) control(u(button.name))->setEnabled(false);
    if (result.outcome == NameLists::Save::Written || result.outcome == NameLists::Save::WriteFailed)
        replaceEntries(box, result.entries);
}

void LedgerWindow::DBComNomeDropDown() {
    auto* box = control<QComboBox>(u(twin_.nameBox));
    guarded(this, [box] { replaceEntries(box, NameLists::clientNames()); });
}

void LedgerWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Run once the window stands whole on the screen: a list's error box opened while the window is still
    // being shown would leave it at a stub's size.
    QTimer::singleShot(0, this, &LedgerWindow::FormActivate);
    skipActivation_ = true;  // the activation that follows the showing is that one
}

void LedgerWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            // Coming back from a box of its own is no new activation: a failing list would otherwise show its
            // error again each time its error box is closed.
            if (!std::exchange(skipActivation_, false)) FormActivate();
        } else {
            for (QWidget* w = QApplication::activeWindow(); w; w = w->parentWidget())
                if (w == this) skipActivation_ = true;
        }
    }
    QDialog::changeEvent(event);
}

bool LedgerWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const QString n = watched->objectName();
        if (n == QLatin1String("Label2"))
            Label2Click();
        else if (n == QLatin1String("Label11"))
            Label11Click();
        else if (n == u(twin_.showReminderName))
            mostrarLembrete();
        else if (n == u(twin_.deCaptionNames[0]))
            writeToday(MaskEdit3);
        else if (n == u(twin_.deCaptionNames[1]))
            writeToday(MaskEdit5);
        else if (n == QLatin1String("Label34"))
            writeToday(MaskEdit1);
        else if (n == QLatin1String("Label35")) {
            writeToday(MaskEdit2);
            MaskEdit2->setFocus();
        } else if (n == QLatin1String("Label17") && calendar_)
            calendar_->hide();
        return QDialog::eventFilter(watched, event);
    }
    if (!twin_.payables && watched == MaskEdit3 && EditorKit::leftForAnotherControl(this, event) &&
        QApplication::focusWidget() != MaskEdit5) {
        MaskEdit5->setFocus();  // MaskEdit3Exit
        return false;
    }
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool esc = key->key() == Qt::Key_Escape;
    if (key->key() == Qt::Key_F1 &&
        (watched == box(twin_.codeBox) ||
         (!twin_.payables &&
          (watched == DBGrid2 || watched == controls_.value(QStringLiteral("DBEdit1")))))) {
        Label2Click();
        return true;
    }
    if (key->key() == Qt::Key_Delete && key->modifiers() & Qt::ControlModifier &&
        (watched == DBGrid1 || watched == DBGrid2)) {
        if (!ledger->isEmpty() && Dialogs::current().confirmDelete(this))
            guarded(this, [this] { ledger->remove(); });
        return true;
    }
    if (watched == MaskEdit5) {
        rangeKey(key->key());  // MaskEdit5KeyDown, then the window's own keys
        if (esc) return true;
    }
    if (watched == MaskEdit1 && enter) {  // MaskEdit1KeyDown
        MaskEdit2->setFocus();
        return true;
    }
    if (watched == MaskEdit2 && (enter || esc)) {  // MaskEdit2KeyDown
        if (enter)
            searchRangeEnter();
        else
            MaskEdit1->setFocus();
        return true;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return QDialog::eventFilter(watched, event);
    if (keyPreview && (enter || esc) && qobject_cast<QWidget*>(watched) &&
        !qobject_cast<QAbstractItemView*>(watched)) {
        if (auto* combo = qobject_cast<QComboBox*>(watched); combo && combo->view()->isVisible())
            return false;
        focusNextPrevChild(enter);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void LedgerWindow::closeEvent(QCloseEvent* event) {
    // FormClose: what was typed and not stored is lost with the window.
    ledger->close();
    reminder->close();
    QDialog::closeEvent(event);
}

void LedgerWindow::keyPressEvent(QKeyEvent* event) {
    // Esc does not close a data-entry window; Enter presses no default button.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}

// ---- Moving, numbering, storing, deleting

void LedgerWindow::btnPrimeiroClick() {
    guarded(this, [this] { ledger->first(); });
}
void LedgerWindow::btnVoltarClick() {
    guarded(this, [this] { ledger->prior(); });
}
void LedgerWindow::btnAvancarClick() {
    guarded(this, [this] { ledger->next(); });
}
void LedgerWindow::btnUltimoClick() {
    guarded(this, [this] { ledger->last(); });
}

void LedgerWindow::afterScroll() {
    TotalRegistros->setText(QString::number(ledger->recordCount()));
    for (QPushButton* b : {btnPrimeiro, btnVoltar, btnAvancar, btnUltimo})
        b->setEnabled(true);
    PgNaoPg();
    if (ledger->bof()) {
        btnPrimeiro->setEnabled(false);
        btnVoltar->setEnabled(false);
    }
    if (ledger->eof()) {
        btnAvancar->setEnabled(false);
        btnUltimo->setEnabled(false);
    }
}

void LedgerWindow::PgNaoPg() {
    const bool paid = ledger->active() && !ledger->fieldByName(kPagamento).isNull();
    PgNpg->setText(paid ? u(twin_.paidStatus) : QStringLiteral("Não Paga"));
    settleButton->setText(paid ? QStringLiteral("Desfazer Pag.") : QStringLiteral("Quitar Agora"));
    DBText1->setVisible(paid);
}

void LedgerWindow::setEditing(bool on) {
    btngravar->setEnabled(on);
    btncancelar->setEnabled(on);
}

void LedgerWindow::btnnovoClick() {
    if (guarded(this, [this] { ledger->setFiltered(false); })) novo();
}

void LedgerWindow::novo() {
    const bool begun = guarded(this, [this] {
        numberNewRecord(*ledger);
        if (!twin_.payables) ledger->fieldByName(QStringLiteral("DocParcela")).setAsInteger(1);
        ledger->fieldByName(QStringLiteral("DataEmissao")).setAsDate(Clock::today());
        ledger->fieldByName(QStringLiteral("DataVencimento")).setAsDate(Clock::today());
    });
    if (!begun) return;
    setEditing(true);
    box(twin_.nameBox)->setFocus();
}

bool LedgerWindow::fieldBlank(const QString& field) const {
    return ledger->fieldByName(field).isNull();
}

bool LedgerWindow::handOverTyping() {
    // What is being typed goes into the record before the focus moves on: a box holding what its field
    // refuses says so once, with the data layer's message, and keeps the focus. Leaving it first would say
    // it a second time.
    if (ledger->state() == Dataset::State::Edit || ledger->state() == Dataset::State::Insert)
        if (!guarded(this, [this] { emit ledger->updateRecord(); })) return false;
    box(twin_.nameBox)->setFocus();
    return true;
}

bool LedgerWindow::storeChecks() {
    auto valueCheck = [this] {
        if (!fieldBlank(kValor)) return true;
        Dialogs::current().error(this, u(twin_.valueBlank));
        box(twin_.valueBox)->setFocus();
        return false;
    };
    auto nameCheck = [this] {
        if (!fieldBlank(kFantasia)) return true;
        Dialogs::current().error(this, u(twin_.nameBlank));
        box(twin_.nameBox)->setFocus();
        return false;
    };
    if (twin_.valueCheckedFirst) {
        if (!valueCheck() || !nameCheck()) return false;
        box(twin_.referenceBox)->setFocus();
        return true;
    }
    return nameCheck() && valueCheck();
}

bool LedgerWindow::store() {
    return EditorKit::storeRecord(this, *ledger) != EditorKit::StoreResult::Refused;
}

void LedgerWindow::btncancelarClick() {
    guarded(this, [this] { ledger->cancel(); });
    setEditing(false);
}

void LedgerWindow::deleteClick() {
    if (EditorKit::confirmAndDelete(this, *ledger, QStringLiteral("Deseja apagar este cadastro? "),
                                    QStringLiteral("Confirmação")))
        totalizar();
    Aviso();
    Aviso_Total();
}

// ---- Finding

void LedgerWindow::Label2Click() {
    QString text = inputText;
    if (Dialogs::current().input(this, u(twin_.codeTitle),
                                 QStringLiteral("Digite aqui, o código a ser localizado:"), text)) {
        bool found = false;
        const bool ran = guarded(this, [&] {
            const QVariant number = Values::parseNumber(text);
            if (number.isNull()) throw DataError(QStringLiteral("'' não é um número válido"));
            found = ledger->locate(QStringLiteral("Codigo"), number);
        });
        if (ran && !found) Dialogs::current().message(this, u(twin_.codeNotFound));
    }
    inputText.clear();
}

void LedgerWindow::Label11Click() {
    QString text = inputText;
    if (Dialogs::current().input(this, u(twin_.nameTitle),
                                 QStringLiteral("Digite aqui, o nome a ser localizado:"), text)) {
        bool found = false;
        const bool ran = guarded(this, [&] { found = ledger->locate(kFantasia, text); });
        if (ran && !found) Dialogs::current().message(this, QStringLiteral("Nome não localizado !!!"));
    }
    inputText.clear();
}

void LedgerWindow::Edit1Change(const QString& text) {
    guarded(this, [this, &text] {
        ledger->setIndexName(QStringLiteral("byfantasia"));
        ledger->findNearest(text);
    });
}

void LedgerWindow::foco() {
    if (!Edit1->hasFocus()) Edit1->setFocus();
}

void LedgerWindow::PageControl1Change(int index) {
    onTabShown(index);
}

// ---- Filters and totals

bool LedgerWindow::applyFilter(const QString& expression, bool totals, const QString& typedName) {
    const bool applied = guarded(this, [this, &expression, &typedName] {
        try {
            LF::checkTypedName(typedName);
        } catch (const DataError&) {
            ledger->setFiltered(false);
            throw;
        }
        refilter(ledger, expression);
    });
    if (applied && totals) totalizar();
    return applied;
}

void LedgerWindow::removeFilter(MaskEdit* from, MaskEdit* to) {
    if (!guarded(this, [this] { ledger->setFiltered(false); })) return;
    from->setMaskedText(QString());
    to->setMaskedText(QString());
    totalizar();
}

void LedgerWindow::showCaption(int which) {
    for (QLabel* caption : captions_)
        caption->setVisible(caption->objectName() == u(twin_.captionNames[which]));
}

void LedgerWindow::recordFilter(Choice choice) {
    const QString from = MaskEdit3->maskedText();
    const QString to = MaskEdit5->maskedText();
    bool done = false;
    switch (choice) {
        case NaoPaga:
            done = applyFilter(LF::unpaid(from, to));
            break;
        case Paga:
            done = applyFilter(LF::paid(from, to));
            break;
        case Todas:
            removeFilter(MaskEdit3, MaskEdit5);
            done = true;
            break;
        case Vencidas:
            done =
                applyFilter(LF::overdueBefore(control<MaskEdit>(QStringLiteral("atrazadas"))->maskedText()));
            break;
        case MesAtual:
            MaskEdit3->setMaskedText(Values::dateToText(LF::monthStart(Clock::today())));
            MaskEdit5->setMaskedText(Values::dateToText(LF::monthEnd(Clock::today())));
            recordFilter(NaoPaga);
            radios[MesAtual]->setChecked(true);
            return;
    }
    if (choice < radios.size()) radios[choice]->setChecked(true);
    if (done) showCaption(choice == Vencidas ? 3 : choice);
}

void LedgerWindow::rangeKey(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (LF::bothFilled(MaskEdit3->maskedText(), MaskEdit5->maskedText()))
            applyFilter(LF::dueRange(MaskEdit3->maskedText(), MaskEdit5->maskedText()), false);
    } else if (key == Qt::Key_Escape) {
        MaskEdit3->setFocus();
    }
    for (int i = 0; i < 3; ++i)
        if (QWidget* caption = controls_.value(u(twin_.captionNames[i]))) caption->hide();
    if (QWidget* any = controls_.value(u(twin_.captionNames[4]))) any->show();
}

void LedgerWindow::searchButton(const QString& buttonName) {
    const SearchButton* button = nullptr;
    for (const SearchButton& b : twin_.searchButtons)
        if (u(b.name) == buttonName) button = &b;
    if (!button) return;
    const QString from = MaskEdit1->maskedText();
    const QString to = MaskEdit2->maskedText();
    switch (button->kind) {
        case SearchKind::Paid:
            applyFilter(LF::paid(from, to));
            return;
        case SearchKind::Unpaid:
            applyFilter(LF::unpaid(from, to));
            return;
        case SearchKind::Overdue:
            applyFilter(LF::overdueBefore(control<MaskEdit>(QStringLiteral("atrazadas"))->maskedText()));
            return;
        case SearchKind::All:
            removeFilter(MaskEdit1, MaskEdit2);
            return;
        case SearchKind::Booklet:
            Carne::preview(this, ledger);
            return;
        case SearchKind::Name:
            break;
    }
    const QString field = u(button->field);
    guarded(this, [this, &field] {
        const Field current = ledger->fieldByName(field);
        if (!current.isNull()) inputText = current.asString();
    });
    QString typed = inputText;
    if (!Dialogs::current().input(this, QStringLiteral("Filtrar"), u(button->prompt), typed)) return;
    inputText = typed;
    const QString name = LF::upperAsciiLetters(typed);
    applyFilter(LF::byName(from, to, field, name, button->test), true, name);
}

void LedgerWindow::searchRangeEnter() {
    if (LF::bothFilled(MaskEdit1->maskedText(), MaskEdit2->maskedText()))
        applyFilter(LF::dueRange(MaskEdit1->maskedText(), MaskEdit2->maskedText()));
}

void LedgerWindow::writeToday(MaskEdit* box) {
    box->setMaskedText(Values::dateToText(Clock::today()));
}

void LedgerWindow::totalizar() {
    // A failed sum leaves the labels as they were.
    if (!guarded(this, [this] { accumulator = ledger->sum(kValor); })) return;
    const QString text = LF::totalText(accumulator);
    Panel9->setText(text);
    totalLabel->setText(text);
    TotalRegistros->setText(QString::number(ledger->recordCount()));
    PgNaoPg();
}

void LedgerWindow::Aviso() {
    guarded(this, [this] {
        refilter(reminder, LF::bothFilled(MaskEdit4->maskedText(), MaskEdit6->maskedText())
                               ? LF::dueOn(MaskEdit4->maskedText())
                               : LF::unpaid(LF::kEmptyDate, LF::kEmptyDate));
    });
}

void LedgerWindow::Aviso_Total() {
    if (!guarded(this, [this] { accumulator = reminder->sum(kValor); })) return;
    Ltotal_aviso->setText(LF::totalText(accumulator));
}

void LedgerWindow::fecharLembrete() {
    reminderPanel->hide();
    if (twin_.payables) {
        GroupBox2->setFixedHeight(257);
        MemoInstruc->setFixedHeight(137);
    }
}

void LedgerWindow::mostrarLembrete() {
    reminderPanel->show();
    if (twin_.payables) {
        GroupBox2->setFixedHeight(256);
        MemoInstruc->setFixedHeight(33);
    }
}

// ---- Settling

void LedgerWindow::settleClick() {
    if (ledger->isEmpty() && ledger->state() == Dataset::State::Browse) return;  // no bill to settle
    if (fieldBlank(kPagamento))
        IncluiData();
    else
        Retirardata();
}

void LedgerWindow::Retirardata() {
    if (!Dialogs::current().question(this, u(twin_.unsettleQuestion), QStringLiteral("Confirmação"))) return;
    guarded(this, [this] {
        ledger->edit();
        ledger->fieldByName(kPagamento).clear();
        ledger->post();
    });
    PgNaoPg();
}

// ---- Bank statement

void LedgerWindow::importarExtratoClick() {
    if (!guarded(this, [this] { ledger->checkBrowseMode(); })) return;
    if (!Extrato::importar(this)) return;
    // The statement settled or added bills of either ledger behind this window's views.
    guarded(this, [this] { ledger->refresh(); });
    totalizar();
    Aviso();
    Aviso_Total();
}

// ---- Listing

Report::Layout LedgerWindow::QuickRep1() const {
    using namespace Report;
    Layout layout;
    layout.name = u(twin_.listingTitle);
    layout.page = twin_.listingPage;
    layout.source = ledger;
    layout.printIfEmpty = true;
    layout.zoom = Zoom::PageWidth;
    layout.maximised = true;
    const double width = layout.contentWidth();
    Band& title = layout.addBand(BandKind::Title, 29.6);
    title.elements << text(0, 4, u(twin_.listingTitle), Font().sized(16).withBold(), width, Qt::AlignHCenter);
    for (const ListingColumn& c : twin_.listing)
        title.elements << text(c.left, 23, u(c.heading), Font().sized(10), c.width, c.alignment);
    title.elements << hline(0, 29.4, width);
    Band& detail = layout.addBand(BandKind::Detail, twin_.detailHeight);
    for (const ListingColumn& c : twin_.listing) {
        detail.elements << field(c.left, 0, u(c.field), Font().sized(c.points).withBold(c.bold), c.width,
                                 c.alignment);
        layout.sheet << SheetColumn{u(c.heading), detail.elements.last(), {}};
    }
    // The spreadsheet's totals row: "TOTAL" beside the sum, as printed.
    layout.sheet[layout.sheet.size() - 2].total = text(0, 0, QStringLiteral("TOTAL"));
    layout.sheet.last().total = sum(0, 0, kValor, QStringLiteral("###,##0.00"));
    Band& summary = layout.addBand(BandKind::Summary, 10.6);
    const ListingColumn& value = twin_.listing.last();
    // The sum ends where the value column ends and has room for the largest total, 999.999.999,99; "TOTAL"
    // stands to the left of that room, so the two never print over each other.
    const Font totalFont = Font().sized(14).withBold();
    const double sumRight = value.left + value.width;
    const double sumWidth = std::ceil(textWidth(QStringLiteral("999.999.999,99"), totalFont)) + 1;
    const double totalRight = sumRight - sumWidth - 2;
    summary.elements << hline(0, 0, width)
                     << text(totalRight - 30, 2, QStringLiteral("TOTAL"), totalFont, 30, Qt::AlignRight)
                     << sum(sumRight - sumWidth, 2, kValor, QStringLiteral("###,##0.00"), totalFont, sumWidth,
                            Qt::AlignRight);
    Band& footer = layout.addBand(BandKind::PageFooter, twin_.footerHeight);
    if (twin_.footerLogo)
        footer.elements << picture(QRectF((width - 40) / 2, 3, 40, 17),
                                   Pictures::background(QSize(450, 192)).toImage());
    return layout;
}

void LedgerWindow::imprimirClick() {
    // A long listing is filled as the preview shows it: the first page comes at once.
    Report::Layout layout;
    if (!guarded(this, [this, &layout] { layout = QuickRep1(); })) return;
    layout.name = u(twin_.listingTitle);
    guarded(this, [this, &layout] { Dialogs::current().preview(this, layout, Report::FillContext()); });
}
