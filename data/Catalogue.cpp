#include "Catalogue.h"

#include <QRegularExpression>

namespace {

FieldDef autoInc(const QString& name) {
    return {name, FieldType::AutoInc, 0, {}, {}};
}
FieldDef integer(const QString& name, const QString& format = {}) {
    return {name, FieldType::Integer, 0, format, {}};
}
FieldDef real(const QString& name, const QString& format = {}) {
    return {name, FieldType::Float, 0, format, {}};
}
FieldDef currency(const QString& name, const QString& format = {}) {
    return {name, FieldType::Currency, 0, format, {}};
}
FieldDef date(const QString& name, const QString& mask = {}) {
    return {name, FieldType::Date, 0, {}, mask};
}
FieldDef text(const QString& name, int size, const QString& mask = {}) {
    return {name, FieldType::String, size, {}, mask};
}
FieldDef memo(const QString& name, int size) {
    return {name, FieldType::Memo, size, {}, {}};
}
FieldDef blob(const QString& name) {
    return {name, FieldType::Blob, 0, {}, {}};
}
FieldDef graphic(const QString& name) {
    return {name, FieldType::Graphic, 0, {}, {}};
}

IndexDef index(const QString& name, const QString& field, QStringList otherSpellings = {}) {
    return {name, otherSpellings, field, false, false, false, {}, {}, false};
}

const QString kSixDigits = QStringLiteral("000000");
const QString kLedgerAmount = QStringLiteral("########0.00");
const QString kMoney = QStringLiteral("###,##0.00");

// Both ledgers share one record shape; the receivables table lacks two fields and keeps its remark in a memo.
TableDef ledger(const QString& name, bool payables) {
    TableDef t;
    t.name = name;
    t.fields = {
        autoInc("Chave"),
        real("DocParcela", kSixDigits),
        text("Letra", 1),
        text("Fantasia", 30),
        text("Nome", 60),
        real("Codigo", kSixDigits),
        date("DataEmissao"),
        date("DataVencimento"),
        date("DataPagamento"),
        real("NumeroPedido", kSixDigits),
        text("Cartorio", 20),
        payables ? text("Observacoes", 255) : memo("Observacoes", 30),
        real("ValorTitulo", kLedgerAmount),
        real("Valordocumento", kLedgerAmount),
        text("CodBanco", 10),
        text("CodAgencia", 10),
        text("NConta", 20),
        text("NTituloBanco", 15),
        text("Carteira", 15),
        text("Especie", 8),
        text("Transacao", 10),
    };
    if (payables) t.fields << memo("Intrucao", 15);
    t.fields << date("PrazoProt") << text("NChequeTerceiro", 15) << date("DataChequeTerc", "99/99/9999")
             << text("CodBancoTerc", 10) << text("NomeAgenciaTerc", 20) << text("Emitente", 30)
             << text("CodAgenciaTerc", 10) << text("NumeroContaTerc", 20)
             << currency("ValorChequeTerc", kMoney) << text("Codfatura", 10) << text("Tipopgto", 10);
    if (payables) t.fields << text("Checkbox", 3);
    if (payables) t.indexes << index("Bydataven", "DataVencimento");
    t.indexes << index("byfantasia", "Fantasia") << index("byCodigo", "Codigo");
    // The ledger filters test the due date, the payment date, the reference and the name; every total sums
    // the amount, so that a total over a filtered view is read from the index alone.
    const QStringList filtered = {"DataVencimento", "DataPagamento", "Fantasia", "Nome", "Valordocumento"};
    for (IndexDef& index : t.indexes)
        for (const QString& field : filtered)
            if (field != index.field) index.covering << field;
    // The cash-flow statements select by payment date in a period, or the unpaid rows (a blank payment date)
    // by due date in a period, in that order, listing the reference and the amount: one range of this index
    // answers each, in order, without reading the table.
    IndexDef byPayment = index("ByDataPagamento", "DataPagamento");
    byPayment.thenBy = "DataVencimento";
    byPayment.covering = {"Fantasia", "Valordocumento"};
    byPayment.statementsOnly = true;
    t.indexes << byPayment;
    return t;
}

QVector<TableDef> buildCatalogue() {
    QVector<TableDef> all;
    all << ledger("tbpagar", true) << ledger("tbreceber", false);

    TableDef cliente;
    cliente.name = "c_cliente";
    cliente.fields = {
        autoInc("Chave"),       integer("Codigo"),
        text("Nome", 255),      text("Endereço", 255),
        text("Cidade", 255),    text("Bairro", 255),
        text("UF", 2),          text("Cpf", 50),
        text("RG", 50),         text("Telefone", 15),
        text("Celular", 15),    text("Obs", 255),
        text("Cpfpagador", 50), text("Rgpagador", 50),
        text("Contato", 100),   text("Cep", 10, "00000\\-999;1;_"),
    };
    cliente.indexes = {index("bycodigo", "Codigo", {"byCodigo"}),
                       index("bynome", "Nome", {"Bynome", "ByNome"})};
    all << cliente;

    TableDef emitente;
    emitente.name = "Tb_Emitente";
    emitente.fields = {autoInc("Chave"), real("Codigo"), text("Nome", 200),
                       text("CPF", 30),  text("RG", 30), text("Endereco", 255)};
    emitente.indexes = {index("ByCodigo", "Codigo"), index("bynome", "Nome", {"ByNome"})};
    all << emitente;

    TableDef cadastro;
    cadastro.name = "cadastro";
    cadastro.fields = {
        autoInc("Chave"),
        integer("Codigo", kSixDigits),
        real("Codigo2"),
        real("Valor"),
        text("Reci", 255),
        text("End", 255),
        text("Importancia", 255),
        text("Referente", 255),
        text("Cidade", 255),
        text("Dia mes", 255),
        text("Emitente", 255),
        text("Cpf", 50),
        text("End2", 255),
        text("Empresa", 255),
        text("Tel", 50),
        text("Outros", 255),
        text("Valor2", 255),
        text("Cpfpagador", 50),
        text("Rg_pagador", 50),
        text("UF", 2),
        text("Celular", 15),
        text("Rgemitente", 50),
        text("DataVecimento", 100),
        text("Aos", 255),
        text("Pagarei", 255),
        text("Ncpf", 100),
        text("Nemitente", 255),
        text("Nrg_emitente", 100),
        text("Ncpf_emitente", 100),
        text("Nendereço", 255),
        memo("Obs", 1),
        real("Data2"),
        text("Mes", 30),
        text("Obs_recibo", 255),
    };
    cadastro.indexes = {index("byCodigo", "Codigo"), index("bynome", "Reci")};
    all << cadastro;

    TableDef nota;
    nota.name = "BD_NP";
    nota.fields = {
        autoInc("Chave"),
        real("Codigo", kSixDigits),
        text("Valor", 255),
        text("Aos", 255),
        text("Pagarei", 255),
        text("Cpf", 30),
        real("Dia"),
        text("Mes", 30),
        real("Ano"),
        text("Ou", 255),
        text("Cidade", 200),
        text("Uf", 2),
        text("Data extenso", 200),
        text("Emitente", 200),
        text("Cpf_emitente", 30),
        text("Rg_emitente", 30),
        text("End_emitente", 200),
        text("Msg", 255),
    };
    IndexDef primary = index("T_NPIndex1", "Chave");
    primary.primary = primary.unique = true;
    IndexDef pagarei = index("ByPagarei", "Pagarei");
    pagarei.caseInsensitive = true;
    IndexDef codigo = index("Bycodigo", "Codigo");
    codigo.caseInsensitive = true;
    nota.indexes = {primary, pagarei, codigo};
    all << nota;

    TableDef fornecedor;
    fornecedor.name = "tbfornecedor";
    fornecedor.fields = {
        autoInc("Chave"),           real("Codigo", "0000"),   text("Nome", 100),
        text("Contato", 30),        text("CNPJ_CPF", 30),     text("TipoServico", 255),
        text("Transportadora", 50), text("CndPagamento", 50), real("Desconto"),
        real("EntregaDias"),        text("Situacao", 30),     text("Telefone", 15, "!\\(99\\)0000-0000;1;_"),
    };
    fornecedor.indexes = {index("byCodigo", "Codigo"), index("byNome", "Nome")};
    all << fornecedor;

    TableDef logo;
    logo.name = "logo";
    logo.fields = {autoInc("Chave"), blob("Logo"), graphic("Logo1"), text("Logo2", 255), text("End", 255)};
    all << logo;

    TableDef usuarios;
    usuarios.name = "USUARIOS";
    usuarios.fields = {autoInc("ID"),    date("DT_INC"),    date("DT_ALT"),   text("STATUS", 1),
                       text("NOME", 30), text("LOGIN", 15), text("SENHA", 15)};
    usuarios.password = QStringLiteral("4817");
    all << usuarios;
    return all;
}

}  // namespace

bool FieldDef::isNumeric() const {
    switch (type) {
        case FieldType::AutoInc:
        case FieldType::Integer:
        case FieldType::Float:
        case FieldType::Currency:
            return true;
        default:
            return false;
    }
}

QString FieldDef::sqlType() const {
    // Each name gives SQLite the right affinity (INT, REAL, TEXT, BLOB) and says what the field is.
    switch (type) {
        case FieldType::AutoInc:
            return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
        case FieldType::Integer:
            return QStringLiteral("INTEGER");
        case FieldType::Float:
            return QStringLiteral("FLOAT");
        case FieldType::Currency:
            return QStringLiteral("CURRENCY REAL");
        case FieldType::Date:
            return QStringLiteral("DATE TEXT");
        case FieldType::String:
            return QStringLiteral("VARCHAR(%1)").arg(size);
        case FieldType::Memo:
            return QStringLiteral("MEMO TEXT(%1)").arg(size);
        case FieldType::Blob:
            return QStringLiteral("BLOB");
        case FieldType::Graphic:
            return QStringLiteral("GRAPHIC BLOB");
    }
    return {};
}

bool IndexDef::isNamed(const QString& spelling) const {
    if (name.compare(spelling, Qt::CaseInsensitive) == 0) return true;
    for (const QString& other : otherSpellings)
        if (other.compare(spelling, Qt::CaseInsensitive) == 0) return true;
    return false;
}

int TableDef::fieldIndex(const QString& fieldName) const {
    const QString wanted = fieldName.trimmed();
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(wanted, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

int TableDef::keyFieldIndex() const {
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].type == FieldType::AutoInc) return i;
    return 0;
}

const IndexDef* TableDef::findIndex(const QString& indexName) const {
    for (const IndexDef& index : indexes)
        if (!index.statementsOnly && index.isNamed(indexName.trimmed())) return &index;
    return nullptr;
}

const IndexDef* TableDef::indexOnField(const QString& fieldName) const {
    for (const IndexDef& index : indexes)
        if (!index.statementsOnly && index.field.compare(fieldName.trimmed(), Qt::CaseInsensitive) == 0)
            return &index;
    return nullptr;
}

QString TableDef::sqlIndexName(const IndexDef& index) const {
    return name + QLatin1Char('_') + index.name;
}

QString TableDef::createIndexSql(const IndexDef& index) const {
    // The row key follows the key, so the index gives the order the views read in: key, then row key.
    QStringList columns = {quoteIdentifier(index.field) +
                           (index.caseInsensitive ? QStringLiteral(" COLLATE NOCASE") : QString())};
    if (!index.thenBy.isEmpty()) columns << quoteIdentifier(index.thenBy);
    if (!index.unique) columns << quoteIdentifier(keyField().name);
    for (const QString& field : index.covering)
        columns << quoteIdentifier(field);
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), quoteIdentifier(sqlIndexName(index)),
             quoteIdentifier(name), columns.join(QStringLiteral(", ")));
}

const QVector<TableDef>& Catalogue::tables() {
    static const QVector<TableDef> all = buildCatalogue();
    return all;
}

const TableDef* Catalogue::find(const QString& tableName) {
    QString name = tableName.trimmed();
    if (name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive)) name.chop(3);
    for (const TableDef& table : tables())
        if (table.name.compare(name, Qt::CaseInsensitive) == 0) return &table;
    return nullptr;
}

FieldDef fieldFromSqlType(const QString& name, const QString& sqlType, FieldType fallback) {
    static const QRegularExpression sized(QStringLiteral("\\((\\d+)\\)"));
    const QString type = sqlType.trimmed().toUpper();
    const QRegularExpressionMatch size = sized.match(type);
    FieldDef field{name, fallback, fallback == FieldType::String ? 255 : 0, {}, {}};
    if (type.startsWith(QLatin1String("VARCHAR")))
        field = {name, FieldType::String, size.hasMatch() ? size.captured(1).toInt() : 255, {}, {}};
    else if (type.startsWith(QLatin1String("MEMO")))
        field = {name, FieldType::Memo, size.hasMatch() ? size.captured(1).toInt() : 0, {}, {}};
    else if (type.startsWith(QLatin1String("DATE")))
        field = {name, FieldType::Date, 0, {}, {}};
    else if (type.startsWith(QLatin1String("CURRENCY")))
        field = {name, FieldType::Currency, 0, {}, {}};
    else if (type.startsWith(QLatin1String("FLOAT")) || type.startsWith(QLatin1String("REAL")))
        field = {name, FieldType::Float, 0, {}, {}};
    else if (type.startsWith(QLatin1String("INT")))
        field = {name, FieldType::Integer, 0, {}, {}};
    else if (type.startsWith(QLatin1String("GRAPHIC")))
        field = {name, FieldType::Graphic, 0, {}, {}};
    else if (type.startsWith(QLatin1String("BLOB")))
        field = {name, FieldType::Blob, 0, {}, {}};
    return field;
}

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
