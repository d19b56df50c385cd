#pragma once

#include <sqlite3.h>

#include <QDate>
#include <QRandomGenerator>
#include <QStringList>

#include "Sqlite.h"

// A ledger as a shop keeps it: 400 references used again and again, 300 creditors, ten years of due dates
// ending a year from today (one in a thousand left blank), three bills in ten unpaid, and exactly 60 unpaid
// bills due today. No ANALYZE: the shipped data folder has none.
inline void generateLedger(const QString& file, int rows, const QDate& today) {
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    execSql(db, "BEGIN");
    Statement insert(
        db,
        "INSERT INTO tbpagar (Fantasia, Nome, Codigo, DataEmissao, DataVencimento, DataPagamento, "
        "Valordocumento, Observacoes) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    const QStringList references = {
        "LUZ", "AGUA",   "ALUGUEL",    "TELEFONE", "INTERNET",    "MATERIAL", "SALARIO", "IMPOSTO",
        "GAS", "SEGURO", "MANUTENCAO", "FRETE",    "COMBUSTIVEL", "CONTADOR", "LIMPEZA", "SOFTWARE"};
    QRandomGenerator random(20261209);
    const QDate start = today.addDays(-3285);
    for (int i = 0; i < rows; ++i) {
        QDate due = start.addDays(random.bounded(3650));
        if (due == today || i >= rows - 60) due = i >= rows - 60 ? today : today.addDays(1);
        insert.bind(
            1, references[random.bounded(references.size())] + QStringLiteral(" %1").arg(random.bounded(25)));
        insert.bind(2, QStringLiteral("CREDOR %1").arg(random.bounded(300)));
        insert.bind(3, i + 1);
        insert.bind(4, due.addDays(-random.bounded(30)));
        insert.bind(5, i % 1000 == 999 && i < rows - 60 ? QVariant() : QVariant(due));  // a few left blank
        const bool unpaid = i >= rows - 60 || random.bounded(10) < 3;
        insert.bind(6, unpaid ? QVariant() : QVariant(due.addDays(random.bounded(20) - 5)));
        insert.bind(7, random.bounded(1000000) / 100.0);
        insert.bind(8, QStringLiteral("Pagamento referente ao documento %1").arg(i + 1));
        insert.run();
        insert.reset();
    }
    execSql(db, "COMMIT");
    sqlite3_close(db);
}
