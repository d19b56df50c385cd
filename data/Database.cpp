#include "Database.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>

#include "Catalogue.h"
#include "DataError.h"
#include "Money.h"
#include "Sqlite.h"

namespace {

constexpr int kBusyWaitMs = 3000;

// vj_fold(text): the text with letter case folded, accented letters included (SQLite's NOCASE folds only
// A-Z).
void foldCase(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
    const QByteArray folded =
        QString::fromUtf8(text, sqlite3_value_bytes(arguments[0])).toCaseFolded().toUtf8();
    sqlite3_result_text(context, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
}

}  // namespace

void keepOwnerOnly(const QString& file) {
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile data(file);
    if (!data.exists()) return;
    const QFileDevice::Permissions now = data.permissions();
    if (now & ~(ownerOnly | QFileDevice::ReadUser | QFileDevice::WriteUser))
        data.setPermissions(now & ownerOnly);
}

void applyConnectionSettings(sqlite3* db) {
    // What was reported stored survives a power cut: each commit reaches the disk before it returns. The file
    // is read through memory mapping, up to a size no shop's books reach: mapped pages take no room in the
    // process's own memory, and the cache then holds little more than pages being written.
    execSql(db, QStringLiteral("PRAGMA synchronous=FULL; PRAGMA cache_size=-65536; "
                               "PRAGMA mmap_size=2147418112"));
}

QString dataFolderFor(const QString& programFolder) {
    QString folder = programFolder;
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\'))) folder += QLatin1Char('/');
    return folder + kDataFolderName;
}

QString dataFileProblem(const QString& file) {
    const QFileInfo info(file);
    const QString where = QDir::toNativeSeparators(file);
    if (!info.exists()) return QStringLiteral("o arquivo de dados não existe: %1").arg(where);
    if (info.isDir())
        return QStringLiteral(
                   "no lugar do arquivo de dados %1 há uma pasta, e uma pasta não é um arquivo de dados")
            .arg(where);
    if (!info.isFile())
        return QStringLiteral("no lugar do arquivo de dados %1 há algo que não é um arquivo comum")
            .arg(where);
    if (info.size() == 0)
        return QStringLiteral(
                   "o arquivo de dados %1 está vazio (0 bytes), e um arquivo vazio não é um arquivo de dados")
            .arg(where);
    return QString();
}

Database::Database(const QString& name, const QStringList& params) : name_(name), params_(params) {
    static int counter = 0;
    connectionName_ = QStringLiteral("vanteja-%1-%2").arg(name).arg(++counter);
}

Database::~Database() {
    disconnect();
}

void Database::setParams(const QStringList& params) {
    if (connected())
        throw DataError(
            QStringLiteral("Não é possível alterar os parâmetros do banco '%1' conectado").arg(name_));
    params_ = params;
}

void Database::setParam(int index, const QString& value) {
    QStringList params = params_;
    while (params.size() <= index)
        params << QString();
    params[index] = value;
    setParams(params);
}

QString Database::path() const {
    for (const QString& param : params_) {
        const int equals = param.indexOf(QLatin1Char('='));
        if (equals > 0 &&
            param.left(equals).trimmed().compare(QLatin1String("PATH"), Qt::CaseInsensitive) == 0)
            return param.mid(equals + 1).trimmed();
    }
    return {};
}

void Database::connect() {
    if (connected()) return;
    const QString folder = path();
    if (!folder.isEmpty() && QFileInfo::exists(folder) && !QFileInfo(folder).isDir())
        throw DataError(
            QStringLiteral("No lugar da pasta de dados %1 há um arquivo, e um arquivo não é uma pasta. "
                           "Remova ou renomeie esse arquivo e restaure a pasta de dados.")
                .arg(QDir::toNativeSeparators(folder)));
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        throw DataError(
            QStringLiteral("A pasta de dados não existe: %1").arg(QDir::toNativeSeparators(folder)));
    const QString file = QDir(folder).filePath(kDataFileName);
    if (QString problem = dataFileProblem(file); !problem.isEmpty()) {
        problem[0] = problem[0].toUpper();
        // An empty file would open as a store without tables, and every table would be said to be missing.
        if (QFileInfo::exists(file))
            problem += QStringLiteral(". Restaure a última cópia feita pelo programa de backup.");
        throw DataError(problem);
    }

    // Records and passwords are for the owner's eyes only; the engine gives its -wal and -shm files the data
    // file's permissions. A file from an older copy is closed to others here (where the owner may do so).
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        keepOwnerOnly(file + suffix);

    // The connection is opened through Qt's SQLite driver; the data layer then works on the native handle,
    // which gives it prepared statements without per-row overhead and the declared type of query columns.
    sqlite3* handle = nullptr;
    QString failure;
    int failureCode = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        db.setDatabaseName(file);
        // A file locked by another program is waited for a few seconds before saying so.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyWaitMs));
        if (db.open()) {
            const QVariant native = db.driver()->handle();
            if (native.isValid() && qstrcmp(native.typeName(), "sqlite3*") == 0)
                handle = *static_cast<sqlite3* const*>(native.constData());
            else
                failure = QStringLiteral("o driver SQLite não está disponível");
        } else {
            failure = db.lastError().databaseText();
            failureCode = db.lastError().nativeErrorCode().toInt();
        }
        if (!handle) db.close();
    }
    if (!handle) {
        QSqlDatabase::removeDatabase(connectionName_);
        if (failureCode != 0) throw engineError(failureCode, failure, file);
        throw DataError(QStringLiteral("Não foi possível abrir o arquivo de dados %1: %2")
                            .arg(QDir::toNativeSeparators(file), failure));
    }
    handle_ = handle;
    try {
        // Letter case folded for searches; then the settings every connection takes.
        sqlite3_create_function_v2(handle_, "vj_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   foldCase, nullptr, nullptr, nullptr);
        registerMoneyFunctions(handle_);
        applyConnectionSettings(handle_);
        knownTables_.clear();
        Statement tables(handle_, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'"));
        while (tables.step())
            knownTables_.insert(tables.text(0).toLower());
        tables.reset();
        addMissingIndexes();
    } catch (...) {
        disconnect();
        throw;
    }
}

void Database::addMissingIndexes() {
    QSet<QString> indexes;
    Statement stored(handle_, QStringLiteral("SELECT name FROM sqlite_master WHERE type='index'"));
    while (stored.step())
        indexes.insert(stored.text(0).toLower());
    stored.reset();
    // A data file from an earlier version lacks the indexes added since. An index holds no data of its own
    // and changes no table: the rows, and what any version of the program reads of them, stay as they are.
    // A file that can't be changed now (read-only, busy) is simply read without it, and tried again next
    // time.
    for (const TableDef& table : Catalogue::tables()) {
        if (!knownTables_.contains(table.name.toLower())) continue;
        for (const IndexDef& index : table.indexes) {
            if (index.primary || indexes.contains(table.sqlIndexName(index).toLower())) continue;
            try {
                execSql(handle_, table.createIndexSql(index));
            } catch (const DataError&) {
            }
        }
    }
}

void Database::disconnect() {
    if (!connected()) return;
    emit closing();
    changesBefore_ += sqlite3_total_changes64(handle_);
    handle_ = nullptr;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

sqlite3* Database::handle() {
    connect();
    return handle_;
}

bool Database::tableExists(const QString& storedName) {
    connect();
    return knownTables_.contains(storedName.toLower());
}

qint64 Database::changeCount() const {
    return changesBefore_ + (handle_ ? sqlite3_total_changes64(handle_) : 0);
}

Session& Session::instance() {
    static Session session;
    return session;
}

Database& Session::define(const QString& name, const QStringList& params) {
    remove(name);
    auto* database = new Database(name, params);
    databases_.insert(name.toLower(), database);
    return *database;
}

Database& Session::database(const QString& name) {
    Database* database = find(name);
    if (!database) throw DataError(QStringLiteral("Banco de dados '%1' não definido").arg(name));
    return *database;
}

Database* Session::find(const QString& name) {
    return databases_.value(name.trimmed().toLower(), nullptr);
}

void Session::remove(const QString& name) {
    delete databases_.take(name.toLower());
}

qint64 Session::changeCount() const {
    qint64 changes = changesBefore_;
    for (const Database* database : databases_)
        changes += database->changeCount();
    return changes;
}

void Session::clear() {
    qDeleteAll(databases_);
    databases_.clear();
    passwords_.clear();
}

void defineStandardDatabases(const QString& programFolder) {
    Session& session = Session::instance();
    session.define(kAliasVantejaVs2, {QStringLiteral("PATH=") + dataFolderFor(programFolder)});
    session.define(kDatabaseSenha,
                   {QStringLiteral("PATH=C:\\[ProgramFilesFolder]Talonor\\dados"),
                    QStringLiteral("DEFAULT DRIVER=PARADOX"), QStringLiteral("ENABLE BCD=FALSE")});
}
