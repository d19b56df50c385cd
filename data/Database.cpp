#include "Database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include "Catalogue.h"
#include "DataError.h"
#include "Postgres.h"
#include "Sqlite.h"

void keepOwnerOnly(const QString& file) {
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile data(file);
    if (!data.exists()) return;
    const QFileDevice::Permissions now = data.permissions();
    if (now & ~(ownerOnly | QFileDevice::ReadUser | QFileDevice::WriteUser))
        data.setPermissions(now & ownerOnly);
}

QString serverAddress(const QString& folder) {
    QString address = qEnvironmentVariable("VANTEJA_BANCO").trimmed();
    const QString file = QDir(folder).filePath(kConnectionFileName);
    if (address.isEmpty() && QFileInfo::exists(file))
        address =
            QSettings(file, QSettings::IniFormat).value(QStringLiteral("endereco")).toString().trimmed();
    if (address.isEmpty()) return {};
    const QUrl url(address);
    if (!url.isValid() ||
        (url.scheme() != QLatin1String("postgresql") && url.scheme() != QLatin1String("postgres")))
        throw DataError(QStringLiteral("O endereço do servidor de dados \"%1\" não é válido: escreva-o como "
                                       "postgresql://usuario@servidor:5432/vanteja em %2.")
                            .arg(address, QDir::toNativeSeparators(file)));
    // A password kept in the clear beside the books would be read by anyone who copies the folder.
    if (!url.password().isEmpty())
        throw DataError(
            QStringLiteral("O endereço do servidor de dados em %1 contém uma senha. Tire a senha do "
                           "endereço e guarde-a no arquivo .pgpass do usuário (ou em PGPASSWORD).")
                .arg(QDir::toNativeSeparators(file)));
    return address;
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

Database::Database(const QString& name, const QStringList& params) : name_(name), params_(params) {}

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

QString Database::booksPlace() {
    const QString folder = path();
    return serverAddress(folder).isEmpty() ? folder : connection().place();
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
    const QString address = serverAddress(folder);
    if (!address.isEmpty()) {
        connection_ = std::make_unique<PostgresConnection>(address);
    } else {
        const QString file = QDir(folder).filePath(kDataFileName);
        if (QString problem = dataFileProblem(file); !problem.isEmpty()) {
            problem[0] = problem[0].toUpper();
            // An empty file would open as a store without tables, and every table would be said to be
            // missing.
            if (QFileInfo::exists(file))
                problem += QStringLiteral(". Restaure a última cópia feita pelo programa de backup.");
            throw DataError(problem);
        }
        // Records and passwords are for the owner's eyes only; the engine gives its -wal and -shm files the
        // data file's permissions. A file from an older copy is closed to others here (where the owner may
        // do so).
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            keepOwnerOnly(file + suffix);
        connection_ = std::make_unique<SqliteConnection>(file);
    }
    try {
        readTables();
        // The server's indexes are made with its tables, by the set-up tool.
        if (address.isEmpty()) addMissingIndexes();
        seenVersion_ = connection_->dataVersion();
    } catch (...) {
        disconnect();
        throw;
    }
    watch();
}

void Database::watch() {
    // Only where the program's event loop runs: a tool without one has no windows to bring up to date.
    if (!QCoreApplication::instance() || thread() != QThread::currentThread()) return;
    if (!look_) {
        look_ = new QTimer(this);
        look_->setInterval(1000);
        QObject::connect(look_, &QTimer::timeout, this, &Database::lookForOthersStores);
    }
    if (!look_->isActive()) look_->start();
    const int socket = connection_->notificationSocket();
    if (socket < 0 || (news_ && news_->socket() == socket)) return;
    news_ = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    QObject::connect(news_.get(), &QSocketNotifier::activated, this, &Database::lookForOthersStores);
}

void Database::lookForOthersStores() {
    if (!connection_ || looking_ || HoldOthersStores::held()) return;
    looking_ = true;
    qint64 version = seenVersion_;
    QStringList tables;
    try {
        if (connection_->reachable()) {
            version = connection_->dataVersion();
            tables = connection_->takeChangedTables();
        }
    } catch (const DataError&) {
        // Out of reach: the next thing the user does says so, and connects again.
    }
    looking_ = false;
    if (!connection_) return;
    if (!connection_->reachable()) {
        news_.reset();
        return;
    }
    watch();
    if (version == seenVersion_) return;
    seenVersion_ = version;
    if (tables.isEmpty()) tables << QString();
    for (const QString& table : std::as_const(tables))
        emit storedElsewhere(table);
}

void Database::readTables() {
    knownTables_.clear();
    Statement tables(*connection_, connection_->dialect().tableList());
    while (tables.step())
        knownTables_.insert(tables.text(0).toLower());
}

void Database::addMissingIndexes() {
    QSet<QString> indexes;
    Statement stored(*connection_, connection_->dialect().indexList());
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
                connection_->execute(table.createIndexSql(index));
            } catch (const DataError&) {
            }
        }
    }
}

void Database::disconnect() {
    if (!connected()) return;
    emit closing();
    changesBefore_ += connection_->changeCount();
    news_.reset();
    if (look_) look_->stop();
    connection_.reset();
}

Connection& Database::connection() {
    connect();
    return *connection_;
}

const Dialect& Database::dialect() {
    return connection().dialect();
}

bool Database::tableExists(const QString& storedName) {
    connect();
    return knownTables_.contains(storedName.toLower());
}

qint64 Database::changeCount() const {
    return changesBefore_ + (connection_ ? connection_->changeCount() : 0);
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
