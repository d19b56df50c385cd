#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn by the program itself.
namespace Pictures {
// Tool-bar pictures by caption: "Clientes", "Fornecedor", "Recibo", "Promissoria", "Contas Receber",
// "Contas Pagar", "Fluxo Caixa", "Sobre", "Fechar".
QIcon toolbarIcon(const QString& caption);
QIcon navigatorIcon(int button);                          // DBNavigator::Button
QPixmap background(const QSize& size = QSize(560, 360));  // the built-in picture of the main window
QPixmap loginBanner(const QSize& size);
QPixmap alertSign(int size = 22);  // the small picture of the alert total strips
}  // namespace Pictures
