#include "Ofx.h"

#include <libofx/libofx.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTimeZone>
#include <algorithm>
#include <cmath>

#include "DataError.h"
#include "Values.h"

namespace Ofx {

namespace {

const QString kReal = QStringLiteral("BRL");

QString quoted(const QString& file) {
    return QStringLiteral("\"%1\"").arg(file);
}

DataError notOfx(const QString& file) {
    return DataError(
        QStringLiteral("O arquivo %1 não é um extrato bancário OFX. Escolha o arquivo .ofx que o "
                       "banco exporta (no site ou aplicativo, em \"extrato\", formato OFX ou "
                       "Money).")
            .arg(quoted(file)));
}

DataError truncated(const QString& file) {
    return DataError(QStringLiteral("O arquivo %1 está incompleto: o extrato termina antes do fim. Exporte-o "
                                    "de novo no site ou aplicativo do banco.")
                         .arg(quoted(file)));
}

// The characters libofx leaves: fixed-size fields, padding, line breaks inside a memo.
QString clean(const char* text) {
    return QString::fromUtf8(text).simplified();
}

QString memoOf(const OfxTransactionData& data) {
    const QString name = data.name_valid ? clean(data.name) : QString();
    const QString memo = data.memo_valid ? clean(data.memo) : QString();
    // Banks put the description in either, or the same text in both, or the payee in one and the rest in
    // the other.
    if (name.isEmpty() || memo.contains(name, Qt::CaseInsensitive)) return memo;
    if (memo.isEmpty() || name.contains(memo, Qt::CaseInsensitive)) return name;
    return name + QStringLiteral(" - ") + memo;
}

struct Reading {
    QString file;
    Statement statement;
    bool sawStatement = false;
    bool incomplete = false;   // a transaction without amount or date
    QString foreign;           // a currency other than the real
    QHash<QString, int> seen;  // FITIDs so far, for banks that repeat one within a statement
};

int onAccount(const OfxAccountData data, void* user) {
    auto* r = static_cast<Reading*>(user);
    r->sawStatement = true;
    if (data.account_id_valid && r->statement.account.isEmpty())
        r->statement.account = clean(data.account_id);
    if (data.currency_valid && r->statement.currency.isEmpty()) r->statement.currency = clean(data.currency);
    return 0;
}

int onStatement(const OfxStatementData data, void* user) {
    auto* r = static_cast<Reading*>(user);
    r->sawStatement = true;
    if (data.account_id_valid && r->statement.account.isEmpty())
        r->statement.account = clean(data.account_id);
    if (data.currency_valid) r->statement.currency = clean(data.currency).toUpper();
    return 0;
}

int onTransaction(const OfxTransactionData data, void* user) {
    auto* r = static_cast<Reading*>(user);
    if (!data.amount_valid || !data.date_posted_valid || !std::isfinite(data.amount)) {
        r->incomplete = true;
        return 0;
    }
    Transaction t;
    t.date = dayOf(qint64(data.date_posted));
    t.memo = memoOf(data);
    t.amount = Money::fromAmount(data.amount);
    t.currency = data.currency_valid ? clean(data.currency).toUpper() : QString();
    if (!t.currency.isEmpty() && t.currency != kReal) r->foreign = t.currency;
    if (data.fi_id_valid) t.fitid = clean(data.fi_id);
    // Without an identification from the bank, what the line says stands for it.
    QString key =
        t.fitid.isEmpty()
            ? QStringLiteral("%1|%2|%3").arg(Values::dateToIso(t.date)).arg(t.amount.centavos()).arg(t.memo)
            : t.fitid;
    // Some banks give two lines of one statement the same FITID; the order within the file tells them
    // apart, and stays the same when the file is imported again.
    const int repeated = r->seen[key]++;
    if (repeated > 0) key += QStringLiteral("#%1").arg(repeated + 1);
    t.key = key;
    r->statement.transactions << t;
    return 0;
}

// libofx prints every complaint on the console; the user gets ours instead.
void quietLibofx() {
    ofx_PARSER_msg = ofx_DEBUG_msg = ofx_DEBUG1_msg = ofx_DEBUG2_msg = ofx_DEBUG3_msg = ofx_DEBUG4_msg =
        ofx_DEBUG5_msg = 0;
    ofx_STATUS_msg = ofx_INFO_msg = ofx_WARNING_msg = ofx_ERROR_msg = 0;
}

// An OFX file says so near its start: the 1.x header or the 2.x processing instruction, or the root element.
bool looksLikeOfx(const QByteArray& bytes) {
    const QByteArray head = bytes.left(4096).toUpper();
    return head.contains("OFXHEADER") || head.contains("<OFX>");
}

// The root element closes the file; a download or copy cut short loses it.
bool endsWhole(const QByteArray& bytes) {
    qsizetype end = bytes.size();
    while (end > 0 && (std::isspace(static_cast<unsigned char>(bytes[end - 1])) || bytes[end - 1] == '\0'))
        --end;
    return end >= 6 && bytes.mid(end - 6, 6).toUpper() == "</OFX>";
}

}  // namespace

QDate dayOf(qint64 secondsSinceEpoch) {
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch, QTimeZone(-3 * 3600)).date();
}

QDate Statement::first() const {
    QDate earliest;
    for (const Transaction& t : transactions)
        if (!earliest.isValid() || t.date < earliest) earliest = t.date;
    return earliest;
}

QDate Statement::last() const {
    QDate latest;
    for (const Transaction& t : transactions)
        if (!latest.isValid() || t.date > latest) latest = t.date;
    return latest;
}

Statement read(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(
            QStringLiteral("Não foi possível abrir o arquivo %1: %2. Verifique se ele existe e se "
                           "você pode lê-lo.")
                .arg(quoted(name), file.errorString()));
    const QByteArray bytes = file.readAll();
    file.close();
    if (bytes.trimmed().isEmpty())
        throw DataError(
            QStringLiteral("O arquivo %1 está vazio. Exporte o extrato de novo no site ou aplicativo "
                           "do banco.")
                .arg(quoted(name)));
    if (!looksLikeOfx(bytes)) throw notOfx(name);
    if (!endsWhole(bytes)) throw truncated(name);

    quietLibofx();
    Reading reading;
    reading.file = name;
    reading.statement.file = name;
    LibofxContextPtr context = libofx_get_new_context();
    ofx_set_account_cb(context, onAccount, &reading);
    ofx_set_statement_cb(context, onStatement, &reading);
    ofx_set_transaction_cb(context, onTransaction, &reading);
    const int result = libofx_proc_file(context, QFile::encodeName(path).constData(), OFX);
    libofx_free_context(context);

    // libofx also reports trouble it read past (an element the standard asks for and the bank left out), so
    // its result alone does not reject a statement.
    if (result < 0 && !reading.sawStatement && reading.statement.transactions.isEmpty()) throw notOfx(name);
    if (reading.incomplete) throw truncated(name);
    Statement& s = reading.statement;
    if (!s.currency.isEmpty() && s.currency != kReal) reading.foreign = s.currency;
    if (!reading.foreign.isEmpty())
        throw DataError(
            QStringLiteral("O extrato %1 está em outra moeda (%2). Só extratos em reais (BRL) podem "
                           "ser conciliados com as contas.")
                .arg(quoted(name), reading.foreign));
    if (s.transactions.isEmpty())
        throw DataError(QStringLiteral("O extrato %1 não tem nenhum lançamento. Exporte do banco um período "
                                       "com movimento.")
                            .arg(quoted(name)));
    return s;
}

}  // namespace Ofx
