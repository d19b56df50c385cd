#pragma once

#include <sqlite3.h>

#include <QDate>
#include <QRandomGenerator>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>

#include "Sqlite.h"

// Fills a table of a data file in one transaction, as the benchmarks set up their samples: `row(i)` gives
// the values of the i-th row (from 0) in the order of the insert's positions.
inline void insertRows(const QString& file, const QString& insertSql, int rows,
                       const std::function<QVariantList(int)>& row) {
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    execSql(db, "BEGIN");
    SqliteConnection connection(db);
    Statement insert(connection, insertSql);
    for (int i = 0; i < rows; ++i) {
        insert.bindAll(row(i));
        insert.run();
        insert.reset();
    }
    execSql(db, "COMMIT");
    sqlite3_close(db);
}

// The columns the ledger samples below fill, in the order of their values.
inline const QStringList kLedgerColumns = {"Fantasia",       "Nome",           "Codigo",
                                           "DataEmissao",    "DataVencimento", "DataPagamento",
                                           "Valordocumento", "Observacoes"};

inline QString insertSql(const QString& table, const QStringList& columns) {
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, columns.join(", "), QStringList(columns.size(), "?").join(", "));
}

// A ledger as a shop keeps it: 400 references used again and again, 300 creditors, ten years of due dates
// ending a year from today (one in a thousand left blank), three bills in ten unpaid, and exactly 60 unpaid
// bills due today. The rows of kLedgerColumns, asked for in order from 0.
inline std::function<QVariantList(int)> ledgerRows(int rows, const QDate& today) {
    const QStringList references = {
        "LUZ", "AGUA",   "ALUGUEL",    "TELEFONE", "INTERNET",    "MATERIAL", "SALARIO", "IMPOSTO",
        "GAS", "SEGURO", "MANUTENCAO", "FRETE",    "COMBUSTIVEL", "CONTADOR", "LIMPEZA", "SOFTWARE"};
    auto random = std::make_shared<QRandomGenerator>(20261209);
    const QDate start = today.addDays(-3285);
    // The draws are taken one statement at a time, in the order of the columns, so the rows stay those of
    // earlier runs and their figures comparable.
    return [=](int i) {
        QDate due = start.addDays(random->bounded(3650));
        if (due == today || i >= rows - 60) due = i >= rows - 60 ? today : today.addDays(1);
        const QString reference =
            references[random->bounded(references.size())] + QStringLiteral(" %1").arg(random->bounded(25));
        const QString creditor = QStringLiteral("CREDOR %1").arg(random->bounded(300));
        const QDate issued = due.addDays(-random->bounded(30));
        const bool unpaid = i >= rows - 60 || random->bounded(10) < 3;
        const QVariant paid = unpaid ? QVariant() : QVariant(due.addDays(random->bounded(20) - 5));
        const double value = random->bounded(1000000) / 100.0;
        return QVariantList{reference,
                            creditor,
                            i + 1,
                            issued,
                            i % 1000 == 999 && i < rows - 60 ? QVariant() : QVariant(due),  // a few blank
                            paid,
                            value,
                            QStringLiteral("Pagamento referente ao documento %1").arg(i + 1)};
    };
}

// That ledger in tbpagar of a data file. No ANALYZE: the shipped data folder has none.
inline void generateLedger(const QString& file, int rows, const QDate& today) {
    insertRows(file, insertSql("tbpagar", kLedgerColumns), rows, ledgerRows(rows, today));
}

// A sample ledger drawn the same way by the benches that only need its shape: a reference of `references`
// and a number, a name, an issue date up to 30 days before a due date in `days` from `start`, a payment drawn
// by `paid` (blank for an open bill), an amount. The draws come in that order, so each bench's rows stay
// those of its earlier runs.
struct SampleLedger {
    QStringList references;
    QString namePrefix;
    QDate start;
    int days = 3650;
    quint32 seed = 0;
    std::function<QVariant(QRandomGenerator&, const QDate& due)> paid;
};

inline const QStringList kSampleColumns = {"Fantasia",       "Nome",          "Codigo",        "DataEmissao",
                                           "DataVencimento", "DataPagamento", "Valordocumento"};

// The rows of kSampleColumns, asked for in order from 0.
inline std::function<QVariantList(int)> sampleRows(const SampleLedger& sample) {
    auto random = std::make_shared<QRandomGenerator>(sample.seed);
    return [=](int i) {
        const QDate due = sample.start.addDays(random->bounded(sample.days));
        const QString reference = sample.references[random->bounded(sample.references.size())] +
                                  QStringLiteral(" %1").arg(random->bounded(500));
        const QString name = sample.namePrefix + QStringLiteral(" %1").arg(random->bounded(2000));
        const QDate issued = due.addDays(-random->bounded(30));
        const QVariant paid = sample.paid(*random, due);
        return QVariantList{reference, name, i + 1, issued, due, paid, random->bounded(1000000) / 100.0};
    };
}

inline void insertSampleLedger(const QString& file, const QString& table, int rows,
                               const SampleLedger& sample) {
    insertRows(file, insertSql(table, kSampleColumns), rows, sampleRows(sample));
}
