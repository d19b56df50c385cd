#pragma once

#include <QList>
#include <QVariant>
#include <QtTest>

#include "Dialogs.h"

// Stands in for the program's dialogs: records every box shown and answers questions and input boxes from a
// queue. A question or input box with no answer queued fails the test.
class ScriptedDialogs : public Dialogs {
public:
    struct Call {
        QString kind;  // error, errorNo, information, confirmation, confirmed, message, question, input,
                       // confirmDelete, about, chooseFolder, showText, saveFile,
                       // openFile, openPicture
        QString caption;
        QString text;
        bool noByDefault = false;  // of a question
    };

    ScriptedDialogs() { Dialogs::install(this); }
    ~ScriptedDialogs() override { Dialogs::install(nullptr); }

    QList<Call> calls;
    // bool for questions; QString for input boxes and file names, an invalid QVariant to cancel
    QList<QVariant> answers;

    void answer(const QVariant& value) { answers << value; }
    QStringList kinds() const {
        QStringList list;
        for (const Call& call : calls)
            list << call.kind;
        return list;
    }
    QString lastText() const { return calls.isEmpty() ? QString() : calls.last().text; }

    void error(QWidget*, const QString& text, const QString& title) override {
        calls << Call{QStringLiteral("error"), title.isEmpty() ? QStringLiteral("Erro") : title, text};
    }
    void errorNo(QWidget*, const QString& text) override {
        calls << Call{QStringLiteral("errorNo"), QStringLiteral("Erro"), text};
    }
    void information(QWidget*, const QString& text) override {
        calls << Call{QStringLiteral("information"), QStringLiteral("Informação"), text};
    }
    bool confirmation(QWidget*, const QString& text) override {
        calls << Call{QStringLiteral("confirmation"), QStringLiteral("Confirmação"), text};
        return next().toBool();
    }
    void confirmed(QWidget*, const QString& text) override {
        calls << Call{QStringLiteral("confirmed"), QStringLiteral("Confirmação"), text};
    }
    void message(QWidget*, const QString& text) override {
        calls << Call{QStringLiteral("message"), QStringLiteral("Vanteja"), text};
    }
    bool question(QWidget*, const QString& text, const QString& caption, bool noByDefault) override {
        calls << Call{QStringLiteral("question"), caption, text, noByDefault};
        return next().toBool();
    }
    bool input(QWidget*, const QString& caption, const QString& prompt, QString& value) override {
        calls << Call{QStringLiteral("input"), caption, prompt};
        const QVariant typed = next();
        if (!typed.isValid()) return false;
        value = typed.toString();
        return true;
    }
    bool confirmDelete(QWidget*) override {
        calls << Call{QStringLiteral("confirmDelete"), QString(), QString()};
        return next().toBool();
    }
    void about(QWidget*, const QString& title, const QString& text) override {
        calls << Call{QStringLiteral("about"), title, text};
    }
    // Answered with a QString, or an invalid QVariant to cancel.
    bool chooseFolder(QWidget*, const QString& caption, QString& folder) override {
        calls << Call{QStringLiteral("chooseFolder"), caption, folder};
        const QVariant chosen = next();
        if (!chosen.isValid()) return false;
        folder = chosen.toString();
        return true;
    }
    void showText(QWidget*, const QString& caption, const QString& text) override {
        calls << Call{QStringLiteral("showText"), caption, text};
    }

    QString saveFileName(QWidget*, const QString& caption, const QString& suggested,
                         const QString&) override {
        calls << Call{QStringLiteral("saveFile"), caption, suggested};
        return next().toString();
    }

    // Answered with a QString, or an invalid QVariant to cancel; the text is the first filter.
    QString openFile(QWidget*, const QString& caption, const QStringList& filters) override {
        calls << Call{QStringLiteral("openFile"), caption, filters.value(0)};
        return next().toString();
    }

    // Answered with a QString, or an invalid QVariant to cancel.
    QString openPicture(QWidget*, const QString& caption) override {
        calls << Call{QStringLiteral("openPicture"), caption, QString()};
        return next().toString();
    }

    void preview(QWidget*, const Report::Document& document) override {
        calls << Call{QStringLiteral("preview"), document.name, document.texts().join(QLatin1Char('\n'))};
        previews << document;
    }
    QList<Report::Document> previews;  // every document previewed

private:
    QVariant next() {
        if (answers.isEmpty()) {
            QTest::qFail(qPrintable(QStringLiteral("unexpected dialog: ") + calls.last().kind +
                                    QStringLiteral(" ") + calls.last().text),
                         __FILE__, __LINE__);
            return QVariant();
        }
        return answers.takeFirst();
    }
};
