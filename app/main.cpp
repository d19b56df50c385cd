#include "Application.h"
#include "Startup.h"

int main(int argc, char** argv) {
    Application app(argc, argv);
    return startVanteja(app);
}
