// The packet log: each logged message is one archive (CSnmpMsg::Serialize over a little-endian
// QDataStream) appended to a file, "snmp.log" in the current directory by default.
#pragma once

#include <kxsnmp/SnmpMsg.h>

#include <QByteArray>
#include <QDataStream>
#include <QString>

#include <memory>
#include <vector>

// The default packet log file, relative to the current directory.
KXSNMP_EXPORT QString SnmpLogFileName();

// Sets up a stream the way every log archive uses it (little-endian, fixed stream version).
KXSNMP_EXPORT void PrepareSnmpLogStream(QDataStream& stream);

// One archive holding the message.
KXSNMP_EXPORT QByteArray SerializeSnmpMsg(const CSnmpMsg& msg);

// Reads one archive from the stream. Returns null, with the reason in *pstrError when given,
// when the data is truncated or malformed; the stream is then left failed.
KXSNMP_EXPORT std::unique_ptr<CSnmpMsg> DeserializeSnmpMsg(QDataStream& stream, QString* pstrError = nullptr);

// Appends one archive of the message to the file, creating it when missing. Returns false when
// the file cannot be opened or written (nothing is logged then).
KXSNMP_EXPORT bool AppendSnmpLog(const CSnmpMsg& msg, const QString& strFileName = SnmpLogFileName());

// Every message of a log. Reading stops at the first archive that cannot be read; the messages
// before it are kept and the failure is described.
struct KXSNMP_EXPORT CSnmpLogContents
{
    std::vector<std::unique_ptr<CSnmpMsg>> messages;
    bool bComplete = true;      // false when reading stopped at a bad or truncated archive
    qint64 nErrorOffset = -1;   // byte offset of that archive
    QString strError;           // what was wrong with it, or why the file could not be read
};

KXSNMP_EXPORT CSnmpLogContents ReadSnmpLog(const QString& strFileName = SnmpLogFileName());
KXSNMP_EXPORT CSnmpLogContents ReadSnmpLogData(const QByteArray& data);
