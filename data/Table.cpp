#include "Table.h"

#include <optional>

#include "DataError.h"
#include "Database.h"
#include "Engine.h"
#include "Values.h"

namespace {

// A value searched for, converted to the field's type; texts are not cut to the field's size.
QVariant searchValue(const FieldDef& field, const QVariant& value) {
    if (!field.isText()) return Values::toFieldValue(field, value);
    FieldDef unlimited = field;
    unlimited.type = FieldType::Memo;
    return Values::toFieldValue(unlimited, value);
}

}  // namespace

// A field's value as stored, ordered as SQLite orders it: blank first, then numbers by value, then texts by
// their UTF-8 bytes (letter case of A-Z aside under NOCASE), then the rest by bytes.
Table::SortValue Table::SortValue::of(const QVariant& value) {
    SortValue sortValue;
    switch (value.typeId()) {
        case QMetaType::UnknownType:
            break;
        case QMetaType::LongLong:
        case QMetaType::Int:
        case QMetaType::Double:
            sortValue.rank = 1;
            sortValue.number = value.toDouble();
            break;
        case QMetaType::QString:
            sortValue.rank = 2;
            sortValue.bytes = value.toString().toUtf8();
            break;
        default:
            sortValue.rank = 3;
            sortValue.bytes = value.toByteArray();
            break;
    }
    return sortValue;
}

int Table::SortValue::compare(const SortValue& other, bool noCase) const {
    if (rank != other.rank) return rank < other.rank ? -1 : 1;
    if (rank == 0) return 0;
    if (rank == 1) return number < other.number ? -1 : number > other.number ? 1 : 0;
    const qsizetype common = qMin(bytes.size(), other.bytes.size());
    for (qsizetype i = 0; i < common; ++i) {
        auto a = uchar(bytes[i]), b = uchar(other.bytes[i]);
        if (noCase && rank == 2) {
            if (a >= 'A' && a <= 'Z') a += 'a' - 'A';
            if (b >= 'A' && b <= 'Z') b += 'a' - 'A';
        }
        if (a != b) return a < b ? -1 : 1;
    }
    return bytes.size() == other.bytes.size() ? 0 : bytes.size() < other.bytes.size() ? -1 : 1;
}

Table::Table(QObject* parent) : Dataset(parent) {}

Table::Table(const QString& databaseName, const QString& tableName, QObject* parent) : Dataset(parent) {
    setDatabaseName(databaseName);
    setTableName(tableName);
}

Table::~Table() {
    close();
}

void Table::setTableName(const QString& name) {
    if (active()) throw DataError(QStringLiteral("Não é possível trocar a tabela de uma tabela aberta"));
    tableName_ = name;
    def_ = Catalogue::find(name);
    if (def_) resetFieldFormats();
}

void Table::requireDefinition() const {
    if (!def_) throw DataError(QStringLiteral("Tabela '%1' não encontrada").arg(tableName_));
}

const TableDef& Table::definition() const {
    requireDefinition();
    return *def_;
}

int Table::fieldCount() const {
    return def_ ? int(def_->fields.size()) : 0;
}

const FieldDef& Table::fieldDef(int index) const {
    requireDefinition();
    if (index < 0 || index >= def_->fields.size())
        throw DataError(QStringLiteral("Campo número %1 não existe na tabela %2").arg(index).arg(def_->name));
    return def_->fields[index];
}

const IndexDef* Table::resolveIndex(const QString& name) const {
    if (name.trimmed().isEmpty()) return nullptr;
    const IndexDef* index = def_->findIndex(name);
    if (!index)
        throw DataError(QStringLiteral("Índice '%1' não encontrado na tabela %2").arg(name, def_->name));
    return index->primary ? nullptr : index;
}

QString Table::orderBy() const {
    const QString key = quoteIdentifier(def_->keyField().name);
    if (!index_) return QStringLiteral(" ORDER BY ") + key;
    QString column = quoteIdentifier(index_->field);
    // Walking an index whose entries lack a filtered field means one table lookup per row; reading the
    // table in its own order and sorting is several times faster then.
    bool sortAfter =
        compiled_.blankBelow.contains(index_->field) && !compiled_.withoutBlanks.contains(index_->field);
    for (const QString& field : compiled_.fields)
        if (field != index_->field && !index_->covering.contains(field)) sortAfter = true;
    // Likewise when the filter lets blanks through below a bound on the index's own field (and the rows can't
    // be read as blanks, then the range: see reloadKeys): SQLite then finds the rows by two lookups in the
    // index and sorts them, where walking the index in order would read on from the range's start to its end.
    const Dialect& dialect = database_->dialect();
    if (sortAfter) column = dialect.unindexed(column);
    const int field = def_->fieldIndex(index_->field);
    if (index_->caseInsensitive && field >= 0 && def_->fields[field].isText())
        column = dialect.noCase(column);
    return QStringLiteral(" ORDER BY %1, %2").arg(dialect.ascending(column), key);
}

QString Table::fromWhere(const CompiledFilter& filter) const {
    QString sql = QStringLiteral(" FROM ") + quoteIdentifier(def_->name);
    if (!filter.isEmpty()) sql += QStringLiteral(" WHERE ") + filter.sql;
    return sql;
}

void Table::open() {
    if (active()) return;
    requireDefinition();
    if (!def_->password.isEmpty() && !Session::instance().hasPassword(def_->password))
        throw DataError(
            QStringLiteral("A tabela %1 é protegida: a senha de acesso não foi informada").arg(def_->name));
    const IndexDef* index = resolveIndex(indexName_);
    const CompiledFilter compiled = filtered_ ? compileFilter(filterText_, *def_) : CompiledFilter();

    Database& database = attachDatabase();
    try {
        if (!database.tableExists(def_->name))
            throw DataError(
                QStringLiteral("A tabela '%1' não existe nos dados (%2)").arg(def_->name, database.booksPlace()));
        QStringList columns;
        for (const FieldDef& field : def_->fields)
            columns << quoteIdentifier(field.name);
        readStatement_ = std::make_unique<Statement>(
            database.connection(), QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                       .arg(columns.join(QStringLiteral(", ")), quoteIdentifier(def_->name),
                                            quoteIdentifier(def_->keyField().name)));
        QStringList marks;
        for (int i = 0; i < readAhead(); ++i)
            marks << QStringLiteral("?");
        batchStatement_ = std::make_unique<Statement>(
            database.connection(),
            QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 IN (%4)")
                .arg(quoteIdentifier(def_->keyField().name), columns.join(QStringLiteral(", ")),
                     quoteIdentifier(def_->name), marks.join(QStringLiteral(", "))));
        index_ = index;
        compiled_ = compiled;
        reloadKeys();
    } catch (...) {
        readStatement_.reset();
        batchStatement_.reset();
        state_ = State::Inactive;
        detachDatabase();
        throw;
    }
    setState(State::Browse);
    if (keys_.isEmpty())
        clearCurrent();
    else
        moveTo(0);
    bof_ = true;
    eof_ = keys_.isEmpty();
    notifyLayoutChanged();
    notifyDataChanged();
    emit afterOpen();
    emit afterScroll();
}

void Table::checkStored() {
    requireDefinition();
    Database& database = Session::instance().database(databaseName());
    if (!database.tableExists(def_->name))
        throw DataError(
            QStringLiteral("A tabela '%1' não existe nos dados (%2)").arg(def_->name, database.booksPlace()));
}

void Table::close() {
    if (!active()) return;
    emit beforeClose();
    // Pending changes are abandoned, as when a window closes.
    buffer_.clear();
    changed_.clear();
    modified_ = false;
    readStatement_.reset();
    batchStatement_.reset();
    sortValueStatement_.reset();
    selectStatement_.reset();
    keyReads_.clear();
    sortValues_ = SortValues();
    ahead_ = ReadAhead();
    keys_.clear();
    keysCount_ = 0;
    clearCurrent();
    bof_ = eof_ = true;
    setState(State::Inactive);
    detachDatabase();
    notifyLayoutChanged();
    notifyDataChanged();
}

void Table::reloadKeys(bool whole) {
    const QString key = quoteIdentifier(def_->keyField().name);
    QStringList statements;
    if (index_ && compiled_.withoutBlanks.contains(index_->field)) {
        // Blanks come first in the index's order: they are read apart, then the rows with a value as one
        // range of the index, which a single condition letting blanks through would not bound.
        const QString column = quoteIdentifier(index_->field);
        const QString table = quoteIdentifier(def_->name);
        statements << QStringLiteral("SELECT %1 FROM %2 WHERE %3 IS NULL AND (%4) ORDER BY %1")
                          .arg(key, table, column, compiled_.sql)
                   << QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                              .arg(key, table, compiled_.withoutBlanks.value(index_->field)) +
                          orderBy();
    } else {
        statements << QStringLiteral("SELECT ") + key + fromWhere(compiled_) + orderBy();
    }
    // Every row of the table read in its own order passes by its amount anyway: the total is added up on the
    // way, which spares a second reading of the whole table when the window asks for it.
    const int totalled = !totalField_.isEmpty() && !index_ && compiled_.isEmpty() && statements.size() == 1
                             ? def_->fieldIndex(totalField_)
                             : -1;
    if (totalled >= 0)
        statements.first() =
            QStringLiteral("SELECT %1, %2").arg(key, quoteIdentifier(def_->fields[totalled].name)) +
            fromWhere(compiled_) + orderBy();
    ahead_ = ReadAhead();
    sortValueStatement_.reset();

    // What was stored is told before the rows are read: a change in between makes the next ask read again.
    const qint64 version = dataVersion();
    const qint64 changes = Session::instance().changeCount();
    const QString sql = statements.join(QLatin1Char(';'));
    // Inside a transaction what is read may yet be rolled back, which no counter tells: such rows are neither
    // kept nor taken from what was kept.
    const bool lasting = !database_->connection().inTransaction();
    keysStamp_ = Stamp{changes, version, lasting};
    keysSql_ = sql;
    for (qsizetype i = 0; lasting && i < keyReads_.size(); ++i) {
        const KeyRead& read = keyReads_[i];
        if (read.sql == sql && read.params == compiled_.params && read.changes == changes &&
            read.version == version && (!whole || read.count == read.keys.size())) {
            keys_ = read.keys;
            keysCount_ = read.count;
            keyReads_.move(i, 0);
            return;
        }
    }

    // On a server every key is carried over the network, and all of a view's keys in order mean sorting
    // them all: a page is read, from the index where it has the order, with the count of the rows.
    const int page = whole ? 0 : keysPage_ >= 0 ? keysPage_ : database_->dialect().keysPage();
    // The page and the count of the same stored rows.
    std::optional<ReadTransaction> sameRows;
    if (page > 0) sameRows.emplace(database_->connection());
    QVector<qint64> keys;
    keys.reserve(page > 0 ? page : keys_.size());
    MoneySum sum;
    bool summed = totalled >= 0;
    for (const QString& text : statements) {
        const qsizetype left = page - keys.size();
        if (page > 0 && left <= 0) break;
        Statement statement(database_->connection(),
                            page > 0 ? text + QStringLiteral(" LIMIT %1").arg(left) : text);
        statement.bindAll(compiled_.params);
        while (statement.step()) {
            keys.append(statement.int64(0));
            if (summed && !statement.isNull(1)) {
                try {
                    sum.add(statement.real(1));
                } catch (const DataError&) {
                    summed = false;  // beyond what a total holds: sum() says so when asked
                }
            }
        }
    }
    qint64 count = keys.size();
    if (page > 0 && count >= page) {
        // The count, and the total the window wants, in one pass over the rows.
        const int total = totalField_.isEmpty() ? -1 : def_->fieldIndex(totalField_);
        QString sql = QStringLiteral("SELECT count(*)");
        if (total >= 0)
            sql += QStringLiteral(", ") +
                   database_->dialect().moneySum(quoteIdentifier(def_->fields[total].name));
        Statement counting(database_->connection(), sql + fromWhere(compiled_));
        counting.bindAll(compiled_.params);
        if (counting.step()) count = qMax(count, counting.int64(0));
        summed = false;  // the page's amounts are not all of them
        if (total >= 0 && lasting) {
            MoneySum all;
            all.addMillionths(counting.int64(1));
            sumRead_ = SumRead{total, compiled_.sql, compiled_.params, keysStamp_, all};
        }
    }
    keys_ = std::move(keys);
    keysCount_ = int(count);
    keepKeys();
    if (summed && lasting) sumRead_ = SumRead{totalled, compiled_.sql, compiled_.params, keysStamp_, sum};
}

// The rest of the keys of a view that read only their first page: all of them read again, as stored now,
// staying on the same row. A count changed meanwhile is told to the grids once the present step is over.
void Table::completeKeys() {
    if (!partial()) return;
    const qint64 current = keyAt(pos_);
    const int counted = keysCount_;
    const QVector<qint64> read = keys_;
    reloadKeys(true);
    const int at = current >= 0 ? int(keys_.indexOf(current)) : -1;
    const bool shifted = keysCount_ != counted || at != pos_ || keys_.mid(0, read.size()) != read;
    if (at >= 0) {
        pos_ = at;
    } else if (pos_ >= 0) {
        // The current row went away meanwhile: its neighbour stands in its place.
        pos_ = qMin(pos_, keysCount_ - 1);
        if (pos_ < 0 || !readRow(keys_.at(pos_), current_)) clearCurrent();
    }
    if (shifted)
        QMetaObject::invokeMethod(
            this,
            [this] {
                notifyLayoutChanged();
                notifyDataChanged();
            },
            Qt::QueuedConnection);
}

// Where a row stands among the keys, reading the rest of them when it is not among those read so far.
int Table::indexOfKey(qint64 key) {
    int at = int(keys_.indexOf(key));
    if (at < 0 && partial()) {
        completeKeys();
        at = int(keys_.indexOf(key));
    }
    return at;
}

bool Table::readRow(qint64 key, QVector<QVariant>& values, QVector<QVariant>* stored) {
    readStatement_->bind(1, key);
    const bool found = readStatement_->step();
    if (found) {
        values.resize(def_->fields.size());
        if (stored) stored->resize(def_->fields.size());
        for (int i = 0; i < def_->fields.size(); ++i) {
            values[i] = readStatement_->fieldValue(i, def_->fields[i].type);
            if (stored) (*stored)[i] = readStatement_->value(i);
        }
    }
    readStatement_->reset();
    return found;
}

void Table::clearCurrent() {
    pos_ = -1;
    current_ = QVector<QVariant>(fieldCount());
}

void Table::moveTo(int pos, int step) {
    if (pos >= keys_.size()) completeKeys();
    if (keys_.isEmpty()) {
        clearCurrent();
        return;
    }
    pos_ = qBound(0, pos, int(keys_.size()) - 1);
    if (readAt(pos_, step)) return;
    // The row went away through another view: read the rows again and stand where it was.
    reloadKeys();
    notifyLayoutChanged();
    if (pos >= keys_.size()) completeKeys();
    if (keys_.isEmpty()) {
        clearCurrent();
        return;
    }
    pos_ = qBound(0, pos, int(keys_.size()) - 1);
    if (!readRow(keys_.at(pos_), current_)) clearCurrent();
}

// A run of moves one way reads the rows ahead in one statement, so it costs about what stepping through the
// same rows with one statement does; any other move reads its one row. Either way the row is read as stored
// now: the rows read ahead are dropped as soon as anything is stored through any connection of the session.
int Table::readAhead() const {
    return database_->dialect().readAheadRows();
}

bool Table::readAt(int pos, int step) {
    const qint64 changes = Session::instance().changeCount();
    // As of the last news of others' stores, which costs nothing to ask on every move.
    const qint64 version = database_->othersSeen();
    const int offset = pos - ahead_.first;
    if (ahead_.changes == changes && ahead_.version == version && offset >= 0 &&
        offset < ahead_.keys.size() && ahead_.keys[offset] == keys_.at(pos) &&
        !ahead_.rows[offset].isEmpty()) {
        current_ = ahead_.rows[offset];
        return true;
    }
    if (step == 0) return readRow(keys_.at(pos), current_);

    const int first = step > 0 ? pos : qMax(0, pos - readAhead() + 1);
    const int count = qMin(readAhead(), int(keys_.size()) - first);
    ahead_ = ReadAhead();
    ahead_.changes = changes;
    ahead_.version = version;
    ahead_.first = first;
    ahead_.keys = keys_.mid(first, count);
    ahead_.rows.resize(count);
    QHash<qint64, int> slotOf;
    slotOf.reserve(count);
    for (int i = 0; i < readAhead(); ++i) {
        if (i < count) slotOf.insert(ahead_.keys[i], i);
        batchStatement_->bind(i + 1, i < count ? QVariant(ahead_.keys[i]) : QVariant());
    }
    const int fields = int(def_->fields.size());
    while (batchStatement_->step()) {
        const int slot = slotOf.value(batchStatement_->int64(0), -1);
        if (slot < 0) continue;
        QVector<QVariant>& values = ahead_.rows[slot];
        values.resize(fields);
        for (int i = 0; i < fields; ++i)
            values[i] = batchStatement_->fieldValue(i + 1, def_->fields[i].type);
    }
    batchStatement_->reset();
    const QVector<QVariant>& row = ahead_.rows[pos - first];
    if (row.isEmpty()) return false;
    current_ = row;
    return true;
}

void Table::repositionOn(qint64 key, int fallbackPos) {
    const int pos = key >= 0 ? positionOf(key) : -1;
    moveTo(pos >= 0 ? pos : fallbackPos);
}

// Where a row stands, or would stand, in the view's order, by bisection: the keys are ordered by the index's
// field, then by row key, and SQLite compares the field with the row's own value, so that its order and
// collation decide. -1 when the row is not stored, -2 when a row of the view is gone from the table, -3 when
// the row comes after the keys read so far of a view that has more.
int Table::placeFor(qint64 key) {
    if (partial() && keys_.isEmpty()) return -3;
    if (!index_) {
        if (partial() && key > keys_.last()) return -3;
        return int(std::lower_bound(keys_.cbegin(), keys_.cend(), key) - keys_.cbegin());
    }

    const QString table = quoteIdentifier(def_->name);
    const QString rowKey = quoteIdentifier(def_->keyField().name);
    if (!sortValueStatement_)
        sortValueStatement_ = std::make_unique<Statement>(
            database_->connection(), QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                         .arg(quoteIdentifier(index_->field), table, rowKey));
    // The values read by earlier searches hold while nothing has been stored since: the first steps of every
    // bisection over the same keys look at the same rows.
    // What is read inside a transaction may yet be rolled back, which no counter tells: it is not kept.
    const Stamp now{Session::instance().changeCount(), dataVersion(),
                    !database_->connection().inTransaction()};
    if (sortValues_.index != index_ || sortValues_.stamp.changes != now.changes ||
        sortValues_.stamp.version != now.version || sortValues_.values.size() > 4096)
        sortValues_ = SortValues{index_, now, {}};
    ReadTransaction transaction(database_->connection());
    // The sort value of a row; false when the row is gone.
    const auto valueOf = [&](qint64 rowKey, SortValue& value) {
        if (const auto kept = sortValues_.values.constFind(rowKey); kept != sortValues_.values.cend()) {
            value = *kept;
            return true;
        }
        sortValueStatement_->bind(1, rowKey);
        const bool exists = sortValueStatement_->step();
        if (exists) value = SortValue::of(sortValueStatement_->value(0));
        sortValueStatement_->reset();
        if (exists && now.lasting) sortValues_.values.insert(rowKey, value);
        return exists;
    };
    SortValue sought;
    if (!valueOf(key, sought)) return -1;

    // Whether the row at `pos` comes before the one sought, in the order of the index then the row key; -1
    // when that row is gone.
    const bool noCase = index_->caseInsensitive;
    const auto before = [&](int pos) -> int {
        const qint64 rowKey = keys_.at(pos);
        SortValue value;
        if (!valueOf(rowKey, value)) return -1;
        const int order = value.compare(sought, noCase);
        return order < 0 || (order == 0 && rowKey < key);
    };
    int low = 0;
    int high = int(keys_.size());
    if (partial() && high > 0) {
        const int earlier = before(high - 1);
        if (earlier < 0) return -2;
        if (earlier) return -3;
    }
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const int earlier = before(middle);
        if (earlier < 0) return -2;
        if (earlier)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// Where a row stands in the view; -1 when it is not in the view.
int Table::positionOf(qint64 key) {
    if (keysCount_ == 0 || key < 0) return -1;
    int place = placeFor(key);
    if (place == -3) {
        completeKeys();
        place = placeFor(key);
    }
    if (place == -2) return indexOfKey(key);  // rows deleted under the view: search it all
    return place >= 0 && place < keys_.size() && keys_.at(place) == key ? place : -1;
}

qint64 Table::dataVersion() {
    return database_->connection().dataVersion();
}

// Whether the keys are the rows the filter selects as stored now: nothing stored since they were read, by
// this program or another.
bool Table::keysCurrent() {
    return keysStamp_.lasting && keysStamp_.changes == Session::instance().changeCount() &&
           keysStamp_.version == dataVersion();
}

// Whether the stored row passes the view's filter.
bool Table::selects(qint64 key) {
    Statement statement(database_->connection(),
                        QStringLiteral("SELECT 1") + fromWhere(compiled_) +
                            (compiled_.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) +
                            quoteIdentifier(def_->keyField().name) + QStringLiteral(" = ?"));
    QVariantList params = compiled_.params;
    params << key;
    statement.bindAll(params);
    return statement.step();
}

qint64 Table::storedMillionths(int field, qint64 key) {
    Statement statement(database_->connection(),
                        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                            .arg(database_->dialect().moneySum(quoteIdentifier(def_->fields[field].name)),
                                 quoteIdentifier(def_->name), quoteIdentifier(def_->keyField().name)));
    statement.bind(1, key);
    return statement.step() ? statement.int64(0) : 0;
}

// The row just stored by this view, taken from position `at` (-1 for a new row) and put where the view's
// order places it when it passes the filter, changing the keys in place: `removedAt` and `insertedAt` say
// how, for undoing. Its position, -1 when it left the view, -2 when the view's rows must be read again, -3
// when it goes past the keys read so far.
int Table::placeStored(qint64 key, int at, int& removedAt, int& insertedAt) {
    forgetKeys();  // the kept copy would otherwise be copied whole on the first change
    if (at >= 0) {
        keys_.removeAt(at);
        --keysCount_;
        removedAt = at;
    }
    if (!selects(key)) return -1;
    const int place = placeFor(key);
    if (place < 0) return place == -3 ? -3 : -2;
    keys_.insert(place, key);
    ++keysCount_;
    insertedAt = place;
    return place;
}

void Table::forgetKeys() {
    for (qsizetype i = keyReads_.size() - 1; i >= 0; --i)
        if (keyReads_[i].sql == keysSql_ && keyReads_[i].params == compiled_.params) keyReads_.removeAt(i);
}

// The keys as they stand now, among those kept for the same rows asked again.
void Table::keepKeys() {
    if (!keysStamp_.lasting) return;
    forgetKeys();
    keyReads_.prepend(
        KeyRead{keysSql_, compiled_.params, keysStamp_.changes, keysStamp_.version, keys_, keysCount_});
    if (keyReads_.size() > 2) keyReads_.removeLast();
}

// positionOf, reading the rows again once when the row is not among those this view last read.
int Table::findPosition(qint64 key) {
    int pos = positionOf(key);
    if (pos < 0) {
        reloadKeys();
        notifyLayoutChanged();
        pos = positionOf(key);
    }
    return pos;
}

void Table::afterMove() {
    emit afterScroll();
    notifyDataChanged();
}

// The current row among the keys read, for a step that works on it.
void Table::standOnARow() {
    if (pos_ < 0 || pos_ >= keys_.size()) moveTo(qMax(pos_, 0));
}

void Table::checkBrowseMode() {
    checkActive();
    if (state_ != State::Edit && state_ != State::Insert) return;
    emit updateRecord();
    if (modified_)
        post();
    else
        cancel();
}

void Table::first() {
    checkBrowseMode();
    moveTo(0);
    bof_ = true;
    eof_ = keysCount_ == 0;
    afterMove();
}

void Table::last() {
    checkBrowseMode();
    completeKeys();
    moveTo(keysCount_ - 1);
    eof_ = true;
    bof_ = keysCount_ == 0;
    afterMove();
}

void Table::next() {
    checkBrowseMode();
    if (!eof_) {
        bof_ = false;
        // Past the keys read so far, the rest are read first and the step is taken in them: rows stored
        // meanwhile may have moved the current one.
        if (pos_ + 1 >= keys_.size()) completeKeys();
        if (pos_ + 1 < keysCount_)
            moveTo(pos_ + 1, 1);
        else
            eof_ = true;
    }
    afterMove();
}

void Table::prior() {
    checkBrowseMode();
    if (!bof_) {
        eof_ = false;
        if (pos_ > 0)
            moveTo(pos_ - 1, -1);
        else
            bof_ = true;
    }
    afterMove();
}

int Table::recNo() const {
    return active() && pos_ >= 0 ? pos_ + 1 : 0;
}

void Table::setRecNo(int recNo) {
    checkBrowseMode();
    if (keysCount_ == 0) return;
    moveTo(recNo - 1);
    bof_ = eof_ = false;
    afterMove();
}

void Table::refresh() {
    checkBrowseMode();
    const qint64 key = keyAt(pos_);
    reloadKeys();
    repositionOn(key, pos_);
    bof_ = eof_ = keysCount_ == 0;
    notifyLayoutChanged();
    afterMove();
}

void Table::storedElsewhere(const QString& table) {
    // A row being typed, or rows a window walks with its controls held, are left as they are: the store
    // checks what others did, and the walk ends before the next look.
    if (state_ != State::Browse || controlsDisabled() || !def_) return;
    if (!table.isEmpty() && table.compare(def_->name, Qt::CaseInsensitive) != 0) return;
    if (keysCurrent()) return;
    try {
        refresh();
    } catch (const DataError&) {
        // The server is out of reach: the user's next step says so.
        return;
    }
    emit othersStored();
}

void Table::setIndexName(const QString& name) {
    if (!active()) {
        if (def_) resolveIndex(name);
        indexName_ = name;
        return;
    }
    const IndexDef* index = resolveIndex(name);
    checkBrowseMode();
    indexName_ = name;
    // The same order again (as every keystroke of a search asks for it) leaves the rows as they are.
    if (index == index_) return;
    index_ = index;
    const qint64 key = keyAt(pos_);
    reloadKeys();
    repositionOn(key, 0);
    bof_ = eof_ = keysCount_ == 0;
    notifyLayoutChanged();
    afterMove();
}

void Table::setIndexFieldNames(const QString& fieldName) {
    requireDefinition();
    if (fieldName.trimmed().isEmpty() ||
        def_->keyField().name.compare(fieldName.trimmed(), Qt::CaseInsensitive) == 0) {
        setIndexName(QString());
        return;
    }
    const IndexDef* index = def_->indexOnField(fieldName);
    if (!index)
        throw DataError(
            QStringLiteral("Nenhum índice da tabela %1 tem o campo '%2'").arg(def_->name, fieldName));
    setIndexName(index->name);
}

QString Table::indexFieldNames() const {
    if (!def_) return {};
    const IndexDef* index = def_->findIndex(indexName_);
    return index ? index->field : def_->keyField().name;
}

void Table::setFilter(const QString& text) {
    filterText_ = text;
    if (active() && filtered_) applyFilter(true);
}

void Table::setFiltered(bool on) {
    if (!active()) {
        filtered_ = on;
        return;
    }
    if (on == filtered_) return;
    applyFilter(on);
}

void Table::applyFilter(bool on) {
    checkBrowseMode();
    CompiledFilter compiled;
    if (on) {
        bool compiling = true;
        try {
            compiled = compileFilter(filterText_, *def_);
            compiling = false;
            compiled_ = compiled;
            reloadKeys();
        } catch (const DataError& error) {
            // A rejected expression, by the compiler or by the engine, leaves the view unfiltered on its
            // first row.
            filtered_ = false;
            compiled_ = CompiledFilter();
            reloadKeys();
            moveTo(0);
            bof_ = true;
            eof_ = keysCount_ == 0;
            notifyLayoutChanged();
            afterMove();
            if (compiling) throw;
            throw DataError(QStringLiteral("%1: o banco de dados não aceitou o filtro; simplifique a "
                                           "expressão [%2]")
                                .arg(kInvalidFilter, error.engineMessage()),
                            error.engineMessage());
        }
    }
    filtered_ = on;
    compiled_ = compiled;
    if (!on) reloadKeys();
    moveTo(0);
    bof_ = true;
    eof_ = keys_.isEmpty();
    notifyLayoutChanged();
    afterMove();
}

void Table::positionOnSelected(const QString& condition, const QVariantList& params, bool* found) {
    QString where = condition;
    QVariantList all = compiled_.params;
    if (!compiled_.isEmpty()) where = QStringLiteral("(%1) AND (%2)").arg(compiled_.sql, condition);
    all << params;
    const QString sql = QStringLiteral("SELECT ") + quoteIdentifier(def_->keyField().name) +
                        QStringLiteral(" FROM ") + quoteIdentifier(def_->name) + QStringLiteral(" WHERE ") +
                        where + orderBy() + QStringLiteral(" LIMIT 1");
    if (!selectStatement_ || sql != selectSql_) {
        selectStatement_.reset();
        selectStatement_ = std::make_unique<Statement>(database_->connection(), sql);
        selectSql_ = sql;
    }
    Statement& statement = *selectStatement_;
    statement.bindAll(all);
    *found = statement.step();
    const qint64 key = *found ? statement.int64(0) : -1;
    statement.reset();
    if (!*found) return;
    // A row stored through another view since this one last read its rows makes it read them again.
    moveTo(findPosition(key));
    bof_ = eof_ = false;
}

bool Table::findNearest(const QVariant& value) {
    checkBrowseMode();
    const FieldDef& field = index_ ? def_->fields[def_->fieldIndex(index_->field)] : def_->keyField();
    const QVariant key = searchValue(field, value);
    if (key.isNull()) {
        first();
        return keysCount_ > 0;
    }
    const Dialect& dialect = database_->dialect();
    const bool noCase = index_ && index_->caseInsensitive && field.isText();
    const QString column = quoteIdentifier(field.name);
    const QString condition = noCase ? dialect.noCase(column) + QStringLiteral(" >= ") + dialect.noCase("?")
                                     : column + QStringLiteral(" >= ?");
    bool found = false;
    positionOnSelected(condition, {key}, &found);
    if (!found) {
        last();
        return false;
    }
    afterMove();
    return true;
}

bool Table::locate(const QString& fieldName, const QVariant& value, int options) {
    checkBrowseMode();
    const int index = def_->fieldIndex(fieldName);
    if (index < 0) throw DataError(QStringLiteral("Campo '%1' não encontrado").arg(fieldName));
    const FieldDef& field = def_->fields[index];
    const QString column = quoteIdentifier(field.name);
    const QVariant wanted = searchValue(field, value);
    QString condition;
    QVariantList params;
    // Letter case is folded with accented letters too.
    const Dialect& dialect = database_->dialect();
    const bool folded = field.isText() && (options & CaseInsensitive);
    const QString compared = folded ? dialect.folded(column) : column;
    const QString mark = folded ? dialect.folded(QStringLiteral("?")) : QStringLiteral("?");
    if (wanted.isNull()) {
        condition = column + QStringLiteral(" IS NULL");
    } else if (field.isText() && (options & PartialKey)) {
        condition = QStringLiteral("substr(%1, 1, ?) = %2").arg(compared, mark);
        params << int(wanted.toString().size()) << wanted;
    } else {
        condition = compared + QStringLiteral(" = ") + mark;
        params << wanted;
    }
    bool found = false;
    positionOnSelected(condition, params, &found);
    if (found) afterMove();
    return found;
}

bool Table::locateNearest(const QString& fieldName, const QVariant& value) {
    checkBrowseMode();
    const int index = def_->fieldIndex(fieldName);
    if (index < 0) throw DataError(QStringLiteral("Campo '%1' não encontrado").arg(fieldName));
    const FieldDef& field = def_->fields[index];
    const Dialect& dialect = database_->dialect();
    QString column = quoteIdentifier(field.name);
    if (field.isText()) column = dialect.folded(column);
    const QVariant wanted = searchValue(field, value);
    QString where = wanted.isNull()  ? QStringLiteral("1 = 1")
                    : field.isText() ? column + QStringLiteral(" >= ") + dialect.folded(QStringLiteral("?"))
                                     : column + QStringLiteral(" >= ?");
    QVariantList params = compiled_.params;
    if (!compiled_.isEmpty()) where = QStringLiteral("(%1) AND (%2)").arg(compiled_.sql, where);
    if (!wanted.isNull()) params << wanted;
    const QString key = quoteIdentifier(def_->keyField().name);
    const QString from = QStringLiteral("SELECT %1 FROM %2 WHERE ").arg(key, quoteIdentifier(def_->name));
    Statement nearest(
        database_->connection(),
        from + where + QStringLiteral(" ORDER BY %1, %2 LIMIT 1").arg(dialect.ascending(column), key));
    nearest.bindAll(params);
    bool found = nearest.step();
    qint64 target = found ? nearest.int64(0) : -1;
    nearest.reset();
    if (!found) {
        Statement last(
            database_->connection(),
            from + (compiled_.isEmpty() ? QStringLiteral("1 = 1") : compiled_.sql) +
                QStringLiteral(" ORDER BY %1, %2 DESC LIMIT 1").arg(dialect.descending(column), key));
        last.bindAll(compiled_.params);
        if (!last.step()) return false;
        target = last.int64(0);
    }
    moveTo(findPosition(target));
    bof_ = eof_ = false;
    afterMove();
    return found;
}

Bookmark Table::bookmark() const {
    if (!active() || pos_ < 0) return {};
    return {keys_.at(pos_)};
}

bool Table::gotoBookmark(const Bookmark& bookmark) {
    checkBrowseMode();
    const int pos = bookmark.isValid() ? positionOf(bookmark.key) : -1;
    if (pos < 0) return false;
    // A row deleted through another view is gone: the view stays where it is.
    QVector<QVariant> values;
    if (!readRow(bookmark.key, values)) return false;
    moveTo(pos);
    bof_ = eof_ = false;
    afterMove();
    return true;
}

void Table::insert() {
    checkBrowseMode();
    emit beforeInsert();
    buffer_ = QVector<QVariant>(fieldCount());
    changed_ = QVector<bool>(fieldCount(), false);
    modified_ = false;
    numberedField_ = -1;
    bof_ = eof_ = false;
    setState(State::Insert);
    emit afterInsert();
    emit afterScroll();
    notifyDataChanged();
}

void Table::append() {
    insert();
}

void Table::markNumbered(const QString& fieldName, qint64 number) {
    numberedField_ = state_ == State::Insert ? fieldIndex(fieldName) : -1;
    numberedAs_ = number;
}

void Table::renumberIfTaken(Connection& connection) {
    if (numberedField_ < 0 || buffer_.value(numberedField_).toLongLong() != numberedAs_) return;
    const QString lock = connection.dialect().writersLock(QStringLiteral("numbering.") + def_->name);
    if (!lock.isEmpty()) connection.execute(lock);
    const QString field = quoteIdentifier(def_->fields[numberedField_].name);
    const QString where = compiled_.isEmpty() ? QString() : QStringLiteral(" AND (%1)").arg(compiled_.sql);
    Statement taken(connection, QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?%3 LIMIT 1")
                                    .arg(quoteIdentifier(def_->name), field, where));
    taken.bindAll(QVariantList{numberedAs_} + compiled_.params);
    const bool isTaken = taken.step();
    taken.reset();
    if (!isTaken) return;
    Statement highest(connection, QStringLiteral("SELECT max(%1)").arg(field) + fromWhere(compiled_));
    highest.bindAll(compiled_.params);
    if (highest.step()) numberedAs_ = highest.int64(0) + 1;
    highest.reset();
    QVariant& value = buffer_[numberedField_];
    value = value.typeId() == QMetaType::Double ? QVariant(double(numberedAs_)) : QVariant(int(numberedAs_));
}

void Table::edit() {
    checkActive();
    if (state_ == State::Edit || state_ == State::Insert) return;
    if (keysCount_ == 0) {
        insert();
        return;
    }
    standOnARow();
    emit beforeEdit();
    // Edit starts from the row as stored now, which another view may have changed.
    if (!readRow(keys_.at(pos_), current_, &asRead_))
        throw DataError(QStringLiteral("O registro foi excluído da tabela %1").arg(def_->name));
    buffer_ = current_;
    changed_ = QVector<bool>(fieldCount(), false);
    modified_ = false;
    setState(State::Edit);
    emit afterEdit();
    notifyDataChanged();
}

void Table::post() {
    checkActive();
    if (state_ != State::Edit && state_ != State::Insert) return;
    emit updateRecord();
    emit beforePost();
    Connection& connection = database_->connection();
    const int keyIndex = def_->keyFieldIndex();
    const int oldPos = pos_;
    qint64 key = -1;
    int newPos = -1;
    QVector<QVariant> row;
    // With nothing else stored since the keys and the total were read, the stored row is put in its place
    // among the keys and the total carried over, instead of reading every row again.
    const bool outermost = !connection.inTransaction();
    const bool placing = outermost && keysCurrent();
    const Stamp previousStamp = keysStamp_;
    const SumRead previousSum = sumRead_;
    const bool summing = placing && sumKept(sumRead_.field, keysStamp_);
    if (summing && state_ == State::Edit)
        sumRead_.sum.addMillionths(-storedMillionths(sumRead_.field, keys_.at(pos_)));
    // The write, the re-read of the rows and the commit are one unit: when any of them fails nothing is
    // stored and the record stays as typed, so a second "Gravar" cannot store it twice.
    try {
        Transaction unit(connection);
        if (state_ == State::Insert) {
            renumberIfTaken(connection);
            QStringList columns, marks;
            QVariantList values;
            for (int i = 0; i < def_->fields.size(); ++i) {
                if (i == keyIndex || buffer_[i].isNull()) continue;
                columns << quoteIdentifier(def_->fields[i].name);
                marks << QStringLiteral("?");
                values << buffer_[i];
            }
            const QString sql =
                columns.isEmpty()
                    ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(def_->name))
                    : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(quoteIdentifier(def_->name), columns.join(QStringLiteral(", ")),
                               marks.join(QStringLiteral(", ")));
            const QString returning =
                connection.dialect().returningKey(quoteIdentifier(def_->keyField().name));
            Statement statement(connection, sql + returning);
            statement.bindAll(values);
            if (returning.isEmpty()) {
                statement.run();
                key = connection.lastInsertKey();
            } else {
                if (statement.step()) key = statement.int64(0);
                statement.reset();
            }
        } else {
            key = keys_.at(pos_);
            QStringList assignments;
            QVariantList values;
            for (int i = 0; i < def_->fields.size(); ++i) {
                if (!changed_[i] || i == keyIndex) continue;
                assignments << quoteIdentifier(def_->fields[i].name) + QStringLiteral(" = ?");
                values << buffer_[i];
            }
            if (!assignments.isEmpty()) {
                // Only over the row as this view read it: a change another user stored meanwhile is never
                // overwritten unseen.
                QStringList unchanged = {quoteIdentifier(def_->keyField().name) + QStringLiteral(" = ?")};
                values << key;
                for (int i = 0; i < def_->fields.size() && i < asRead_.size(); ++i) {
                    if (i == keyIndex) continue;
                    unchanged << connection.dialect().sameAs(quoteIdentifier(def_->fields[i].name));
                    values << asRead_[i];
                }
                Statement statement(
                    connection, QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                    .arg(quoteIdentifier(def_->name), assignments.join(QStringLiteral(", ")),
                                         unchanged.join(QStringLiteral(" AND "))));
                statement.bindAll(values);
                statement.run();
                if (connection.lastChanges() == 0) {
                    QVector<QVariant> now;
                    if (!readRow(key, now))
                        throw DataError(
                            QStringLiteral("O registro foi excluído da tabela %1").arg(def_->name));
                    throw DataError(QStringLiteral(
                        "Este registro foi alterado por outro usuário. O que você digitou continua na tela e "
                        "não foi gravado: anote o que precisar, clique em Cancelar para ver o registro como "
                        "está gravado agora e faça a alteração de novo."));
                }
            }
        }
        // What was changed in the keys, undone when the unit fails: in place, or the whole list read again.
        int removedAt = -1, insertedAt = -1;
        std::optional<QVector<qint64>> previousKeys;
        const int previousCount = keysCount_;
        const auto undoPlacing = [&] {
            if (insertedAt >= 0) keys_.removeAt(insertedAt);
            if (removedAt >= 0) keys_.insert(removedAt, key);
            keysCount_ = previousCount;
            insertedAt = removedAt = -1;
        };
        try {
            // Another program's store between the check above and this one's write shows in the version.
            const int place =
                placing && dataVersion() == previousStamp.version
                    ? placeStored(key, state_ == State::Insert ? -1 : oldPos, removedAt, insertedAt)
                    : -2;
            // Read again as stored now, inside the unit: the page with the count, or every key when the row
            // went past the keys read so far (it stands among them then). The total is added up afresh.
            const auto readAgain = [&](bool whole) {
                if (!previousKeys) {
                    undoPlacing();
                    previousKeys = keys_;
                }
                if (whole)
                    completeKeys();
                else
                    reloadKeys();
                sumRead_.field = -1;
            };
            if (place == -2 || place == -3) {
                readAgain(place == -3);
                newPos = indexOfKey(key);
            } else {
                newPos = place;
                keysStamp_.changes = Session::instance().changeCount();
                if (summing) {
                    if (newPos >= 0) sumRead_.sum.addMillionths(storedMillionths(sumRead_.field, key));
                    sumRead_.stamp = keysStamp_;
                } else {
                    sumRead_.field = -1;
                }
            }
            // A row that no longer passes the filter leaves the view; its neighbour becomes current.
            if (newPos < 0 && keysCount_ > 0) {
                if (oldPos >= keys_.size() && partial()) readAgain(true);
                newPos = qBound(0, oldPos, int(keys_.size()) - 1);
            }
            if (newPos >= 0 && !readRow(keys_.at(newPos), row)) newPos = -1;
            unit.commit();
            // Committed now: what was read inside the unit lasts.
            if (outermost) {
                keysStamp_.lasting = true;
                keepKeys();
            }
        } catch (...) {
            pos_ = oldPos;
            if (previousKeys) {
                keys_ = *previousKeys;
                keysCount_ = previousCount;
            } else
                undoPlacing();
            keysStamp_ = previousStamp;
            sumRead_ = previousSum;
            throw;
        }
    } catch (...) {
        keysStamp_ = previousStamp;
        sumRead_ = previousSum;
        throw;
    }
    buffer_.clear();
    changed_.clear();
    modified_ = false;
    numberedField_ = -1;
    if (newPos >= 0) {
        pos_ = newPos;
        current_ = row;
    } else {
        clearCurrent();
    }
    bof_ = eof_ = keysCount_ == 0;
    // Controls and grids show the stored row before any handler of the event runs.
    setState(State::Browse);
    notifyLayoutChanged();
    notifyDataChanged();
    emit afterPost();
}

void Table::cancel() {
    if (state_ != State::Edit && state_ != State::Insert) return;
    emit beforeCancel();
    buffer_.clear();
    changed_.clear();
    modified_ = false;
    setState(State::Browse);
    moveTo(pos_);
    bof_ = eof_ = keysCount_ == 0;
    emit afterCancel();
    notifyDataChanged();
}

void Table::remove() {
    checkActive();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    if (keysCount_ == 0)
        throw DataError(QStringLiteral("Não é possível excluir: a tabela %1 está vazia").arg(def_->name));
    standOnARow();
    emit beforeDelete();
    Connection& connection = database_->connection();
    const bool placing = !connection.inTransaction() && keysCurrent();
    const bool summing = placing && sumKept(sumRead_.field, keysStamp_);
    const qint64 share = summing ? storedMillionths(sumRead_.field, keys_.at(pos_)) : 0;
    Statement statement(connection,
                        QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                            .arg(quoteIdentifier(def_->name), quoteIdentifier(def_->keyField().name)));
    statement.bind(1, keys_.at(pos_));
    statement.run();
    buffer_.clear();
    changed_.clear();
    modified_ = false;
    setState(State::Browse);
    forgetKeys();
    keys_.removeAt(pos_);
    --keysCount_;
    // The keys and the total stay those of the stored rows only when nothing else was stored meanwhile.
    if (placing && dataVersion() == keysStamp_.version) {
        keysStamp_.changes = Session::instance().changeCount();
        keepKeys();
        if (summing) {
            sumRead_.sum.addMillionths(-share);
            sumRead_.stamp = keysStamp_;
        }
    } else {
        keysStamp_.lasting = false;
    }
    if (!summing) sumRead_.field = -1;
    moveTo(pos_);
    bof_ = eof_ = keysCount_ == 0;
    notifyLayoutChanged();
    notifyDataChanged();
    emit afterDelete();
    emit afterScroll();
}

QVariant Table::fieldValue(int index) const {
    checkActive();
    const QVector<QVariant>& values = (state_ == State::Edit || state_ == State::Insert) ? buffer_ : current_;
    if (index < 0 || index >= fieldCount()) fieldDef(index);  // raises the error
    return values.value(index);
}

void Table::setFieldValue(int index, const QVariant& value) {
    checkActive();
    const FieldDef& field = fieldDef(index);
    if (state_ != State::Edit && state_ != State::Insert)
        throw DataError(QStringLiteral("A tabela %1 não está em modo de edição ou inclusão").arg(def_->name));
    if (field.type == FieldType::AutoInc)
        throw DataError(QStringLiteral("O campo '%1' não pode ser alterado").arg(field.name));
    buffer_[index] = Values::toFieldValue(field, value);
    changed_[index] = true;
    modified_ = true;
    notifyFieldChanged(index);
}

Money Table::sum(const QString& fieldName) {
    checkBrowseMode();
    const int index = def_->fieldIndex(fieldName);
    if (index < 0) throw DataError(QStringLiteral("Campo '%1' não encontrado").arg(fieldName));
    // Asked again while nothing was stored, the total is the one last added up.
    const Stamp stamp{Session::instance().changeCount(), dataVersion(),
                      !database_->connection().inTransaction()};
    if (sumKept(index, stamp)) return sumRead_.sum.total();
    MoneySum sum;
    addUp(index, sum);
    if (stamp.lasting) sumRead_ = SumRead{index, compiled_.sql, compiled_.params, stamp, sum};
    return sum.total();
}

bool Table::sumKept(int field, const Stamp& stamp) const {
    return stamp.lasting && field >= 0 && sumRead_.field == field && sumRead_.stamp.lasting &&
           sumRead_.stamp.changes == stamp.changes && sumRead_.stamp.version == stamp.version &&
           sumRead_.sql == compiled_.sql && sumRead_.params == compiled_.params;
}

void Table::addUp(int index, MoneySum& sum) {
    const QString table = quoteIdentifier(def_->name);
    // Partial sums are exact millionths, added before the one rounding to the centavo.
    auto total = [&](const QString& from) {
        Statement statement(database_->connection(),
                            QStringLiteral("SELECT ") +
                                database_->dialect().moneySum(quoteIdentifier(def_->fields[index].name)) +
                                from);
        statement.bindAll(compiled_.params);
        if (statement.step()) sum.addMillionths(statement.int64(0));
    };
    if (database_->dialect().plansSums()) {
        total(fromWhere(compiled_));
        return;
    }
    QStringList wanted = compiled_.fields;
    wanted << def_->fields[index].name;
    auto covers = [&](const IndexDef& candidate) {
        for (const QString& field : wanted)
            if (field != candidate.field && !candidate.covering.contains(field)) return false;
        return true;
    };
    constexpr int kByKeys = 2000;
    // Few rows that no index keyed on a field of the filter holds whole: the keys just read reach them in a
    // few lookups, where the index the engine would choose may hold many more rows than pass the filter,
    // each a lookup in the table.
    const bool keyedCover = std::any_of(def_->indexes.cbegin(), def_->indexes.cend(), [&](const IndexDef& i) {
        return compiled_.fields.contains(i.field) && covers(i);
    });
    if (!compiled_.isEmpty() && !keyedCover && !keys_.isEmpty() && !partial() && keysCount_ < kByKeys &&
        keysCurrent()) {
        const int batchSize = int(qMin<qsizetype>(500, keys_.size()));
        QStringList marks(batchSize, QStringLiteral("?"));
        Statement batch(database_->connection(),
                        QStringLiteral("SELECT %1 FROM %2 WHERE %3 IN (%4)")
                            .arg(database_->dialect().moneySum(quoteIdentifier(def_->fields[index].name)),
                                 table, quoteIdentifier(def_->keyField().name), marks.join(QLatin1Char(','))));
        for (qsizetype first = 0; first < keys_.size(); first += batchSize) {
            for (int i = 0; i < batchSize; ++i)
                batch.bind(i + 1, first + i < keys_.size() ? QVariant(keys_[first + i]) : QVariant());
            if (batch.step()) sum.addMillionths(batch.int64(0));
            batch.reset();
        }
        return;
    }
    bool covered = false;
    for (const IndexDef& candidate : def_->indexes) {
        if (!covers(candidate)) continue;
        covered = true;
        // An index that holds every field, keyed on a field whose blanks the filter lets through: the blanks
        // and the range are read apart, each from the index alone.
        if (compiled_.withoutBlanks.contains(candidate.field)) {
            const QString column = quoteIdentifier(candidate.field);
            total(QStringLiteral(" FROM %1 WHERE %2 IS NULL AND (%3)").arg(table, column, compiled_.sql));
            total(QStringLiteral(" FROM %1 WHERE %2")
                      .arg(table, compiled_.withoutBlanks.value(candidate.field)));
            return;
        }
    }
    if (!compiled_.isEmpty() && !covered && keysCount_ >= kByKeys) {
        // No index holds every field needed: through an index every row costs a lookup in the table, which
        // reading the whole table in its own order beats once the view holds a tenth of the table or so.
        Statement last(
            database_->connection(),
            QStringLiteral("SELECT max(%1) FROM %2").arg(quoteIdentifier(def_->keyField().name), table));
        if (last.step() && keysCount_ * qint64(10) >= last.int64(0)) {
            total(QStringLiteral(" FROM %1 WHERE %2")
                      .arg(database_->dialect().notIndexed(table), compiled_.sql));
            return;
        }
    }
    total(fromWhere(compiled_));
}

QVector<QVariant> Table::rowValues(int row) {
    checkActive();
    QVector<QVariant> values;
    if (row >= keys_.size() && row < keysCount_) completeKeys();
    if (row < 0 || row >= keys_.size() || !readRow(keys_.at(row), values)) return {};
    return values;
}
