#pragma once

#include <QFrame>

class DBEdit;
class QPixmap;
class QSize;
class QPushButton;
class QToolButton;
class Table;

// The small panel over the main window's picture where the user picks the logo file: the path stored in
// `End` of the first row of logo.db, "Alterar Logo Marca", "Salvar e Fechar" and "Deixar Padrão".
class TPainelLogo : public QFrame {
    Q_OBJECT
public:
    // `Tlogo` is the main window's open view of logo.db.
    TPainelLogo(Table* Tlogo, QWidget* parent);

    void BtnAlterarClick();  // "Alterar Logo Marca"
    void BtnSalvarClick();   // "Salvar e Fechar"
    void BtnPadraoClick();   // "Deixar Padrão"
    void FecharClick();      // "X"

    // Reads a picture file, its format chosen by its extension, scaled down to fit `place` when it is larger.
    // False with a Portuguese explanation when the file is missing, unreadable or not a picture of that
    // format.
    static bool loadPicture(const QString& path, const QSize& place, QPixmap* picture, QString* error);

    DBEdit* DBEdit1;  // bound to End
    QToolButton* X;
    QPushButton* BtnAlterar;
    QPushButton* BtnSalvar;
    QPushButton* BtnPadrao;

signals:
    void saved();  // "Salvar e Fechar" stored the row: time to load the picture

private:
    Table* Tlogo;
    QString chosen_;  // the dialog's file name, kept until the program ends
};
