#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

// Statement files as banks write them, made by the tests. Texts are given in UTF-8 and written in the
// file's own encoding.
namespace OfxFiles {

struct Line {
    QByteArray posted;  // DTPOSTED as the bank writes it: "20240315", "20240315120000[-3:BRT]"
    QByteArray amount;  // TRNAMT: "-150.00", "1234,56"
    QByteArray fitid;   // empty: no FITID element
    QString memo;
    QString name;  // NAME, when the bank uses it
};

enum class Style {
    Sgml,        // 1.x, Windows-1252, elements left open (Itaú, Bradesco)
    SgmlClosed,  // 1.x, Windows-1252, every element closed (Banco do Brasil, Santander)
    Xml          // 2.x, UTF-8
};

inline QByteArray statement(const QList<Line>& lines, Style style = Style::Sgml,
                            const QByteArray& currency = "BRL") {
    const bool xml = style == Style::Xml;
    const bool closed = style != Style::Sgml;
    auto text = [&](const QString& s) {
        if (!xml) return s.toLatin1();  // Windows-1252 for every letter used here
        QString escaped = s;
        escaped.replace(QLatin1Char('&'), QStringLiteral("&amp;"))
            .replace(QLatin1Char('<'), QStringLiteral("&lt;"));
        return escaped.toUtf8();
    };
    auto element = [&](const char* tag, const QByteArray& value) {
        QByteArray e = QByteArray("<") + tag + ">" + value;
        if (closed) e += QByteArray("</") + tag + ">";
        return e + "\r\n";
    };
    QByteArray out;
    if (xml)
        out =
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\r\n"
            "<?OFX OFXHEADER=\"200\" VERSION=\"211\" SECURITY=\"NONE\" OLDFILEUID=\"NONE\" "
            "NEWFILEUID=\"NONE\"?>\r\n";
    else
        out =
            "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\nENCODING:USASCII\r\n"
            "CHARSET:1252\r\nCOMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n";
    out += "<OFX>\r\n<SIGNONMSGSRSV1><SONRS><STATUS>" + element("CODE", "0") + element("SEVERITY", "INFO") +
           "</STATUS>" + element("DTSERVER", "20240320120000[-3:BRT]") + element("LANGUAGE", "POR") +
           "</SONRS></SIGNONMSGSRSV1>\r\n<BANKMSGSRSV1><STMTTRNRS>" + element("TRNUID", "1") + "<STATUS>" +
           element("CODE", "0") + element("SEVERITY", "INFO") + "</STATUS>\r\n<STMTRS>" +
           element("CURDEF", currency) + "<BANKACCTFROM>" + element("BANKID", "0341") +
           element("ACCTID", "12345-6") + element("ACCTTYPE", "CHECKING") +
           "</BANKACCTFROM>\r\n<BANKTRANLIST>" + element("DTSTART", "20240301") +
           element("DTEND", "20240331");
    for (const Line& l : lines) {
        out += "<STMTTRN>" + element("TRNTYPE", l.amount.startsWith('-') ? "DEBIT" : "CREDIT") +
               element("DTPOSTED", l.posted) + element("TRNAMT", l.amount);
        if (!l.fitid.isEmpty()) out += element("FITID", l.fitid);
        if (!l.name.isEmpty()) out += element("NAME", text(l.name));
        if (!l.memo.isEmpty()) out += element("MEMO", text(l.memo));
        out += "</STMTTRN>\r\n";
    }
    out += "</BANKTRANLIST><LEDGERBAL>" + element("BALAMT", "100.00") + element("DTASOF", "20240331") +
           "</LEDGERBAL></STMTRS></STMTTRNRS></BANKMSGSRSV1>\r\n</OFX>\r\n";
    return out;
}

inline QString write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    return path;
}

}  // namespace OfxFiles
