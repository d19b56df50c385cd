#include "Query.h"

#include <QRegularExpression>

#include "Catalogue.h"
#include "DataError.h"
#include "Database.h"
#include "Engine.h"
#include "Values.h"

namespace {

bool isNameStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

bool isAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() > 127) return false;
    return true;
}

// A field that carries this name, spelled as declared: in the tables the statement names first, then in any.
QString declaredFieldName(const QString& name, const QList<const TableDef*>& named = {}) {
    for (const TableDef* table : named) {
        const int index = table->fieldIndex(name);
        if (index >= 0) return table->fields[index].name;
    }
    for (const TableDef& table : Catalogue::tables()) {
        const int index = table.fieldIndex(name);
        if (index >= 0) return table.fields[index].name;
    }
    return {};
}

// A word of SQL itself, never a field, though a table may have a field of that name ("End").
bool isKeyword(const QString& word) {
    static const QStringList keywords = {"ALL",    "AND",      "AS",     "ASC",  "BETWEEN", "BY",    "CASE",
                                         "DESC",   "DISTINCT", "ELSE",   "END",  "FROM",    "GROUP", "HAVING",
                                         "IN",     "INNER",    "IS",     "JOIN", "LEFT",    "LIKE",  "LIMIT",
                                         "NOT",    "NULL",     "OFFSET", "ON",   "OR",      "ORDER", "OUTER",
                                         "SELECT", "THEN",     "UNION",  "WHEN", "WHERE"};
    return keywords.contains(word, Qt::CaseInsensitive);
}

// A type after CAST(… AS, not a column's new name.
bool isTypeName(const QString& word) {
    static const QStringList types = {"INTEGER", "INT",     "BIGINT", "REAL", "FLOAT", "DOUBLE", "NUMERIC",
                                      "TEXT",    "VARCHAR", "CHAR",   "DATE", "BLOB",  "BOOLEAN"};
    return types.contains(word, Qt::CaseInsensitive);
}

bool isDateField(const QString& name) {
    for (const TableDef& table : Catalogue::tables()) {
        const int index = table.fieldIndex(name);
        if (index >= 0) return table.fields[index].type == FieldType::Date;
    }
    return false;
}

// A date written "mm/dd/yyyy" (one or two digits for month and day, four for the year): an invalid date when
// the text is not one.
QDate usDateOf(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{4})\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    return match.hasMatch()
               ? QDate(match.captured(3).toInt(), match.captured(1).toInt(), match.captured(2).toInt())
               : QDate();
}

// A date written "yyyy-mm-dd", as dates are stored: an invalid date when the text is not one.
QDate isoDateOf(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^\\s*\\d{4}-\\d\\d-\\d\\d\\s*$"));
    return form.match(text).hasMatch() ? QDate::fromString(text.trimmed(), Qt::ISODate) : QDate();
}

// A text that can only have been meant as a date, typed in part or not at all: "12/3 /2025", "  /  /    ".
bool meantAsDate(const QString& text) {
    for (QChar c : text)
        if (!c.isDigit() && !c.isSpace() && c != u'/' && c != u'-' && c != u'.' && c != u'_') return false;
    return true;
}

DataError notADate(const QString& text) {
    if (Values::isBlankDateText(text))
        return DataError(QStringLiteral("A data está em branco: informe uma data completa"));
    return DataError(QStringLiteral("'%1' não é uma data válida").arg(text));
}

// A constant compared with a date field: a whole date, written "mm/dd/yyyy" as the program writes them, or
// "yyyy-mm-dd" as they are stored. Anything else would be compared as text with the stored dates.
QDate wholeDate(const QString& text) {
    QDate date = usDateOf(text);
    if (!date.isValid()) date = isoDateOf(text);
    if (!date.isValid()) throw notADate(text);
    return date;
}

}  // namespace

QVariant dateParameter(const QString& name, const QVariant& value) {
    if (!value.isValid() || value.isNull()) return {};
    QDate date;
    switch (value.typeId()) {
        case QMetaType::QDate:
            date = value.toDate();
            break;
        case QMetaType::QDateTime:
            date = value.toDateTime().date();
            break;
        case QMetaType::QString: {
            const QString text = value.toString();
            try {
                date = isoDateOf(text);
                if (!date.isValid()) date = Values::parseDate(text);
                if (!date.isValid()) throw notADate(text);
            } catch (const DataError& error) {
                throw DataError(QStringLiteral("Parâmetro '%1': %2").arg(name, error.message()));
            }
            break;
        }
        default:
            break;
    }
    if (!date.isValid())
        throw DataError(
            QStringLiteral("Parâmetro '%1': '%2' não é uma data válida").arg(name, value.toString()));
    return date;
}

TranslatedSql translateLocalSql(const QString& text, const Dialect* dialect) {
    TranslatedSql out;
    // The tables the statement names, wherever they stand: a field is spelled as its own table declares it.
    QList<const TableDef*> named;
    static const QRegularExpression words(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
    for (auto it = words.globalMatch(text); it.hasNext();)
        if (const TableDef* table = Catalogue::find(it.next().captured()); table && !named.contains(table))
            named << table;
    const int n = text.size();
    int i = 0;
    QString previousWord;  // the last keyword or name seen, to know an alias after AS
    bool ordered = false;
    // Whether the constant or parameter coming next is compared with a date field: the field, then an
    // operator or BETWEEN (and, for its second bound, AND).
    enum class Comparison { None, AfterField, AfterOperator, AfterFirstBound } comparison = Comparison::None;
    bool dateField = false;
    bool between = false;
    auto sawField = [&](const QString& name) {
        comparison = Comparison::AfterField;
        dateField = isDateField(name);
        between = false;
    };
    // A constant or parameter just read; returns whether it is compared with a date field.
    auto sawValue = [&] {
        const bool date = comparison == Comparison::AfterOperator && dateField;
        comparison = comparison == Comparison::AfterOperator && between ? Comparison::AfterFirstBound
                                                                        : Comparison::None;
        between = false;
        return date;
    };
    bool limited = false;
    int depth = 0;             // of parentheses
    QList<int> scannedTables;  // where a table read by FROM or JOIN ends in the SQL
    auto addTable = [&](const TableDef* table) {
        if (!out.tables.contains(table->name)) out.tables << table->name;
        out.sql += quoteIdentifier(table->name);
        if (previousWord.compare(QLatin1String("from"), Qt::CaseInsensitive) == 0 ||
            previousWord.compare(QLatin1String("join"), Qt::CaseInsensitive) == 0)
            scannedTables << int(out.sql.size());
    };
    while (i < n) {
        const QChar c = text[i];
        if (c == QLatin1Char('\'')) {
            // A constant the program wrote: SQLite reads it the same way.
            int end = i + 1;
            while (end < n) {
                if (text[end] == QLatin1Char('\'')) {
                    if (end + 1 < n && text[end + 1] == QLatin1Char('\'')) {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            if (end >= n) throw DataError(QStringLiteral("Erro de sintaxe no SQL: aspas não fechadas"));
            if (sawValue()) {
                out.sql += QStringLiteral("?");
                out.bindings.append({QString(), wholeDate(text.mid(i + 1, end - i - 1))});
            } else {
                out.sql += text.mid(i, end - i + 1);
            }
            i = end + 1;
            previousWord.clear();
        } else if (c == QLatin1Char('"')) {
            const int end = text.indexOf(QLatin1Char('"'), i + 1);
            if (end < 0) throw DataError(QStringLiteral("Erro de sintaxe no SQL: aspas duplas não fechadas"));
            const QString inner = text.mid(i + 1, end - i - 1);
            const QString field = declaredFieldName(inner, named);
            if (const TableDef* table = Catalogue::find(inner)) {
                addTable(table);
                comparison = Comparison::None;
            } else if (!field.isEmpty()) {
                out.sql += quoteIdentifier(field);
                sawField(field);
            } else {
                const bool comparedWithDate = sawValue();
                const QDate date = usDateOf(inner);
                if (date.isValid() || comparedWithDate || meantAsDate(inner)) {
                    // Only a whole date: SQLite would take any other text in double quotes that names nothing
                    // for a text constant, and compare it with the stored dates as text.
                    if (!date.isValid()) throw notADate(inner);
                    out.sql += QStringLiteral("?");
                    out.bindings.append({QString(), date});
                } else {
                    out.sql += quoteIdentifier(inner);
                }
            }
            i = end + 1;
            previousWord.clear();
        } else if (c == QLatin1Char(':') && i + 1 < n && isNameStart(text[i + 1]) &&
                   (i == 0 || !isNameChar(text[i - 1]))) {
            int end = i + 1;
            while (end < n && isNameChar(text[end]))
                ++end;
            out.sql += QStringLiteral("?");
            out.bindings.append({text.mid(i + 1, end - i - 1), QVariant(), sawValue()});
            i = end;
            previousWord.clear();
        } else if (isNameStart(c)) {
            int end = i;
            while (end < n && isNameChar(text[end]))
                ++end;
            const QString word = text.mid(i, end - i);
            i = end;
            const TableDef* table = Catalogue::find(word);
            // "tbpagar.db" names a table, not a database "tbpagar" and a table "db".
            if (table && i + 2 < n && text[i] == QLatin1Char('.') &&
                text.mid(i + 1, 2).compare(QLatin1String("db"), Qt::CaseInsensitive) == 0 &&
                (i + 3 >= n || !isNameChar(text[i + 3])))
                i += 3;
            const bool alias = previousWord.compare(QLatin1String("as"), Qt::CaseInsensitive) == 0;
            const QString field = alias || table ? QString() : declaredFieldName(word, named);
            if (table && !alias) {
                addTable(table);
            } else if (alias && !isTypeName(word)) {
                // A column's new name keeps its letter case on the server only when quoted.
                out.sql += quoteIdentifier(word);
            } else if ((!field.isEmpty() && !isKeyword(word)) || !isAscii(word)) {
                // A field goes quoted and spelled as declared: the server takes names as written only when
                // quoted, and SQLite folds only ASCII letters.
                out.sql += quoteIdentifier(field.isEmpty() ? word : field);
            } else {
                out.sql += word;
            }
            const auto is = [&word](const char* keyword) {
                return word.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
            };
            if (!field.isEmpty()) {
                sawField(field);
            } else if (comparison == Comparison::AfterField && is("between")) {
                comparison = Comparison::AfterOperator;
                between = true;
            } else if (comparison == Comparison::AfterFirstBound && is("and")) {
                comparison = Comparison::AfterOperator;  // the second bound ends the comparison
            } else if (!(comparison == Comparison::AfterField && is("not"))) {
                comparison = Comparison::None;
            }
            if (word.compare(QLatin1String("order"), Qt::CaseInsensitive) == 0) {
                ordered = true;
                if (depth == 0) out.orderByAt = int(out.sql.size() - word.size());
            }
            if (depth == 0 && word.compare(QLatin1String("limit"), Qt::CaseInsensitive) == 0) limited = true;
            previousWord = word;
        } else {
            out.sql += c;
            if (c == QLatin1Char('(')) ++depth;
            if (c == QLatin1Char(')')) --depth;
            if (!c.isSpace()) {
                previousWord.clear();
                const bool comparisonOperator = c == u'=' || c == u'<' || c == u'>' || c == u'!';
                comparison = comparisonOperator && (comparison == Comparison::AfterField ||
                                                    comparison == Comparison::AfterOperator)
                                 ? Comparison::AfterOperator
                                 : Comparison::None;
            }
            ++i;
        }
    }
    if (limited) out.orderByAt = -1;
    // Without ORDER BY, rows come in the table's own order, never in the order of an index that happens to
    // hold every column asked for.
    if (!ordered)
        for (auto at = scannedTables.crbegin(); at != scannedTables.crend(); ++at)
            out.sql.insert(*at, dialect ? dialect->notIndexed(QString()) : QStringLiteral(" NOT INDEXED"));
    return out;
}

Query::Query(QObject* parent) : Dataset(parent) {}

Query::~Query() {
    close();
}

void Query::setSql(const QString& text) {
    close();
    lines_ = text.split(QLatin1Char('\n'));
    for (QString& line : lines_)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
}

void Query::clearSql() {
    close();
    lines_.clear();
}

void Query::addSql(const QString& line) {
    close();
    lines_ << line;
}

void Query::setParam(const QString& name, const QVariant& value) {
    params_.insert(name.toLower(), value);
}

QVariant Query::param(const QString& name) const {
    return params_.value(name.toLower());
}

void Query::setReadOnDemand(bool on) {
    if (on == onDemand_) return;
    close();
    onDemand_ = on;
}

QVariantList Query::boundValues(const TranslatedSql& translated) const {
    QVariantList values;
    for (const TranslatedSql::Binding& binding : translated.bindings) {
        if (binding.param.isEmpty()) {
            values << binding.value;
            continue;
        }
        if (!params_.contains(binding.param.toLower()))
            throw DataError(QStringLiteral("Nenhum valor para o parâmetro '%1'").arg(binding.param));
        const QVariant value = params_.value(binding.param.toLower());
        if (binding.date)
            values << dateParameter(binding.param, value);
        else
            values << (value.typeId() == QMetaType::QString && value.toString().isEmpty() ? QVariant()
                                                                                          : value);
    }
    return values;
}

QVector<QVariant> Query::readRow(const Statement& statement) const {
    QVector<QVariant> row(columns_.size());
    for (int c = 0; c < columns_.size(); ++c) {
        if (typed_[c]) {
            row[c] = statement.fieldValue(c, columns_[c].type);
        } else {
            row[c] = statement.value(c);
            if (columns_[c].type == FieldType::Integer && !row[c].isNull()) row[c] = row[c].toInt();
        }
    }
    return row;
}

namespace {

constexpr int kPageRows = 256;
constexpr int kPagesKept = 64;

// Columns computed by the statement have no declared type: each value keeps its own, and the column takes
// the widest seen (a whole number and a decimal make a decimal column).
FieldType widestKind(const QVector<QVector<QVariant>>& rows, int column) {
    int widest = 0;  // 0 nothing seen, 1 integer, 2 decimal, 3 text, 4 bytes
    for (const auto& row : rows) {
        const QVariant& raw = row[column];
        const int kind = raw.isNull()                            ? 0
                         : raw.typeId() == QMetaType::LongLong   ? 1
                         : raw.typeId() == QMetaType::Double     ? 2
                         : raw.typeId() == QMetaType::QByteArray ? 4
                                                                 : 3;
        widest = qMax(widest, kind);
    }
    static const FieldType kinds[] = {FieldType::Memo, FieldType::Integer, FieldType::Float, FieldType::Memo,
                                      FieldType::Blob};
    return kinds[widest];
}

}  // namespace

void Query::open() {
    if (active()) return;
    const TranslatedSql translated =
        translateLocalSql(sql(), &Session::instance().database(databaseName()).dialect());
    for (const QString& tableName : translated.tables) {
        const TableDef* table = Catalogue::find(tableName);
        if (table && !table->password.isEmpty() && !Session::instance().hasPassword(table->password))
            throw DataError(QStringLiteral("A tabela %1 é protegida: a senha de acesso não foi informada")
                                .arg(table->name));
    }
    Database& database = attachDatabase();
    try {
        for (const QString& tableName : translated.tables)
            if (!database.tableExists(tableName))
                throw DataError(QStringLiteral("A tabela '%1' não existe nos dados (%2)")
                                    .arg(tableName, database.booksPlace()));
        const QVariantList values = boundValues(translated);
        // Kept for reading pages and totals; a closing semicolon would end the statement they wrap it in.
        sql_ = translated.sql.trimmed();
        while (sql_.endsWith(QLatin1Char(';')))
            sql_ = sql_.chopped(1).trimmed();
        unorderedSql_ = translated.orderByAt < 0 ? sql_ : translated.unordered().trimmed();
        values_ = values;
        Statement statement(database.connection(), translated.sql, Statement::SelectOnly);
        statement.bindAll(values);
        columns_.clear();
        typed_.clear();
        for (int c = 0; c < statement.columnCount(); ++c) {
            columns_ << fieldFromSqlType(statement.columnName(c), statement.declaredType(c), FieldType::Memo);
            typed_ << !statement.declaredType(c).isEmpty();
        }
        QVector<QVector<QVariant>> rows;
        if (onDemand_) {
            // The count first, with the totals of the amount columns read in the same pass; then only as many
            // rows as the computed columns need to be typed.
            QStringList counted = {QStringLiteral("count(*)")};
            QVector<int> amounts;
            for (int c = 0; c < columns_.size(); ++c)
                if (typed_[c] &&
                    (columns_[c].type == FieldType::Float || columns_[c].type == FieldType::Currency)) {
                    counted << database.dialect().moneySum(quoteIdentifier(columns_[c].name));
                    amounts << c;
                }
            Statement counter(database.connection(),
                              QStringLiteral("SELECT %1 FROM (%2) AS vj_rows")
                                  .arg(counted.join(QStringLiteral(", ")), unorderedSql_),
                              Statement::SelectOnly);
            counter.bindAll(values);
            count_ = 0;
            if (counter.step()) {
                count_ = int(counter.int64(0));
                for (int a = 0; a < amounts.size(); ++a) {
                    MoneySum total;
                    total.addMillionths(counter.int64(a + 1));
                    sums_.insert(amounts[a], total.total());
                }
            }
            counter.reset();
            if (typed_.contains(false))
                while (rows.size() < kPageRows && statement.step())
                    rows.append(readRow(statement));
        } else {
            while (statement.step())
                rows.append(readRow(statement));
            count_ = int(rows.size());
        }
        statement.reset();
        for (int c = 0; c < columns_.size(); ++c) {
            if (typed_[c]) continue;
            columns_[c].type = widestKind(rows, c);
            if (columns_[c].type == FieldType::Integer)
                for (auto& row : rows)
                    if (!row[c].isNull()) row[c] = row[c].toInt();
        }
        if (onDemand_) {
            if (!rows.isEmpty()) {
                rows.resize(qMin(int(rows.size()), kPageRows));
                pages_.insert(0, rows);
                pageOrder_ = {0};
            }
        } else {
            rows_ = std::move(rows);
        }
    } catch (...) {
        columns_.clear();
        rows_.clear();
        pages_.clear();
        pageOrder_.clear();
        sums_.clear();
        count_ = 0;
        detachDatabase();
        throw;
    }
    resetFieldFormats();
    setState(State::Browse);
    moveTo(0);
    bof_ = true;
    eof_ = count_ == 0;
    notifyLayoutChanged();
    notifyDataChanged();
    emit afterOpen();
    emit afterScroll();
}

Money Query::sum(const QString& column) {
    if (!active()) return {};
    const int index = fieldIndex(column);
    if (index < 0) throw DataError(QStringLiteral("Campo '%1' não encontrado na consulta").arg(column));
    if (sums_.contains(index)) return sums_.value(index);
    if (!database_) return {};
    Statement statement(
        database_->connection(),
        QStringLiteral("SELECT %1 FROM (%2) AS vj_rows")
            .arg(database_->dialect().moneySum(quoteIdentifier(columns_[index].name)), unorderedSql_),
        Statement::SelectOnly);
    statement.bindAll(values_);
    MoneySum total;
    if (statement.step() && !statement.isNull(0)) total.addMillionths(statement.int64(0));
    statement.reset();
    return total.total();
}

const QVector<QVariant>* Query::rowAt(int row) const {
    if (row < 0 || row >= count_) return nullptr;
    if (!onDemand_) return &rows_[row];
    const int page = row / kPageRows;
    auto found = pages_.constFind(page);
    if (found == pages_.constEnd()) {
        readPage(page);
        found = pages_.constFind(page);
        if (found == pages_.constEnd()) return nullptr;
    }
    const int offset = row % kPageRows;
    return offset < found->size() ? &(*found)[offset] : nullptr;
}

void Query::readPage(int page) const {
    if (!database_) return;
    const int first = page * kPageRows;
    if (!cursor_ || cursorRow_ != first) {
        if (!cursor_)
            cursor_ = std::make_unique<Statement>(
                database_->connection(),
                QStringLiteral("SELECT * FROM (%1) AS vj_rows").arg(sql_) + database_->dialect().offset(),
                Statement::SelectOnly);
        cursor_->reset();
        cursor_->bindAll(values_);
        cursor_->bind(int(values_.size()) + 1, first);
        cursorRow_ = first;
    }
    QVector<QVector<QVariant>> rows;
    rows.reserve(kPageRows);
    try {
        while (rows.size() < kPageRows && cursor_->step())
            rows.append(readRow(*cursor_));
    } catch (...) {
        releaseCursor();
        throw;
    }
    cursorRow_ += int(rows.size());
    if (rows.size() < kPageRows) releaseCursor();
    pages_.insert(page, rows);
    pageOrder_.removeAll(page);
    pageOrder_.append(page);
    while (pageOrder_.size() > kPagesKept)
        pages_.remove(pageOrder_.takeFirst());
    if (cursor_ && cursorRow_ >= 0 && !releasePending_) {
        releasePending_ = true;
        QMetaObject::invokeMethod(
            const_cast<Query*>(this),
            [this] {
                releasePending_ = false;
                releaseCursor();
            },
            Qt::QueuedConnection);
    }
}

void Query::releaseCursor() const {
    if (cursor_) cursor_->reset();
    cursorRow_ = -1;
}

void Query::close() {
    if (!active()) return;
    emit beforeClose();
    rows_.clear();
    pages_.clear();
    pageOrder_.clear();
    sums_.clear();
    cursor_.reset();
    cursorRow_ = -1;
    count_ = 0;
    pos_ = -1;
    bof_ = eof_ = true;
    setState(State::Inactive);
    detachDatabase();
    notifyLayoutChanged();
    notifyDataChanged();
}

void Query::moveTo(int pos) {
    pos_ = count_ == 0 ? -1 : qBound(0, pos, count_ - 1);
}

void Query::first() {
    checkActive();
    moveTo(0);
    bof_ = true;
    eof_ = count_ == 0;
    emit afterScroll();
    notifyDataChanged();
}

void Query::last() {
    checkActive();
    moveTo(count_ - 1);
    eof_ = true;
    bof_ = count_ == 0;
    emit afterScroll();
    notifyDataChanged();
}

void Query::next() {
    checkActive();
    if (!eof_) {
        bof_ = false;
        if (pos_ + 1 < count_)
            moveTo(pos_ + 1);
        else
            eof_ = true;
    }
    emit afterScroll();
    notifyDataChanged();
}

void Query::prior() {
    checkActive();
    if (!bof_) {
        eof_ = false;
        if (pos_ > 0)
            moveTo(pos_ - 1);
        else
            bof_ = true;
    }
    emit afterScroll();
    notifyDataChanged();
}

Bookmark Query::bookmark() const {
    if (!active() || pos_ < 0) return {};
    return {pos_};
}

bool Query::gotoBookmark(const Bookmark& bookmark) {
    checkActive();
    if (!bookmark.isValid() || bookmark.key >= count_) return false;
    moveTo(int(bookmark.key));
    bof_ = eof_ = false;
    emit afterScroll();
    notifyDataChanged();
    return true;
}

const FieldDef& Query::fieldDef(int index) const {
    if (index < 0 || index >= columns_.size())
        throw DataError(QStringLiteral("Campo número %1 não existe na consulta").arg(index));
    return columns_[index];
}

QVariant Query::fieldValue(int index) const {
    checkActive();
    fieldDef(index);
    const QVector<QVariant>* row = rowAt(pos_);
    return row ? row->value(index) : QVariant();
}

QVariant Query::valueAt(int row, int column) const {
    const QVector<QVariant>* values = rowAt(row);
    return values ? values->value(column) : QVariant();
}
