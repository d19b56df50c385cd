#include <QApplication>

#include "Startup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return startVanteja(app);
}
