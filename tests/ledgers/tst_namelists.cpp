// The name-list files: line ends, empty lines and NUL, Windows-1252 and UTF-8 kept byte for byte, a large
// file, files that can't be read or written, the load of each window's lists and the "Salvar" buttons.

#include <QFile>
#include <QtTest>

#include "NameLists.h"
#include "UnwritableFolder.h"
#include "WindowFixture.h"

#include <future>
#include <thread>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace NameLists;

namespace {

QByteArray bytesOf(const QString& fileName) {
    QFile file(pathOf(fileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void put(const QString& fileName, const QByteArray& bytes) {
    QFile file(pathOf(fileName));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Lets the ordinary user the tests act as in an unwritable folder write the file itself.
void share(const QString& fileName) {
    QFile::setPermissions(pathOf(fileName), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ReadOther | QFileDevice::WriteOther);
}

// A file nobody may write, with this thread acting as an ordinary user when the tests run as root.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& path) : path_(path), folder_(QFileInfo(path).absolutePath()) {
        folderBefore_ = QFile::permissions(folder_);
        QFile::setPermissions(folder_, folderBefore_ | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                           QFileDevice::WriteOther | QFileDevice::ExeOther);
        QFile::setPermissions(path_,
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
#ifdef Q_OS_LINUX
        if (geteuid() == 0) {
            setfsuid(65534);
            asRoot_ = true;
        }
#endif
    }
    ~ReadOnlyFile() {
#ifdef Q_OS_LINUX
        if (asRoot_) setfsuid(0);
#endif
        QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile::setPermissions(folder_, folderBefore_);
    }

private:
    QString path_, folder_;
    QFileDevice::Permissions folderBefore_;
    bool asRoot_ = false;
};

#ifdef Q_OS_LINUX
// The error a call raises, run on its own thread with a generous bound. A call still blocked after it is
// released by opening the FIFO at `path` from both ends, and the test fails.
QString bounded(const QString& path, const std::function<void()>& call) {
    std::packaged_task<QString()> task([call] { return errorOf(call); });
    std::future<QString> result = task.get_future();
    std::thread worker(std::move(task));
    const bool blocked = result.wait_for(std::chrono::seconds(30)) != std::future_status::ready;
    while (result.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
        for (int flags : {O_RDONLY | O_NONBLOCK, O_WRONLY | O_NONBLOCK})
            if (const int fd = ::open(QFile::encodeName(path).constData(), flags); fd >= 0) ::close(fd);
    worker.join();
    if (blocked) qWarning("the call blocked on %s", qPrintable(path));
    return blocked ? QStringLiteral("<blocked>") : result.get();
}
#endif

}  // namespace

class TestNameLists : public QObject {
    Q_OBJECT

private slots:
    void parsing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("utf8");
        QTest::newRow("CR LF") << QByteArray("AGUA\r\nLUZ\r\n") << QStringList{"AGUA", "LUZ"} << false;
        QTest::newRow("LF, last line without break")
            << QByteArray("agua\nluz") << QStringList{"agua", "luz"} << false;
        QTest::newRow("CR only") << QByteArray("A\rB\r") << QStringList{"A", "B"} << false;
        QTest::newRow("mixed ends") << QByteArray("A\rB\nC\r\nD") << QStringList{"A", "B", "C", "D"} << false;
        QTest::newRow("LF CR is two breaks") << QByteArray("A\n\rB") << QStringList{"A", "", "B"} << false;
        QTest::newRow("empty line in the middle")
            << QByteArray("A\r\n\r\nB\r\n") << QStringList{"A", "", "B"} << false;
        QTest::newRow("only breaks") << QByteArray("\r\n\n") << QStringList{"", ""} << false;
        QTest::newRow("empty file") << QByteArray() << QStringList{} << false;
        QTest::newRow("NUL ends the text")
            << QByteArray("A\r\nB\0C\r\nD", 10) << QStringList{"A", "B"} << false;
        QTest::newRow("Windows-1252")
            << QByteArray("CAL\xC7\xC3O\r\n\x80 5\r\n") << QStringList{"CALÇÃO", "€ 5"} << false;
        QTest::newRow("UTF-8 typed in Linux") << QByteArray("ação\nÇ") << QStringList{"ação", "Ç"} << true;
        QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBFLUZ\n") << QStringList{"LUZ"} << true;
    }
    void parsing() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        QFETCH(bool, utf8);
        Encoding encoding;
        QCOMPARE(parse(bytes, &encoding), entries);
        QCOMPARE(encoding == Encoding::Utf8, utf8);
    }

    // A file loaded into a box and written back: capitals, CR LF, same order, same encoding.
    void roundTrip_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("LF and small letters")
            << QByteArray("aluguel\nagua\n\nluz") << QByteArray("ALUGUEL\r\nAGUA\r\n\r\nLUZ\r\n");
        QTest::newRow("Windows-1252 byte for byte") << QByteArray("CAL\xC7\xC3O\r\nS\xC3O JO\xC3O\r\n")
                                                    << QByteArray("CAL\xC7\xC3O\r\nS\xC3O JO\xC3O\r\n");
        QTest::newRow("UTF-8 stays UTF-8") << QByteArray("ação\r\n") << QByteArray("AÇÃO\r\n");
    }
    void roundTrip() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        WindowFixture fixture;
        put(kListaSaida, before);
        writeFile(pathOf(kListaSaida), asShown(readFile(pathOf(kListaSaida))));
        QCOMPARE(bytesOf(kListaSaida), after);
    }

    void nameOutsideWindows1252GoesUtf8() {
        WindowFixture fixture;
        put(kListaCredor, "AGUA\r\n");
        writeFile(pathOf(kListaCredor), {"AGUA", "ŐRS"});
        QCOMPARE(readFile(pathOf(kListaCredor)), QStringList({"AGUA", "ŐRS"}));
    }

    // What is written reads back as written, also when its Windows-1252 bytes would make valid UTF-8.
    void writtenReadsBack_data() {
        QTest::addColumn<QByteArray>("before");  // the file as it is; "<none>": no file
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray none("<none>"), bom("\xEF\xBB\xBF");
        QTest::newRow("Windows-1252 that is not UTF-8")
            << none << QStringList{"ÁGUA", "CALÇÃO"} << QByteArray("\xC1GUA\r\nCAL\xC7\xC3O\r\n");
        QTest::newRow("Â© would read ©") << none << QStringList{"Â©"} << bom + "Â©\r\n";
        QTest::newRow("CAFÉ” would read CAFɔ")
            << QByteArray("AGUA\r\n") << QStringList{"AGUA", "CAFÉ”"} << bom + "AGUA\r\nCAFÉ”\r\n";
        QTest::newRow("Â© among names that are not UTF-8")
            << QByteArray("CAL\xC7\xC3O\r\n") << QStringList{"CALÇÃO", "Â©"}
            << QByteArray("CAL\xC7\xC3O\r\n\xC2\xA9\r\n");
        QTest::newRow("UTF-8 file needs no mark")
            << QByteArray("AÇÃO\r\n") << QStringList{"AÇÃO", "Â©"} << QByteArray("AÇÃO\r\nÂ©\r\n");
        QTest::newRow("marked file with plain names") << bom + "Â©\r\n"
                                                      << QStringList{"AGUA"} << QByteArray("AGUA\r\n");
    }
    void writtenReadsBack() {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, entries);
        QFETCH(QByteArray, bytes);
        WindowFixture fixture;
        if (before != "<none>") put(kListaSaida, before);
        writeFile(pathOf(kListaSaida), entries);
        QCOMPARE(bytesOf(kListaSaida), bytes);
        QCOMPARE(readFile(pathOf(kListaSaida)), entries);
        QCOMPARE(asShown(readFile(pathOf(kListaSaida))), asShown(entries));
    }

    // A list made here is its owner's alone, whatever the umask; one that exists keeps its mode.
    void modeOfWrittenFiles() {
        WindowFixture fixture;
        const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        const auto shared = owner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        put(kListaSaida, "AGUA\r\n");
        QFile::setPermissions(pathOf(kListaSaida), shared);
#ifdef Q_OS_LINUX
        const mode_t umaskBefore = umask(022);
#endif
        writeFile(pathOf(kListaSaida), {"AGUA", "LUZ"});
        writeFile(pathOf(kListaCredor), {"LUZ"});
#ifdef Q_OS_LINUX
        umask(umaskBefore);
#endif
        QCOMPARE(QFile::permissions(pathOf(kListaSaida)) & 0x7077, shared);
        QCOMPARE(QFile::permissions(pathOf(kListaCredor)) & 0x7077, owner);
    }

#ifdef Q_OS_LINUX
    // A FIFO, a device or a folder under a list's name is refused like a missing file, never opened: opening
    // a FIFO would wait for a writer for ever. Each call runs on a thread of its own, so a call that blocks
    // all the same fails the test instead of hanging it.
    void notARegularFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("FIFO") << "fifo" << QString::fromUtf8("não é um arquivo comum");
        QTest::newRow("device") << "device" << QString::fromUtf8("não é um arquivo comum");
        QTest::newRow("folder") << "folder" << QString::fromUtf8("é uma pasta");
    }
    void notARegularFile() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        WindowFixture fixture;
        const QString path = pathOf(kListaSaida);
        if (kind == "fifo") QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        if (kind == "device") QVERIFY(QFile::link("/dev/null", path));
        if (kind == "folder") QVERIFY(QDir().mkdir(path));

        const QString read = bounded(path, [&] { readFile(path); });
        QVERIFY2(read.contains("lista_saida.txt\": " + reason), qPrintable(read));
        // The payables window's lists are switched on by this very file, and its load reports it.
        Load loaded;
        bounded(path, [&] { loaded = loadPayables(); });
        QVERIFY(loaded.switchedOn && !loaded.name);
        QCOMPARE(loaded.error, read);
        const QString written = bounded(path, [&] { writeFile(path, {"LUZ"}); });
        QVERIFY2(written.contains("lista_saida.txt\": " + reason), qPrintable(written));
        QVERIFY(!QFileInfo(path).isFile());
    }
#endif

    void largeFile() {
        WindowFixture fixture;
        QStringList names;
        for (int i = 0; i < 100000; ++i)
            names << QStringLiteral("NOME %1").arg(i);
        writeFile(pathOf(kListaSaida), names);
        QCOMPARE(bytesOf(kListaSaida).size(), qsizetype(names.join("\r\n").size() + 2));
        QCOMPARE(readFile(pathOf(kListaSaida)), names);
    }

    void unreadableAndUnwritable() {
        WindowFixture fixture;
        QVERIFY(errorOf([] {
                    readFile(pathOf(kListaCredor));
                }).contains(QStringLiteral("lista_credor.txt\": o arquivo não existe")));

        put(kListaSaida, "AGUA\r\n");
        {
            ReadOnlyFile readOnly(pathOf(kListaSaida));
            QVERIFY(errorOf([] {
                        writeFile(pathOf(kListaSaida), {"LUZ"});
                    }).contains(QStringLiteral("lista_saida.txt\": o arquivo é somente leitura")));
        }
        QCOMPARE(bytesOf(kListaSaida), QByteArray("AGUA\r\n"));
        share(kListaSaida);
        {
            UnwritableFolder folder(fixture.data.programFolder());
            QVERIFY(errorOf([] {
                        writeFile(pathOf(kListaSaida), {"LUZ"});
                    }).contains(QStringLiteral("a pasta não aceita gravação")));
        }
        QCOMPARE(bytesOf(kListaSaida), QByteArray("AGUA\r\n"));
    }

    void loading() {
        WindowFixture fixture;
        Load payables = loadPayables();
        QVERIFY(!payables.switchedOn && !payables.name && !payables.reference && payables.error.isEmpty());

        put(kListaSaida, "agua\n");
        payables = loadPayables();
        QVERIFY(payables.switchedOn);
        QCOMPARE(*payables.name, QStringList{"AGUA"});
        QVERIFY(!payables.reference);
        QVERIFY(payables.error.contains(kListaCredor));
        put(kListaCredor, "luz\n");
        QCOMPARE(*loadPayables().reference, QStringList{"LUZ"});

        // Receivables: the switch file's content is never read; the reference list is loaded first.
        put(kReceberCredor, "\xFF\xFE");
        put(kRefEntrada, "aluguel");
        Load receivables = loadReceivables();
        QCOMPARE(*receivables.reference, QStringList{"ALUGUEL"});
        QVERIFY(!receivables.name);
        QVERIFY(receivables.error.contains(kListaReceber));
    }

    void clientNamesInQueryOrder() {
        WindowFixture fixture;
        addRow("c_cliente", {{"Codigo", 2}, {"Nome", "MARIA"}});
        addRow("c_cliente", {{"Codigo", 1}});
        addRow("c_cliente", {{"Codigo", 3}, {"Nome", "ANA"}});
        QCOMPARE(clientNames(), QStringList({"MARIA", "", "ANA"}));
    }

    // "Salvar" up to its question, then, when asked, the list written with the answer.
    void salvar_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<bool>("switchOn");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("shown");  // the notices, "kind:text" joined by "|"
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("disabled");
        const QByteArray untouched("agua\nluz");
        const int payName = int(Box::PayablesName), payRef = int(Box::PayablesReference),
                  recRef = int(Box::ReceivablesReference);

        QTest::newRow("payables, switch file gone")
            << payRef << false << "NOVO"
            << "" << false << int(Save::HideButtons) << "" << untouched << false;
        QTest::newRow("picked entry") << payName << true << "LUZ"
                                      << "LUZ" << false << int(Save::AlreadyListed)
                                      << "information:Saída já está incluso na lista!" << untouched << true;
        QTest::newRow("empty box, nothing selected")
            << payRef << true << ""
            << "" << false << int(Save::AlreadyListed) << "information:Credor já está incluso na lista!"
            << untouched << true;
        QTest::newRow("new name, yes")
            << payName << true << "ALUGUEL SALA"
            << "" << true << int(Save::Ask) << "" << QByteArray("AGUA\r\nLUZ\r\nALUGUEL SALA\r\n") << true;
        QTest::newRow("new name, no")
            << payName << true << "ALUGUEL SALA"
            << "AGUA" << false << int(Save::Ask) << "" << QByteArray("AGUA\r\nLUZ\r\n") << true;
        QTest::newRow("typed name already listed is added again")
            << payName << true << "LUZ"
            << "AGUA" << true << int(Save::Ask) << "" << QByteArray("AGUA\r\nLUZ\r\nLUZ\r\n") << true;
        QTest::newRow("receivables, switch file present")
            << recRef << true << "LUZ"
            << "LUZ" << false << int(Save::AlreadyListed)
            << "information:Esse credor já está incluso na lista!" << untouched << true;
        QTest::newRow("receivables without switch file saves all the same")
            << recRef << false << "GAS"
            << "" << true << int(Save::Ask) << "message:Arquivo inexistente"
            << QByteArray("AGUA\r\nLUZ\r\nGAS\r\n") << false;
    }
    void salvar() {
        QFETCH(int, box);
        QFETCH(bool, switchOn);
        QFETCH(QString, text);
        QFETCH(QString, selected);
        QFETCH(bool, yes);
        QFETCH(int, outcome);
        QFETCH(QString, shown);
        QFETCH(QByteArray, file);
        QFETCH(bool, disabled);
        WindowFixture fixture;
        const Box b = Box(box);
        put(fileOf(b), "agua\nluz");
        if (switchOn && switchFileOf(b) != fileOf(b)) put(switchFileOf(b), "");

        const Save checked = check(b, text, selected);
        QCOMPARE(int(checked.outcome), outcome);
        QCOMPARE(checked.disableButton, disabled);
        const char* kinds[] = {"message", "information", "error"};
        QStringList notices;
        for (const Notice& notice : checked.notices)
            notices << kinds[notice.kind] + (":" + notice.text);
        QCOMPARE(notices.join("|"), shown);
        if (checked.outcome == Save::Ask) {
            QStringList entries = asShown(readFile(pathOf(fileOf(b))));
            if (yes) entries << text;
            const Save written = write(b, entries);
            QCOMPARE(int(written.outcome), int(Save::Written));
            QVERIFY(written.notices.isEmpty());
            QCOMPARE(written.entries, parse(file));
        }
        QCOMPARE(bytesOf(fileOf(b)), file);
        QVERIFY(fixture.dialogs.calls.isEmpty());
    }

    void salvarWriteFailsKeepsName() {
        WindowFixture fixture;
        put(kListaSaida, "AGUA\r\n");
        share(kListaSaida);
        Save result;
        {
            UnwritableFolder folder(fixture.data.programFolder());
            result = write(Box::PayablesName, {"AGUA", "LUZ"});
        }
        QCOMPARE(int(result.outcome), int(Save::WriteFailed));
        QCOMPARE(result.entries, QStringList({"AGUA", "LUZ"}));
        QCOMPARE(result.notices.size(), 1);
        QCOMPARE(result.notices.first().kind, Notice::Error);
        QCOMPARE(bytesOf(kListaSaida), QByteArray("AGUA\r\n"));
    }
};

QTEST_MAIN(TestNameLists)
#include "tst_namelists.moc"
