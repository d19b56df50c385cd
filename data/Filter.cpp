#include "Filter.h"

#include <QVector>

#include "DataError.h"
#include "Values.h"

namespace {

enum class TokenKind { Identifier, QuotedName, Text, Number, Operator, Open, Close, End };

struct Token {
    TokenKind kind;
    QString text;
};

QString invalid(const QString& detail) {
    return QStringLiteral("Expressão de filtro inválida: %1").arg(detail);
}

bool isNameStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

QVector<Token> tokenize(const QString& text) {
    QVector<Token> tokens;
    int i = 0;
    const int n = text.size();
    while (i < n) {
        const QChar c = text[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('\'')) {
            QString value;
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('\'')) {
                        value += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                value += text[i++];
            }
            if (!closed) throw DataError(invalid(QStringLiteral("aspas não fechadas em '%1").arg(value)));
            tokens.append({TokenKind::Text, value});
        } else if (c == QLatin1Char('"') || c == QLatin1Char('[')) {
            const QChar closing = c == QLatin1Char('"') ? QLatin1Char('"') : QLatin1Char(']');
            const int end = text.indexOf(closing, i + 1);
            if (end < 0)
                throw DataError(invalid(QStringLiteral("nome de campo não fechado em %1").arg(text.mid(i))));
            tokens.append({TokenKind::QuotedName, text.mid(i + 1, end - i - 1)});
            i = end + 1;
        } else if (c.isDigit() || (c == QLatin1Char('-') && i + 1 < n && text[i + 1].isDigit() &&
                                   (tokens.isEmpty() || tokens.last().kind == TokenKind::Operator ||
                                    tokens.last().kind == TokenKind::Open))) {
            int start = i;
            if (text[i] == QLatin1Char('-')) ++i;
            while (i < n && (text[i].isDigit() || text[i] == QLatin1Char('.') || text[i] == QLatin1Char(',')))
                ++i;
            tokens.append({TokenKind::Number, text.mid(start, i - start)});
        } else if (isNameStart(c)) {
            int start = i;
            while (i < n && isNameChar(text[i]))
                ++i;
            tokens.append({TokenKind::Identifier, text.mid(start, i - start)});
        } else if (c == QLatin1Char('(')) {
            tokens.append({TokenKind::Open, QStringLiteral("(")});
            ++i;
        } else if (c == QLatin1Char(')')) {
            tokens.append({TokenKind::Close, QStringLiteral(")")});
            ++i;
        } else if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('=') ||
                   c == QLatin1Char('!')) {
            QString op(c);
            if (i + 1 < n) {
                const QChar d = text[i + 1];
                if ((c == QLatin1Char('<') && (d == QLatin1Char('=') || d == QLatin1Char('>'))) ||
                    (c == QLatin1Char('>') && d == QLatin1Char('=')) ||
                    (c == QLatin1Char('!') && d == QLatin1Char('=')))
                    op += d;
            }
            if (op == QLatin1String("!"))
                throw DataError(invalid(QStringLiteral("caractere inesperado '!'")));
            if (op == QLatin1String("!=")) op = QStringLiteral("<>");
            tokens.append({TokenKind::Operator, op});
            i += c == QLatin1Char('!') ? 2 : op.size();
        } else {
            throw DataError(invalid(QStringLiteral("caractere inesperado '%1'").arg(c)));
        }
    }
    tokens.append({TokenKind::End, QString()});
    return tokens;
}

bool isKeyword(const Token& token, const char* word) {
    return token.kind == TokenKind::Identifier &&
           token.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

QString flipped(const QString& op) {
    if (op == QLatin1String("<")) return QStringLiteral(">");
    if (op == QLatin1String(">")) return QStringLiteral("<");
    if (op == QLatin1String("<=")) return QStringLiteral(">=");
    if (op == QLatin1String(">=")) return QStringLiteral("<=");
    return op;
}

class Parser {
public:
    Parser(const QVector<Token>& tokens, const TableDef& table) : tokens_(tokens), table_(table) {}

    CompiledFilter parse() {
        CompiledFilter result;
        if (peek().kind == TokenKind::End) return result;
        result.sql = orExpression();
        if (peek().kind != TokenKind::End)
            throw DataError(invalid(QStringLiteral("texto inesperado '%1'").arg(peek().text)));
        result.params = params_;
        result.fields = fields_;
        // Joined by "and" alone, every comparison must hold: a field another comparison already denies the
        // blank needs no blank branch in its "<" or "<=", which then bounds the same index range. For the
        // other fields the rows apart from the blanks are the same condition without those branches.
        bool conjunction = true;
        for (const Token& token : tokens_)
            if (isKeyword(token, "or") || isKeyword(token, "not")) conjunction = false;
        const QString marked = result.sql;
        auto resolved = [&](const QString& dropped) {
            QString sql = marked;
            for (int i = 0; i < blankBranches_.size(); ++i) {
                const QString& field = blankBranches_[i];
                const bool needed = field != dropped && !(conjunction && deniesBlank_.contains(field));
                sql.replace(branchMark(i), needed
                                               ? QStringLiteral("%1 IS NULL OR ").arg(quoteIdentifier(field))
                                               : QString());
            }
            return sql;
        };
        result.sql = resolved(QString());
        for (const QString& field : blankBranches_)
            if (!(conjunction && deniesBlank_.contains(field)) && !result.blankBelow.contains(field)) {
                result.blankBelow << field;
                if (conjunction) result.withoutBlanks.insert(field, resolved(field));
            }
        return result;
    }

private:
    const Token& peek() const { return tokens_[pos_]; }
    const Token& take() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }

    // A chain is one flat list, "(a OR b OR c)", so its length costs the engine no parser stack; the
    // nesting of parentheses and "not" is bounded, and with it the recursion here and in the engine.
    QString orExpression() {
        QStringList terms = {andExpression()};
        while (isKeyword(peek(), "or")) {
            take();
            terms << andExpression();
        }
        return group(terms, QStringLiteral(" OR "));
    }

    QString andExpression() {
        QStringList terms = {notExpression()};
        while (isKeyword(peek(), "and")) {
            take();
            terms << notExpression();
        }
        return group(terms, QStringLiteral(" AND "));
    }

    QString notExpression() {
        if (isKeyword(peek(), "not")) {
            take();
            const Nesting nesting(this);
            return QStringLiteral("(NOT %1)").arg(notExpression());
        }
        if (peek().kind == TokenKind::Open) {
            take();
            const Nesting nesting(this);
            const QString inner = orExpression();
            if (peek().kind != TokenKind::Close)
                throw DataError(invalid(QStringLiteral("parêntese não fechado")));
            take();
            return inner;
        }
        if (++comparisons_ > kMaxComparisons)
            throw DataError(invalid(QStringLiteral("mais de %1 comparações").arg(kMaxComparisons)));
        return comparison();
    }

    static QString group(const QStringList& terms, const QString& joiner) {
        if (terms.size() == 1) return terms.first();
        return QLatin1Char('(') + terms.join(joiner) + QLatin1Char(')');
    }

    // One level of parentheses or "not".
    class Nesting {
    public:
        explicit Nesting(Parser* parser) : parser_(parser) {
            if (++parser_->depth_ > kMaxDepth)
                throw DataError(
                    invalid(QStringLiteral("mais de %1 níveis de parênteses ou \"not\"").arg(kMaxDepth)));
        }
        ~Nesting() { --parser_->depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser* parser_;
    };

    bool isFieldToken(const Token& token) const {
        if (token.kind == TokenKind::QuotedName) return true;
        return token.kind == TokenKind::Identifier && !isKeyword(token, "and") && !isKeyword(token, "or") &&
               !isKeyword(token, "not") && !isKeyword(token, "null");
    }

    bool isValueToken(const Token& token) const {
        return token.kind == TokenKind::Text || token.kind == TokenKind::Number || isKeyword(token, "null");
    }

    int fieldOf(const Token& token) {
        const int index = table_.fieldIndex(token.text);
        if (index < 0) throw DataError(invalid(QStringLiteral("campo '%1' não encontrado").arg(token.text)));
        if (!fields_.contains(table_.fields[index].name)) fields_ << table_.fields[index].name;
        return index;
    }

    QString comparison() {
        const Token first = take();
        if (first.kind == TokenKind::End)
            throw DataError(invalid(QStringLiteral("a expressão termina antes do fim")));
        if (isFieldToken(first) && isKeyword(peek(), "is")) {
            take();
            const bool negated = isKeyword(peek(), "not");
            if (negated) take();
            if (!isKeyword(peek(), "null"))
                throw DataError(invalid(QStringLiteral("esperado NULL depois de IS")));
            take();
            const QString column = quoteIdentifier(table_.fields[fieldOf(first)].name);
            return QStringLiteral("(%1 IS %2NULL)").arg(column, negated ? QStringLiteral("NOT ") : QString());
        }
        const Token op = take();
        if (op.kind != TokenKind::Operator)
            throw DataError(invalid(QStringLiteral("esperado um operador depois de '%1'").arg(first.text)));
        const Token second = take();
        if (isFieldToken(first) && isValueToken(second)) return compare(fieldOf(first), op.text, second);
        if (isValueToken(first) && isFieldToken(second))
            return compare(fieldOf(second), flipped(op.text), first);
        if (second.kind == TokenKind::End)
            throw DataError(invalid(QStringLiteral("esperado um valor depois de '%1'").arg(op.text)));
        throw DataError(invalid(QStringLiteral("cada comparação deve ter um campo e um valor ('%1 %2 %3')")
                                    .arg(first.text, op.text, second.text)));
    }

    QVariant literal(const FieldDef& field, const Token& token) const {
        if (isKeyword(token, "null")) return {};
        const QString text = token.text;
        switch (field.type) {
            case FieldType::Date: {
                const QDate date = Values::parseDate(text);
                return date.isValid() ? QVariant(date) : QVariant();
            }
            case FieldType::AutoInc:
            case FieldType::Integer:
            case FieldType::Float:
            case FieldType::Currency: {
                bool ok = false;
                const double plain = text.trimmed().toDouble(&ok);  // as a program writes it: 12.5
                if (ok) return plain;
                return Values::parseNumber(text);  // as a user types it: 1.234,50
            }
            case FieldType::String:
            case FieldType::Memo:
                if (text.isEmpty()) return {};
                return text;
            default:
                throw DataError(
                    invalid(QStringLiteral("o campo '%1' não pode ser comparado").arg(field.name)));
        }
    }

    QString param(const QVariant& value) {
        params_.append(value);
        return QStringLiteral("?");
    }

    // Every comparison yields true or false, never SQL's unknown: a blank value ranks below every value, so
    // that "not" and "or" keep that order too. Each comparison is a plain range on its column, which SQLite
    // answers from an index; the blanks a "<" or "<=" lets through are one more lookup (x IS NULL), left out
    // where another comparison already shuts blanks out, so that a date range is one range of the index.
    QString compare(int fieldIndex, const QString& op, const Token& token) {
        const FieldDef& field = table_.fields[fieldIndex];
        const QString column = quoteIdentifier(field.name);
        const QVariant value = literal(field, token);
        if (value.isNull()) {
            if (op == QLatin1String("=") || op == QLatin1String("<="))
                return QStringLiteral("(%1 IS NULL)").arg(column);
            if (op == QLatin1String("<>") || op == QLatin1String(">"))
                return QStringLiteral("(%1 IS NOT NULL)").arg(column);
            if (op == QLatin1String("<")) return QStringLiteral("(1 = 0)");
            return QStringLiteral("(1 = 1)");  // >=
        }
        const QString text = value.toString();
        const bool prefix = field.isText() && text.size() >= 2 && text.endsWith(QLatin1Char('*')) &&
                            (op == QLatin1String("=") || op == QLatin1String("<>"));
        if (prefix) {
            if (op == QLatin1String("=") && !deniesBlank_.contains(field.name)) deniesBlank_ << field.name;
            return comparePrefix(column, op, text.left(text.size() - 1));
        }
        const QString bound = param(value);
        if (op == QLatin1String("<>")) return QStringLiteral("(%1 IS NULL OR %1 <> %2)").arg(column, bound);
        if (op == QLatin1String("<") || op == QLatin1String("<=")) {
            // The blank branch is decided once the whole expression is known (see parse).
            blankBranches_ << field.name;
            return QStringLiteral("(%1%2 %3 %4)")
                .arg(branchMark(blankBranches_.size() - 1), column, op, bound);
        }
        if (!deniesBlank_.contains(field.name)) deniesBlank_ << field.name;
        return QStringLiteral("(%1 IS NOT NULL AND %1 %2 %3)").arg(column, op, bound);
    }

    // Stands in the SQL for the blank branch of a "<" or "<="; no SQL text contains control characters.
    static QString branchMark(int index) { return QStringLiteral("\x01%1\x01").arg(index); }

    // The values that begin with `start` are those from `start` up to, not including, `start` with its last
    // character raised by one: an index range, where substr() would read every row.
    QString comparePrefix(const QString& column, const QString& op, const QString& start) {
        const QChar last = start.back();
        const char16_t raised = char16_t(last.unicode() + 1);
        if (last.isSurrogate() || QChar::isSurrogate(raised) || last.unicode() == 0xFFFF) {
            const QString length = param(static_cast<int>(start.size()));
            const QString bound = param(start);
            if (op == QLatin1String("="))
                return QStringLiteral("(%1 IS NOT NULL AND substr(%1, 1, %2) = %3)")
                    .arg(column, length, bound);
            return QStringLiteral("(%1 IS NULL OR substr(%1, 1, %2) <> %3)").arg(column, length, bound);
        }
        const QString low = param(start);
        const QString high = param(QString(start.left(start.size() - 1)) + QChar(raised));
        if (op == QLatin1String("="))
            return QStringLiteral("(%1 IS NOT NULL AND %1 >= %2 AND %1 < %3)").arg(column, low, high);
        return QStringLiteral("(%1 IS NULL OR %1 < %2 OR %1 >= %3)").arg(column, low, high);
    }

    // The engine's parser and expression depth stay well inside its limits with these.
    static constexpr int kMaxDepth = 10;
    static constexpr int kMaxComparisons = 256;

    const QVector<Token>& tokens_;
    const TableDef& table_;
    int pos_ = 0;
    int depth_ = 0;
    int comparisons_ = 0;
    QVariantList params_;
    QStringList fields_;
    QStringList blankBranches_;  // field of each "<" or "<=" with a value, in order
    QStringList deniesBlank_;    // fields compared in a way no blank passes
};

}  // namespace

CompiledFilter compileFilter(const QString& text, const TableDef& table) {
    const QVector<Token> tokens = tokenize(text);
    return Parser(tokens, table).parse();
}
