#pragma once

#include <QString>
#include <memory>

class QSettings;

// Where the books live. A program folder that holds its own data folder "Dados" keeps everything beside the
// program, as a build folder, a copied folder or a Windows installation does. An installed program (in
// /usr/bin, no "Dados" beside it) keeps the books, the name lists and the copies in the user's data folder,
// made from the installed empty template on the first start, for the user's eyes only.
namespace BooksFolder {

// Whether the program folder holds its own data folder.
bool besideProgram();
// The folder that holds "Dados", the name lists and the copies: userFolder() for an installed program, else
// the program folder.
QString path();
// The user's own data folder, ~/.local/share/Vanteja on Linux.
QString userFolder();
// The read-only empty data folder an installation puts in share/vanteja.
QString installedTemplate();
// A program installed by a package: no books beside it, the template where the installation puts it.
bool installed();

struct FirstStart {
    bool made = false;  // the books were just made from the template
    QString folder;     // the data folder, when made
    QString error;      // a Portuguese sentence when they could not be made
};
// Makes the user's books from the template when the program is installed and the user has none yet.
FirstStart prepare();

// A program's settings: in "Vanteja.ini" beside a program that keeps its books beside it (and may write
// there), else in the user's settings. Two copies of the program thus never share, say, a folder of copies.
std::unique_ptr<QSettings> settings(const QString& program);

}  // namespace BooksFolder
