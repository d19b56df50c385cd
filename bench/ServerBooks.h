#pragma once

#include <libpq-fe.h>

#include <QCoreApplication>
#include <QDate>
#include <QStringList>
#include <QVariantList>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "Catalogue.h"
#include "Postgres.h"
#include "Schema.h"

// The books of a benchmark on a PostgreSQL server: a schema of its own made by the set-up tool's code, filled
// by COPY, dropped at the end. The benchmark's own libpq connection to it is the baseline's.
class ServerBooks {
public:
    ServerBooks(const QString& server, const QDate& today) : server_(server) {
        schema_ = QStringLiteral("vj_bench_%1").arg(QCoreApplication::applicationPid());
        PostgresConnection(server_).execute(
            QStringLiteral(
                "SET client_min_messages = warning; DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1")
                .arg(schema_));
        address_ = server_ + (server_.contains(QLatin1Char('?')) ? "&" : "?") +
                   QStringLiteral("options=-c%20search_path%3D") + schema_;
        setUpServer(address_, today);
        conn_ = PQconnectdb(address_.toUtf8().constData());
        if (PQstatus(conn_) != CONNECTION_OK) die(PQerrorMessage(conn_));
    }
    ~ServerBooks() {
        PQfinish(conn_);
        try {
            PostgresConnection(server_).execute(
                QStringLiteral("SET client_min_messages = warning; DROP SCHEMA %1 CASCADE").arg(schema_));
        } catch (const DataError&) {
        }
    }
    ServerBooks(const ServerBooks&) = delete;
    ServerBooks& operator=(const ServerBooks&) = delete;

    // The address that reaches these books, for VANTEJA_BANCO.
    const QString& address() const { return address_; }
    PGconn* handle() const { return conn_; }

    // Rows from `row(i)`, i from 0, in the order of `columns`, in one transaction; then the table vacuumed
    // and its statistics taken, as the server's autovacuum does by itself shortly after a load this size.
    void fill(const QString& table, const QStringList& columns, int rows,
              const std::function<QVariantList(int)>& row) {
        QStringList quoted;
        for (const QString& column : columns)
            quoted << quoteIdentifier(column);
        run("BEGIN");
        PGresult* copy = PQexec(conn_, QStringLiteral("COPY %1 (%2) FROM STDIN")
                                           .arg(quoteIdentifier(table), quoted.join(", "))
                                           .toUtf8()
                                           .constData());
        if (PQresultStatus(copy) != PGRES_COPY_IN) die(PQresultErrorMessage(copy));
        PQclear(copy);
        QByteArray chunk;
        for (int i = 0; i < rows; ++i) {
            const QVariantList values = row(i);
            for (qsizetype c = 0; c < values.size(); ++c) {
                if (c) chunk += '\t';
                chunk += copyText(values[c]);
            }
            chunk += '\n';
            if (chunk.size() > (1 << 20) || i == rows - 1) {
                if (PQputCopyData(conn_, chunk.constData(), int(chunk.size())) != 1)
                    die(PQerrorMessage(conn_));
                chunk.clear();
            }
        }
        if (PQputCopyEnd(conn_, nullptr) != 1) die(PQerrorMessage(conn_));
        while (PGresult* result = PQgetResult(conn_)) {
            if (PQresultStatus(result) != PGRES_COMMAND_OK) die(PQresultErrorMessage(result));
            PQclear(result);
        }
        run("COMMIT");
        run("VACUUM ANALYZE " + quoteIdentifier(table));
    }

private:
    static QByteArray copyText(const QVariant& value) {
        if (value.isNull()) return "\\N";
        switch (value.typeId()) {
            case QMetaType::QDate:
                return value.toDate().toString(Qt::ISODate).toUtf8();
            case QMetaType::Double:
                return QByteArray::number(value.toDouble(), 'g', 17);
            default: {
                QByteArray text = value.toString().toUtf8();
                text.replace('\\', "\\\\").replace('\t', "\\t").replace('\n', "\\n").replace('\r', "\\r");
                return text;
            }
        }
    }
    void run(const QString& sql) {
        PGresult* result = PQexec(conn_, sql.toUtf8().constData());
        if (PQresultStatus(result) != PGRES_COMMAND_OK) die(PQresultErrorMessage(result));
        PQclear(result);
    }
    [[noreturn]] static void die(const char* message) {
        std::fprintf(stderr, "servidor: %s\n", message);
        std::exit(1);
    }

    QString server_;
    QString schema_;
    QString address_;
    PGconn* conn_ = nullptr;
};
