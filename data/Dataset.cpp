#include "Dataset.h"

#include "DataError.h"
#include "Database.h"
#include "Values.h"

const FieldDef& Field::def() const {
    return dataset_->fieldDef(index_);
}
QVariant Field::value() const {
    return dataset_->fieldValue(index_);
}
void Field::setValue(const QVariant& value) {
    dataset_->setFieldValue(index_, value);
}

bool Field::isNull() const {
    const QVariant v = value();
    return !v.isValid() || v.isNull();
}

QString Field::asString() const {
    return Values::asString(def(), value());
}

double Field::asFloat() const {
    const QVariant v = value();
    if (!v.isValid() || v.isNull()) return 0.0;
    if (def().isText()) return Values::parseNumber(v.toString()).toDouble();
    return v.toDouble();
}

int Field::asInteger() const {
    const QVariant v = value();
    if (!v.isValid() || v.isNull()) return 0;
    if (def().isText()) return qRound(Values::parseNumber(v.toString()).toDouble());
    return qRound(v.toDouble());
}

QDate Field::asDate() const {
    const QVariant v = value();
    if (!v.isValid() || v.isNull()) return {};
    if (def().isText()) return Values::parseDate(v.toString());
    return v.toDate();
}

QString Field::displayText() const {
    return Values::displayText(def(), value(), displayFormat());
}
QString Field::displayFormat() const {
    return dataset_->displayFormat(index_);
}
void Field::setDisplayFormat(const QString& format) {
    dataset_->setDisplayFormat(index_, format);
}
QString Field::editMask() const {
    return dataset_->editMask(index_);
}
void Field::setEditMask(const QString& mask) {
    dataset_->setEditMask(index_, mask);
}

Dataset::Dataset(QObject* parent) : QObject(parent) {}

Dataset::~Dataset() = default;

void Dataset::setDatabaseName(const QString& name) {
    if (active())
        throw DataError(QStringLiteral("Não é possível alterar o banco de dados de uma tabela aberta"));
    databaseName_ = name;
}

int Dataset::fieldIndex(const QString& name) const {
    const QString wanted = name.trimmed();
    for (int i = 0; i < fieldCount(); ++i)
        if (fieldDef(i).name.compare(wanted, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

Field Dataset::fieldByName(const QString& name) {
    const int index = fieldIndex(name);
    if (index < 0) throw DataError(QStringLiteral("Campo '%1' não encontrado").arg(name));
    return Field(this, index);
}

void Dataset::setFieldValue(int index, const QVariant&) {
    throw DataError(QStringLiteral("O campo '%1' não pode ser alterado").arg(fieldDef(index).name));
}

void Dataset::setDisplayFormat(int index, const QString& format) {
    if (index < 0 || index >= displayFormats_.size()) return;
    displayFormats_[index] = format;
    notifyDataChanged();
}

void Dataset::setEditMask(int index, const QString& mask) {
    if (index < 0 || index >= editMasks_.size()) return;
    editMasks_[index] = mask;
}

void Dataset::enableControls() {
    if (disabled_ > 0) --disabled_;
    if (disabled_ > 0) return;
    const bool layout = pendingLayout_;
    const bool data = pendingData_;
    pendingLayout_ = pendingData_ = false;
    if (layout) emit layoutChanged();
    if (data || layout) emit dataChanged();
}

Database& Dataset::attachDatabase() {
    Database& database = Session::instance().database(databaseName_);
    database.connect();
    if (database_ != &database) {
        detachDatabase();
        database_ = &database;
        // A view closes with its connection, and forgets a database that goes away before it.
        connect(&database, &Database::closing, this, &Dataset::close);
        connect(&database, &QObject::destroyed, this, [this] { database_ = nullptr; });
        connect(&database, &Database::storedElsewhere, this, &Dataset::storedElsewhere);
    }
    return database;
}

void Dataset::detachDatabase() {
    if (database_) QObject::disconnect(database_, nullptr, this, nullptr);
    database_ = nullptr;
}

void Dataset::setState(State state) {
    if (state_ == state) return;
    state_ = state;
    emit stateChanged();
}

void Dataset::notifyDataChanged() {
    if (controlsDisabled())
        pendingData_ = true;
    else
        emit dataChanged();
}

void Dataset::notifyFieldChanged(int index) {
    if (controlsDisabled())
        pendingData_ = true;
    else
        emit fieldChanged(index);
}

void Dataset::notifyLayoutChanged() {
    if (controlsDisabled())
        pendingLayout_ = true;
    else
        emit layoutChanged();
}

void Dataset::resetFieldFormats() {
    displayFormats_.resize(fieldCount());
    editMasks_.resize(fieldCount());
    for (int i = 0; i < fieldCount(); ++i) {
        displayFormats_[i] = fieldDef(i).displayFormat;
        editMasks_[i] = fieldDef(i).editMask;
    }
}

void Dataset::checkActive() const {
    if (!active())
        throw DataError(QStringLiteral("Não é possível realizar esta operação com a tabela fechada"));
}

void copyFields(Dataset& source, Dataset& target, const QList<std::pair<QString, QString>>& pairs) {
    for (const auto& [from, to] : pairs)
        target.fieldByName(to).setValue(source.fieldByName(from).value());
}
