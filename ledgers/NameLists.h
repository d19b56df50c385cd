#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// The quick-entry name lists behind the ledger windows' name boxes: plain text files in the program folder,
// one name per line. The files come from the old program, so they are read and written in Windows-1252; a
// file that is valid UTF-8 and holds non-ASCII characters (typed in a Linux editor) is kept in UTF-8 instead.
namespace NameLists {

inline const QString kListaSaida = QStringLiteral("lista_saida.txt");
inline const QString kListaCredor = QStringLiteral("lista_credor.txt");
inline const QString kRefEntrada = QStringLiteral("ref_entrada.txt");
inline const QString kListaReceber = QStringLiteral("lista_receber.txt");
inline const QString kReceberCredor = QStringLiteral("receber_credor.txt");

// The name boxes that have a list.
enum class Box { PayablesName, PayablesReference, ReceivablesName, ReceivablesReference };

enum class Encoding { Windows1252, Utf8 };

// ---- The file format ----

// The entries of a file's bytes: a line ends at CR, LF or CR LF, an empty line is an empty entry, a last line
// without a break is taken, a break at the very end adds nothing, a NUL ends the text. `encoding` receives
// how the bytes were read.
QStringList parse(const QByteArray& bytes, Encoding* encoding = nullptr);
// Every entry followed by CR LF.
QByteArray serialize(const QStringList& entries, Encoding encoding);
// Whether every character of the text has a Windows-1252 byte.
bool fitsWindows1252(const QString& text);

// Reads a whole regular file (a FIFO, a device or a folder is refused, never opened). Raises DataError naming
// the file and the reason when it can't be opened or read.
QStringList readFile(const QString& path, Encoding* encoding = nullptr);
// Replaces a file by the entries, through a temporary file, so a failed write leaves the old file whole. The
// encoding is the one the file has now (Windows-1252 for a new file), or UTF-8 when an entry has a character
// Windows-1252 lacks; UTF-8 behind a byte-order mark when the bytes would otherwise read back as other
// names. A new file is its owner's alone; an existing one keeps its mode. Raises DataError naming the file
// and the reason when it can't be written.
void writeFile(const QString& path, const QStringList& entries);

// ---- Where the lists live and when they are on ----

QString pathOf(const QString& fileName);  // in the program folder
QString fileOf(Box box);
// The file whose existence switches the box's window's lists on (and the "Salvar" buttons shown).
QString switchFileOf(Box box);
bool switchedOn(Box box);
// What a box's list holds before any file is loaded: one empty entry for the payables name, nothing else.
QStringList designEntries(Box box);
// The entries a box shows: capitals, as the boxes turn everything typed into capitals.
QStringList asShown(const QStringList& lines);

// The load of one window's lists on activation. A list loaded before a failing file keeps its new entries;
// an absent entry leaves its box as it was. Replacing a box's entries keeps the text it shows.
struct Load {
    bool switchedOn = false;               // false: hide the window's "Salvar" buttons, keep the lists
    std::optional<QStringList> name;       // new entries of "Nome (Credor)"
    std::optional<QStringList> reference;  // new entries of "Referência"
    QString error;  // the file that could not be read and why; empty when all went well
};
Load loadPayables();
Load loadReceivables();

// The names of the clients register, in the order the query gives them ("select nome from c_cliente"); a
// client without a name gives an empty entry. Raises DataError when the register can't be read.
QStringList clientNames();

// ---- "Salvar" beside a name box ----

// A box for the window to show: its kind and its text.
struct Notice {
    enum Kind { Message, Information, Error } kind;
    QString text;
};

// The question a new name gets, with its caption.
inline const QString kSaveQuestion = QStringLiteral("Deseja salvar essa saída para inclusão posterior?");
inline const QString kSaveCaption = QStringLiteral("Registro");

struct Save {
    enum Outcome {
        HideButtons,    // the switch file is gone: hide the window's "Salvar" buttons, nothing else
        AlreadyListed,  // the box shows the selected entry: nothing written
        Ask,            // ask kSaveQuestion, then write the list, the box's text added on Yes
        Written,        // the list was written and read back
        WriteFailed,    // an entry just added stays in the open list only
    } outcome = Written;
    bool disableButton = false;  // disable the clicked button
    QList<Notice> notices;       // for the window to show, in order
    QStringList entries;         // what the box's list holds afterwards (keep the box's text)
};

// The click of a "Salvar" button up to its question: `text` is the box's text, `selected` the text of the
// entry selected in its list ("" when none). The duplicate check looks at the selected entry only, never
// searches the list. Shows nothing: the notices say what to show.
Save check(Box box, const QString& text, const QString& selected);
// After the question: the box's list replaced by `entries` and read back; a failure is an error notice.
Save write(Box box, const QStringList& entries);

}  // namespace NameLists
