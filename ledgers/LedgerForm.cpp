#include "LedgerForm.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include "DBGrid.h"
#include "DataControls.h"
#include "DataError.h"
#include "Pictures.h"
#include "ScreenFit.h"
#include "SheetExport.h"
#include "Skin.h"
#include "Table.h"

using namespace Ledger;

namespace {

QList<TableModel::Column> columns(const QList<Column>& list) {
    QList<TableModel::Column> result;
    for (const Column& c : list)
        result << TableModel::Column{u(c.field), u(c.title), c.width};
    return result;
}

const QString kFantasia = QStringLiteral("Fantasia");
const QString kPagamento = QStringLiteral("DataPagamento");

class PressFilter : public QObject {
public:
    PressFilter(QObject* parent, std::function<void()> action)
        : QObject(parent), action_(std::move(action)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) action_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> action_;
};

}  // namespace

void onPress(QWidget* widget, std::function<void()> action) {
    widget->installEventFilter(new PressFilter(widget, std::move(action)));
}

void LedgerForm::build(const Twin& twin, Table* ledger, Table* reminder, QWidget* window, QObject* keys,
                       const Extras& extras) {
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(4, 4, 4, 4);
    PageControl1 = new QTabWidget(content);
    name(PageControl1, QStringLiteral("PageControl1"));
    PageControl1->addTab(buildRecordTab(twin, ledger, reminder, keys, extras), QStringLiteral("Cadastro "));
    PageControl1->addTab(buildSearchTab(twin, ledger, keys), QStringLiteral("Pesquisa"));
    contentLayout->addWidget(PageControl1);
    layout->addWidget(ScreenFit::scrolling(content, window));
}

void LedgerForm::name(QWidget* widget, const QString& objectName) {
    widget->setObjectName(objectName);
    controls.insert(objectName, widget);
}

QWidget* LedgerForm::box(const char* objectName) const {
    const QString name = u(objectName);
    if (QWidget* widget = controls.value(name)) return widget;
    throw DataError(QStringLiteral("A janela não tem o controle '%1'").arg(name));
}

void LedgerForm::showStatus(const Twin& twin, Table& ledger) {
    const bool paid = ledger.active() && !ledger.fieldByName(kPagamento).isNull();
    PgNpg->setText(paid ? u(twin.paidStatus) : QStringLiteral("Não Paga"));
    settleButton->setText(paid ? QStringLiteral("Desfazer Pag.") : QStringLiteral("Quitar Agora"));
    DBText1->setVisible(paid);
}

void LedgerForm::showCaption(const Twin& twin, int which) {
    for (QLabel* caption : captions)
        caption->setVisible(which >= 0 && caption->objectName() == u(twin.captionNames[which]));
}

void LedgerForm::setChequeHeights(const ChequeHeights& heights) {
    if (heights.group) GroupBox2->setFixedHeight(heights.group);
    if (heights.memo) MemoInstruc->setFixedHeight(heights.memo);
}

QGroupBox* LedgerForm::buildBoxes(const Twin& twin, Table* ledger, QWidget* parent, const char* title,
                                  const QList<Box>& boxes, bool beside, QObject* keys) {
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
        for (const SaveButton& save : twin.saveButtons) {
            if (u(save.box) != u(b.name)) continue;
            cell = new QWidget(group);
            auto* row = new QHBoxLayout(cell);
            row->setContentsMargins(0, 0, 0, 0);
            row->setSpacing(2);
            widget->setParent(cell);
            row->addWidget(widget, 1);
            QPushButton* button = Skin::pushButton(QStringLiteral("Salvar"), u(save.name), cell);
            controls.insert(u(save.name), button);
            saveButtons << button;
            button->setToolTip(QStringLiteral("Salva nome saida para adição futuras"));
            QFont small = button->font();
            small.setPointSizeF(small.pointSizeF() * 0.8);
            button->setFont(small);
            button->setStyleSheet(QStringLiteral("color: gray;"));
            button->setEnabled(false);
            row->addWidget(button);
        }
        if (b.clickable) {
            QFont font = caption->font();
            font.setUnderline(true);
            caption->setFont(font);
            caption->setCursor(Qt::PointingHandCursor);
            const bool code = field == QLatin1String("Codigo");
            name(caption, code ? QStringLiteral("Label2") : QStringLiteral("Label11"));
            (code ? codeCaption : nameCaption) = caption;
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
        QWidget::setTabOrder(box(boxes[i - 1].name), box(boxes[i].name));
    for (const Box& b : boxes)
        if (b.kind != BoxKind::Memo) box(b.name)->installEventFilter(keys);
    return group;
}

QWidget* LedgerForm::buildRecordTab(const Twin& twin, Table* ledger, Table* reminder, QObject* keys,
                                    const Extras& extras) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* bar = new QHBoxLayout;
    auto button = [&](const QString& objectName, const QString& text, const QString& hint) {
        QPushButton* b = Skin::pushButton(text, objectName, page);
        controls.insert(objectName, b);
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
    btnnovo = button(QStringLiteral("btnnovo"), u(twin.newCaption), u(twin.newHint));
    btngravar = button(QStringLiteral("btngravar"), QStringLiteral("&Gravar"), QString());
    btncancelar = button(QStringLiteral("btncancelar"), QStringLiteral("&Cancelar"), QString());
    btnDelete = button(u(twin.deleteName), u(twin.deleteCaption), QString());
    btnSearch = button(u(twin.searchName), QString(), QStringLiteral("Pesquisar Contas!"));
    btnSearch->setIcon(QIcon(Pictures::toolbarIcon(QStringLiteral("Fluxo Caixa"))));
    extras.toolButtons(bar);
    bar->addStretch(1);
    for (QPushButton* b : {btnPrimeiro, btnVoltar, btnAvancar, btnUltimo, btngravar, btncancelar})
        b->setEnabled(false);
    layout->addLayout(bar);

    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* top = new QHBoxLayout;
    top->addWidget(buildBoxes(twin, ledger, page, twin.dataGroup, twin.dataBoxes, false, keys), 3);

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
    settleButton = Skin::pushButton(QStringLiteral("Quitar Agora"), u(twin.settleName), status);
    controls.insert(u(twin.settleName), settleButton);
    settleButton->setToolTip(QStringLiteral("Clique aqui para mudar Status desta conta!"));
    // Both widths fixed for their widest text, so the group keeps its size whatever the record holds.
    QFont bold = PgNpg->font();
    bold.setBold(true);
    const QFontMetrics statusMetrics(bold);
    PgNpg->setFixedWidth(qMax(statusMetrics.horizontalAdvance(u(twin.paidStatus)),
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
    statusLayout->addWidget(extras.pictureArea(status), 1);
    top->addWidget(status, 1);
    left->addLayout(top);

    GroupBox2 = buildBoxes(twin, ledger, page, twin.chequeGroup, twin.chequeBoxes, true, keys);
    controls.insert(QStringLiteral("GroupBox2"), GroupBox2);
    showReminder = new QLabel(QStringLiteral("M"), GroupBox2);
    name(showReminder, u(twin.showReminderName));
    showReminder->setToolTip(u(twin.showReminderHint));
    showReminder->setCursor(Qt::PointingHandCursor);
    showReminder->setStyleSheet(QStringLiteral("font-weight: bold; color: navy;"));
    static_cast<QGridLayout*>(GroupBox2->layout())->addWidget(showReminder, 2, 3, Qt::AlignRight);
    setChequeHeights(twin.withReminder);
    left->addWidget(GroupBox2);
    left->addStretch(1);
    body->addLayout(left, 1);
    body->addWidget(buildSidePanel(twin, ledger, page, keys));
    layout->addLayout(body, 1);
    layout->addWidget(buildReminder(twin, reminder, page));
    return page;
}

QWidget* LedgerForm::buildSidePanel(const Twin& twin, Table* ledger, QWidget* parent, QObject* keys) {
    auto* side = new QWidget(parent);
    side->setFixedWidth(360);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Localizar"), side));
    Edit1 = new MaskEdit(side);
    name(Edit1, QStringLiteral("Edit1"));
    Edit1->setCharCase(MaskEdit::CharCase::Upper);
    layout->addWidget(Edit1);

    auto* captionRow = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        if (!*twin.captionNames[i]) continue;
        auto* caption = new QLabel(u(twin.captionTexts[i]), side);
        name(caption, u(twin.captionNames[i]));
        caption->setStyleSheet(QStringLiteral("font-weight: bold; color: navy;"));
        caption->setVisible(u(twin.captionNames[i]) == u(twin.designCaption));
        captions << caption;
        captionRow->addWidget(caption);
    }
    captionRow->addStretch(1);
    layout->addLayout(captionRow);

    DBGrid1 = new DBGrid(side);
    name(DBGrid1, QStringLiteral("DBGrid1"));
    DBGrid1->setTable(ledger);
    DBGrid1->setColumns(columns(twin.sideColumns));
    DBGrid1->setReadOnly(true);
    DBGrid1->horizontalHeader()->setVisible(twin.sideTitles);
    DBGrid1->installEventFilter(keys);
    layout->addWidget(DBGrid1, 1);

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("Total de Registro(s):"), side));
    TotalRegistros = new QLabel(QStringLiteral("0"), side);
    name(TotalRegistros, QStringLiteral("TotalRegistros"));
    countRow->addWidget(TotalRegistros);
    countRow->addStretch(1);
    totalLabel = new QLabel(side);
    name(totalLabel, u(twin.totalLabel));
    totalLabel->setStyleSheet(QStringLiteral("font-weight: bold; color: maroon;"));
    countRow->addWidget(totalLabel);
    layout->addLayout(countRow);

    auto* group = new QGroupBox(QStringLiteral("Filtro"), side);
    auto* grid = new QGridLayout(group);
    const char* texts[] = {"Não Paga", "Paga", "Todas", "Vencidas", "Mês Atual"};
    const int choices = twin.hasOverdueAndMonth ? 5 : 3;
    for (int i = 0; i < choices; ++i) {
        auto* radio = new QRadioButton(u(texts[i]), group);
        name(radio, QStringLiteral("RadioButton%1").arg(i + 1));
        radio->setFocusPolicy(Qt::NoFocus);
        radios << radio;
        grid->addWidget(radio, i / 3, i % 3);
    }
    auto dateBox = [&](const char* caption, const QString& captionName, const QString& boxName, int column,
                       QLabel** label) {
        MaskEdit* edit = this->dateBox(group, u(caption), captionName, boxName, label, keys);
        grid->addWidget(*label, 2, column);
        grid->addWidget(edit, 2, column + 1);
        return edit;
    };
    MaskEdit3 = dateBox("De:", u(twin.deCaptionNames[0]), QStringLiteral("MaskEdit3"), 0, &fromCaption);
    MaskEdit5 = dateBox("A:", u(twin.deCaptionNames[1]), QStringLiteral("MaskEdit5"), 2, &toCaption);
    layout->addWidget(group);

    bool overdue = twin.hasOverdueAndMonth;
    for (const SearchButton& b : twin.searchButtons)
        overdue = overdue || b.kind == SearchKind::Overdue;
    if (overdue) {
        atrazadas = new MaskEdit(side);
        name(atrazadas, QStringLiteral("atrazadas"));
        atrazadas->setEditMask(QStringLiteral("!99/99/0000;1;_"));
        atrazadas->hide();
    }
    return side;
}

MaskEdit* LedgerForm::dateBox(QWidget* parent, const QString& caption, const QString& captionName,
                              const QString& boxName, QLabel** label, QObject* keys) {
    // Clicking the caption writes today's date into the box.
    *label = new QLabel(caption, parent);
    name(*label, captionName);
    (*label)->setCursor(Qt::PointingHandCursor);
    auto* edit = new MaskEdit(parent);
    name(edit, boxName);
    edit->setEditMask(QStringLiteral("!99/99/0000;1;_"));
    edit->installEventFilter(keys);
    return edit;
}

QWidget* LedgerForm::buildReminder(const Twin& twin, Table* reminder, QWidget* parent) {
    reminderPanel = new QGroupBox(parent);
    name(reminderPanel, QStringLiteral("PanelLembrete"));
    auto* layout = new QHBoxLayout(reminderPanel);
    layout->setContentsMargins(6, 4, 6, 4);
    auto* heading = new QVBoxLayout;
    auto* title = new QLabel(u(twin.reminderTitle), reminderPanel);
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
    controls.insert(QStringLiteral("SpeedButton5"), SpeedButton5);
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

QWidget* LedgerForm::buildSearchTab(const Twin& twin, Table* ledger, QObject* keys) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    auto* buttons = new QGridLayout;
    int i = 0;
    for (const SearchButton& b : twin.searchButtons) {
        QPushButton* button = Skin::pushButton(u(b.caption), u(b.name), page);
        controls.insert(u(b.name), button);
        searchButtons << button;
        buttons->addWidget(button, i / 4, i % 4);
        ++i;
    }
    SpeedButton9 = Skin::pushButton(QStringLiteral("Imprimir"), QStringLiteral("SpeedButton9"), page);
    controls.insert(QStringLiteral("SpeedButton9"), SpeedButton9);
    buttons->addWidget(SpeedButton9, i / 4, i % 4);
    ++i;
    importar =
        Skin::pushButton(QStringLiteral("Importar Extrato"), QStringLiteral("btnImportarExtrato"), page);
    controls.insert(QStringLiteral("btnImportarExtrato"), importar);
    buttons->addWidget(importar, i / 4, i % 4);
    top->addLayout(buttons, 1);

    auto* group = new QGroupBox(QStringLiteral("Filtros (Data Vencimento)"), page);
    auto* grid = new QHBoxLayout(group);
    auto dateBox = [&](const char* caption, const QString& captionName, const QString& boxName,
                       QLabel** label) {
        MaskEdit* edit = this->dateBox(group, u(caption), captionName, boxName, label, keys);
        grid->addWidget(*label);
        grid->addWidget(edit);
        return edit;
    };
    MaskEdit1 = dateBox("De:", QStringLiteral("Label34"), QStringLiteral("MaskEdit1"), &Label34);
    MaskEdit2 = dateBox("A:", QStringLiteral("Label35"), QStringLiteral("MaskEdit2"), &Label35);
    top->addWidget(group);
    layout->addLayout(top);

    DBGrid2 = new DBGrid(page);
    name(DBGrid2, QStringLiteral("DBGrid2"));
    DBGrid2->setTable(ledger);
    DBGrid2->setColumns(columns(twin.searchColumns));
    DBGrid2->setReadOnly(true);
    DBGrid2->installEventFilter(keys);
    SheetExport::addMenu(DBGrid2, u(twin.caption));
    layout->addWidget(DBGrid2, 1);
    Panel9 = new QLabel(page);
    name(Panel9, QStringLiteral("Panel9"));
    Panel9->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Panel9->setStyleSheet(QStringLiteral(
        "font-size: 13pt; font-weight: bold; color: maroon; background: #f0f0f0; padding: 4px;"));
    layout->addWidget(Panel9);
    return page;
}
