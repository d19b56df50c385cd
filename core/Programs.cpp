#include "Programs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>

#include "Clock.h"
#include "Platform.h"

namespace Programs {

QString executableName(const QString& name) {
#ifdef Q_OS_WIN
    return name + QStringLiteral(".exe");
#else
    return name;
#endif
}

QString locate(const QString& name) {
    const QString file = executableName(name);
    const QFileInfo beside(QDir(ProgramFolder::path()).filePath(file));
    if (beside.isFile() && beside.isExecutable()) return beside.absoluteFilePath();
    return QStandardPaths::findExecutable(file);
}

bool start(const QString& name) {
    const QString path = locate(name);
    if (path.isEmpty()) return false;
    QProcess process;
    process.setProgram(path);
    process.setWorkingDirectory(QFileInfo(path).absolutePath());
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}

namespace {

quint16 little16(const QByteArray& bytes, qsizetype at) {
    return quint16(quint8(bytes[at]) | quint8(bytes[at + 1]) << 8);
}

quint16 big16(const QByteArray& bytes, qsizetype at) {
    return quint16(quint8(bytes[at]) << 8 | quint8(bytes[at + 1]));
}

quint32 little32(const QByteArray& bytes, qsizetype at) {
    return quint32(little16(bytes, at)) | quint32(little16(bytes, at + 2)) << 16;
}

bool isElf(const QByteArray& head) {
    return head.startsWith(
        "\x7f"
        "ELF");
}

// The PE header's offset in a Windows program ("MZ", then "PE\0\0" where the DOS header points); -1 when
// there is none.
qsizetype peHeader(const QByteArray& head) {
    if (!head.startsWith("MZ") || head.size() < 0x40) return -1;
    const quint32 at = little32(head, 0x3c);
    if (at > quint32(head.size()) - 24 || head.mid(at, 4) != QByteArray("PE\0\0", 4)) return -1;
    return qsizetype(at);
}

// A page or a text: what a web server sends in place of a file it does not have.
QString textKind(const QByteArray& head) {
    QByteArray start = head.left(512);
    if (start.startsWith("\xef\xbb\xbf")) start.remove(0, 3);
    start = start.trimmed();
    if (start.isEmpty()) return QString();
    if (start.startsWith('<')) return QStringLiteral("uma página da internet");
    for (char c : start)
        if (quint8(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') return QString();
    return QStringLiteral("um texto");
}

}  // namespace

ProgramKind thisComputer() {
    ProgramKind kind{ProgramKind::Format::Elf, 0, QT_POINTER_SIZE == 8};
#if defined(Q_OS_WIN)
    kind.format = ProgramKind::Format::Pe;
#if defined(Q_PROCESSOR_X86_64)
    kind.machine = 0x8664;
#elif defined(Q_PROCESSOR_ARM_64)
    kind.machine = 0xaa64;
#elif defined(Q_PROCESSOR_X86_32)
    kind.machine = 0x14c;
#endif
#else
#if defined(Q_PROCESSOR_X86_64)
    kind.machine = 62;
#elif defined(Q_PROCESSOR_ARM_64)
    kind.machine = 183;
#elif defined(Q_PROCESSOR_X86_32)
    kind.machine = 3;
#elif defined(Q_PROCESSOR_ARM_32)
    kind.machine = 40;
#elif defined(Q_PROCESSOR_RISCV)
    kind.machine = 243;
#elif defined(Q_PROCESSOR_POWER_64)
    kind.machine = 21;
#elif defined(Q_PROCESSOR_S390)
    kind.machine = 22;
#endif
#endif
    return kind;  // machine 0: a processor not listed here, not checked
}

QString notAProgram(const QByteArray& head, const ProgramKind& kind) {
    const QString text = textKind(head);
    if (!text.isEmpty()) return QStringLiteral("o arquivo recebido é %1, não o programa").arg(text);
    const bool elf = isElf(head);
    const qsizetype pe = elf ? -1 : peHeader(head);
    const QString otherProcessor =
        QStringLiteral("o arquivo recebido é um programa para outro tipo de processador");
    const QString notExecutable = QStringLiteral("o arquivo recebido não é um programa executável");
    if (kind.format == ProgramKind::Format::Elf) {
        if (pe >= 0)
            return QStringLiteral("o arquivo recebido é um programa para Windows, não para este computador");
        if (!elf || head.size() < 20)
            return QStringLiteral("o arquivo recebido não é um programa para este computador");
        const bool little = head[5] == 1;
        const quint16 type = little ? little16(head, 16) : big16(head, 16);
        const quint16 machine = little ? little16(head, 18) : big16(head, 18);
        if (type != 2 && type != 3) return notExecutable;  // an executable, or one placed anywhere in memory
        const bool wide = head[4] == 2;
        const bool littleHere = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
        if (wide != kind.wide || little != littleHere || (kind.machine != 0 && machine != kind.machine))
            return otherProcessor;
        return QString();
    }
    if (elf) return QStringLiteral("o arquivo recebido é um programa para Linux, não para este computador");
    if (pe < 0) return QStringLiteral("o arquivo recebido não é um programa para este computador");
    const quint16 machine = little16(head, pe + 4);
    const quint16 characteristics = little16(head, pe + 22);
    if (!(characteristics & 0x0002) || (characteristics & 0x2000))
        return notExecutable;  // an executable image, not a library
    if (kind.machine != 0 && machine != kind.machine) return otherProcessor;
    return QString();
}

QString mainProgramServerName() {
    return Platform::privateServerName(QStringLiteral("Vanteja"));
}

bool mainProgramRunning(const QString& serverName) {
    QLocalSocket probe;
    probe.connectToServer(serverName);
    return probe.waitForConnected(1000);
}

}  // namespace Programs
