#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

class Connection;
class Dialect;

// Names the program reaches its data by.
inline const QString kAliasVantejaVs2 = QStringLiteral("VantejaVs2");
inline const QString kDatabaseSenha = QStringLiteral("Senha");
inline const QString kDataFolderName = QStringLiteral("Dados");
inline const QString kDataFileName = QStringLiteral("Vanteja.sqlite");
inline const QString kSessionPassword = QStringLiteral("4817");
// Beside the books' folder's other files: the address of the server that keeps the books, when not the file.
inline const QString kConnectionFileName = QStringLiteral("conexao.ini");

// The address of the server that keeps the books of a data folder (the environment's VANTEJA_BANCO first,
// then "endereco" in the folder's conexao.ini); empty for the data file. Raises DataError for an address that
// is not a server's or that holds a password.
QString serverAddress(const QString& folder);

// Takes away every access to an existing file but its owner's reading and writing.
void keepOwnerOnly(const QString& file);

// The folder "Dados" inside a program folder.
QString dataFolderFor(const QString& programFolder);

// Why `file` can't be a data file, as a Portuguese clause naming it ("o arquivo de dados … está vazio …"):
// it is missing, a folder, empty, or not an ordinary file. Empty when it can be opened as one.
QString dataFileProblem(const QString& file);

// A named database: a PATH parameter naming a data folder, and one connection to the data file inside it.
// Opening a dataset connects it; disconnecting closes every dataset opened through it (they listen to
// `closing`).
class QSocketNotifier;
class QTimer;

class Database : public QObject {
    Q_OBJECT
public:
    Database(const QString& name, const QStringList& params);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& name() const { return name_; }
    const QStringList& params() const { return params_; }
    void setParams(const QStringList& params);       // only while disconnected
    void setParam(int index, const QString& value);  // only while disconnected
    QString path() const;                            // value of the PATH parameter
    // Where the books are, for messages: the server (host:port/database) when they are kept on one, else
    // the data folder.
    QString booksPlace();

    void connect();
    void disconnect();
    bool connected() const { return connection_ != nullptr; }
    Connection& connection();  // connects on first use
    const Dialect& dialect();
    bool tableExists(const QString& storedName);
    qint64 changeCount() const;  // rows changed through this database's connections so far
    // Looks whether others stored anything since last looked, and says so (storedElsewhere). Done by
    // itself every second and whenever the server sends news; never while a message box waits for an
    // answer (HoldOthersStores).
    void lookForOthersStores();
    // Moves each time lookForOthersStores finds that others stored something: asks nothing of the engine.
    qint64 othersSeen() const { return seenVersion_; }

signals:
    void closing();  // the connection is about to close: views opened through it close first
    // Another user, or another connection of this program, stored rows in a table; an empty name: in
    // any of them.
    void storedElsewhere(const QString& table);

private:
    void readTables();
    void addMissingIndexes();
    void watch();

    QString name_;
    QStringList params_;
    std::unique_ptr<Connection> connection_;
    qint64 changesBefore_ = 0;  // by connections closed before
    QSet<QString> knownTables_;
    qint64 seenVersion_ = -1;  // of the stores others made, as last looked
    std::unique_ptr<QSocketNotifier> news_;
    QTimer* look_ = nullptr;
    bool looking_ = false;
};

// While one lives, open views do not read afresh for others' stores: held around every message box, which a
// window shows half way through something (a question before settling the bill it stands on), so that the
// rows under it stay where they were until it is answered.
class HoldOthersStores {
public:
    HoldOthersStores() { ++held_; }
    ~HoldOthersStores() { --held_; }
    HoldOthersStores(const HoldOthersStores&) = delete;
    HoldOthersStores& operator=(const HoldOthersStores&) = delete;
    static bool held() { return held_ > 0; }

private:
    static inline int held_ = 0;
};

// The one data session of the program: its named databases and the passwords registered with it.
class Session {
public:
    static Session& instance();

    Database& define(const QString& name, const QStringList& params);  // replaces a database of that name
    Database& database(const QString& name);                           // raises DataError when undefined
    Database* find(const QString& name);
    void remove(const QString& name);
    void clear();  // forgets every database and password
    // Rows changed so far through every connection of the session: rows read before are as stored while
    // this stays the same.
    qint64 changeCount() const;

    void addPassword(const QString& password) { passwords_.insert(password); }
    void removeAllPasswords() { passwords_.clear(); }
    bool hasPassword(const QString& password) const { return passwords_.contains(password); }

private:
    Session() = default;
    QMap<QString, Database*> databases_;  // by lower-case name
    qint64 changesBefore_ = 0;            // by databases removed before
    QSet<QString> passwords_;
};

// Defines the alias VantejaVs2 on the data folder of the program folder, and the database Senha with its
// stored parameters (not connected; the start-up points its PATH at the data folder).
void defineStandardDatabases(const QString& programFolder);
