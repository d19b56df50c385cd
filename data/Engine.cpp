#include "Engine.h"

#include <QDir>

#include "Values.h"

QVariant Statement::fieldValue(int column, FieldType type) const {
    if (isNull(column)) return {};
    switch (type) {
        case FieldType::AutoInc:
        case FieldType::Integer:
            return static_cast<int>(int64(column));
        case FieldType::Float:
        case FieldType::Currency:
            return real(column);
        case FieldType::Date:
            return Values::dateFromIso(text(column));
        case FieldType::String:
        case FieldType::Memo:
            return text(column);
        case FieldType::Blob:
        case FieldType::Graphic:
            return blob(column);
    }
    return {};
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
    // The outermost unit is the transaction; one inside it a savepoint of its own name, so units opened
    // inside one another release and roll back only their own part.
    if (!connection_.inTransaction()) {
        connection_.execute(connection_.dialect().beginWrite());
        return;
    }
    static int counter = 0;
    name_ = QStringLiteral("vj_unit%1").arg(++counter);
    connection_.execute(QStringLiteral("SAVEPOINT ") + name_);
}

Transaction::~Transaction() {
    if (!open_) return;
    try {
        if (name_.isEmpty()) {
            if (connection_.inTransaction()) connection_.execute(QStringLiteral("ROLLBACK"));
        } else {
            connection_.execute(QStringLiteral("ROLLBACK TO ") + name_);
            connection_.execute(QStringLiteral("RELEASE ") + name_);
        }
    } catch (const DataError&) {
        // The connection is gone or the transaction already ended: nothing of the unit was kept.
    }
}

void Transaction::commit() {
    connection_.execute(name_.isEmpty() ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + name_);
    open_ = false;
}

ReadTransaction::ReadTransaction(Connection& connection)
    : connection_(connection.inTransaction() ? nullptr : &connection) {
    if (connection_) connection_->execute(connection_->dialect().beginRead());
}

ReadTransaction::~ReadTransaction() {
    if (!connection_) return;
    try {
        connection_->execute(QStringLiteral("COMMIT"));
    } catch (const DataError&) {
    }
}

DataError engineError(EngineCause cause, const QString& engineText, const QString& place,
                      const QString& context) {
    const QString where = QDir::toNativeSeparators(place);
    QString message;
    switch (cause) {
        case EngineCause::NotData:
            message = QStringLiteral(
                "O arquivo %1 não é um arquivo de dados do Vanteja ou está danificado. "
                "Restaure a última cópia feita pelo programa de backup.");
            break;
        case EngineCause::Damaged:
            message = QStringLiteral(
                "O arquivo de dados %1 está danificado. Restaure a última cópia feita "
                "pelo programa de backup.");
            break;
        case EngineCause::ReadOnly:
            message = QStringLiteral(
                "O arquivo de dados %1 não pode ser alterado: ele ou a sua pasta está "
                "somente para leitura. Permita a gravação no arquivo e na pasta e tente novamente.");
            break;
        case EngineCause::Locked:
            message = QStringLiteral(
                "O arquivo de dados %1 está bloqueado por outro programa. Feche o outro "
                "programa e tente novamente.");
            break;
        case EngineCause::DiskFull:
            message = QStringLiteral(
                "Não há espaço no disco para gravar o arquivo de dados %1. Libere espaço "
                "e tente novamente.");
            break;
        case EngineCause::ReadWrite:
            message = QStringLiteral(
                "Erro de leitura ou gravação no arquivo de dados %1. Verifique o disco e "
                "tente novamente; se o erro continuar, restaure a última cópia feita "
                "pelo programa de backup.");
            break;
        case EngineCause::CantOpen:
        case EngineCause::NoPermission:
            message = QStringLiteral(
                "Não foi possível abrir o arquivo de dados %1. Verifique se ele existe e "
                "se você tem permissão de acesso a ele e à sua pasta.");
            break;
        case EngineCause::Unreachable:
            message = QStringLiteral(
                "Não foi possível falar com o servidor de dados %1. Verifique se o servidor está ligado e "
                "se a rede está funcionando, e tente novamente.");
            break;
        case EngineCause::Refused:
            message = QStringLiteral(
                "O servidor de dados %1 recusou o usuário ou a senha. Confira o usuário no endereço do "
                "servidor e a senha guardada para ele (arquivo .pgpass ou PGPASSWORD).");
            break;
        case EngineCause::NoMemory:
        case EngineCause::TooLarge:
        case EngineCause::Other: {
            QString text = engineText;
            if (!context.isEmpty()) text = context + QStringLiteral(": ") + text;
            return DataError(QStringLiteral("Erro no banco de dados: %1").arg(text), engineText);
        }
    }
    return DataError(message.arg(where) + QStringLiteral(" [%1]").arg(engineText), engineText);
}
