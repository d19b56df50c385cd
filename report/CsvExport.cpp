#include "CsvExport.h"

#include <QDir>

#include <algorithm>

#include "Values.h"

namespace Csv {

namespace {

// The digits after the decimal point of a Delphi-style display format ("###,##0.00" has 2); -1 when the
// format has no decimal point.
int decimalsOf(const QString& format) {
    const qsizetype point = format.indexOf(u'.');
    if (point < 0) return -1;
    int digits = 0;
    for (qsizetype i = point + 1; i < format.size() && (format[i] == u'0' || format[i] == u'#'); ++i)
        ++digits;
    return digits;
}

QString failure(const QString& fileName, const QString& reason) {
    return QStringLiteral("Não foi possível gravar a planilha %1: %2")
        .arg(QDir::toNativeSeparators(fileName), reason);
}

}  // namespace

QString number(double value, int decimals) {
    QString text = QString::number(value, 'f', qMax(0, decimals));
    // "-0,00" is no amount anyone wrote.
    if (text.startsWith(u'-') &&
        std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c > u'0' && c <= u'9'; }))
        text.remove(0, 1);
    text.replace(u'.', u',');
    return text;
}

QString cell(const FieldDef& field, const QVariant& value, const QString& displayFormat) {
    if (!value.isValid() || value.isNull()) return {};
    if (!field.isNumeric()) return Values::displayText(field, value, displayFormat);
    const double n = value.toDouble();
    const int decimals = decimalsOf(displayFormat);
    if (decimals >= 0) return number(n, decimals);
    // A code printed with its leading zeros stays as printed.
    if (displayFormat.size() > 1 && displayFormat.startsWith(u'0'))
        return Values::displayText(field, value, displayFormat);
    if (displayFormat.isEmpty() && (field.type == FieldType::Float || field.type == FieldType::Currency))
        return Values::floatToText(n);
    return number(n, 0);
}

QByteArray line(const QStringList& cells) {
    QByteArray out;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0) out += ';';
        const QString& text = cells[i];
        const bool quoted =
            text.contains(u';') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r');
        if (!quoted) {
            out += text.toUtf8();
            continue;
        }
        QString doubled = text;
        doubled.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        out += '"' + doubled.toUtf8() + '"';
    }
    out += "\r\n";
    return out;
}

Writer::Writer(const QString& fileName) : file_(fileName) {}

bool Writer::open(QString* error) {
    if (!file_.open(QIODevice::WriteOnly)) {
        if (error) *error = failure(file_.fileName(), file_.errorString());
        return false;
    }
    file_.write("\xEF\xBB\xBF");
    return true;
}

void Writer::row(const QStringList& cells) {
    file_.write(line(cells));
}

bool Writer::commit(QString* error) {
    if (!file_.commit()) {
        if (error) *error = failure(file_.fileName(), file_.errorString());
        return false;
    }
    return true;
}

bool write(const QString& fileName, const QStringList& titles, const QList<QStringList>& rows,
           QString* error) {
    Writer writer(fileName);
    if (!writer.open(error)) return false;
    writer.row(titles);
    for (const QStringList& row : rows)
        writer.row(row);
    return writer.commit(error);
}

}  // namespace Csv
