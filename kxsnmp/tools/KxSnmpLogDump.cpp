// kxsnmp-logdump [FILE]: prints every message of a KxSnmp packet log (default ./snmp.log).
#include "LogDumpFormat.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() > 1 || (args.size() == 1 && (args[0] == QLatin1String("-h") || args[0] == QLatin1String("--help")))) {
        std::fputs("usage: kxsnmp-logdump [FILE]\n"
                   "Prints every message of a KxSnmp packet log, one block per message (default ./snmp.log).\n",
                   args.size() > 1 ? stderr : stdout);
        return args.size() > 1 ? 2 : 0;
    }
    const QString file = args.isEmpty() ? SnmpLogFileName() : args[0];
    if (!QFileInfo(file).isFile()) {
        std::fprintf(stderr, "kxsnmp-logdump: no such file: %s\n", file.toLocal8Bit().constData());
        return 1;
    }
    const CSnmpLogContents contents = ReadSnmpLog(file);
    const QByteArray text = kxtool::FormatSnmpLog(contents).toUtf8();
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    if (!contents.bComplete) {
        std::fprintf(stderr, "kxsnmp-logdump: %s\n", contents.strError.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
