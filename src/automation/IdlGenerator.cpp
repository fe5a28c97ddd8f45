// Writes the type library's IDL text to the file named on the command line (build step).

#include "automation/IdlWriter.h"
#include "automation/TypeLibrary.h"

#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.idl\n", argv[0]);
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    file.write(zav::automation::WriteIdl(zav::automation::TypeLibrary()).toUtf8());
    return 0;
}
