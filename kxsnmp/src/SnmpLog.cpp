#include <kxsnmp/SnmpLog.h>

#include <QBuffer>
#include <QFile>

QString SnmpLogFileName()
{
    return QStringLiteral("snmp.log");
}

void PrepareSnmpLogStream(QDataStream& stream)
{
    stream.setByteOrder(QDataStream::LittleEndian);
    stream.setVersion(QDataStream::Qt_6_0);
}

QByteArray SerializeSnmpMsg(const CSnmpMsg& msg)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QDataStream stream(&buffer);
    PrepareSnmpLogStream(stream);
    kxsnmp::CArchive ar(stream, kxsnmp::CArchive::store);
    // Storing reads the message only.
    const_cast<CSnmpMsg&>(msg).Serialize(ar);
    return data;
}

std::unique_ptr<CSnmpMsg> DeserializeSnmpMsg(QDataStream& stream, QString* pstrError)
{
    auto pMsg = std::make_unique<CSnmpMsg>();
    kxsnmp::CArchive ar(stream, kxsnmp::CArchive::load);
    pMsg->Serialize(ar);
    if (ar.IsOk())
        return pMsg;
    if (pstrError) {
        *pstrError = stream.status() == QDataStream::ReadPastEnd
                         ? QStringLiteral("truncated message record")
                         : QStringLiteral("malformed message record");
    }
    return nullptr;
}

bool AppendSnmpLog(const CSnmpMsg& msg, const QString& strFileName)
{
    QFile file(strFileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray data = SerializeSnmpMsg(msg);
    return file.write(data) == data.size() && file.flush();
}

namespace {
CSnmpLogContents ReadAll(QIODevice& device)
{
    CSnmpLogContents contents;
    QDataStream stream(&device);
    PrepareSnmpLogStream(stream);
    while (!stream.atEnd()) {
        const qint64 nOffset = device.pos();
        QString strError;
        auto pMsg = DeserializeSnmpMsg(stream, &strError);
        if (!pMsg) {
            contents.bComplete = false;
            contents.nErrorOffset = nOffset;
            contents.strError = strError;
            break;
        }
        contents.messages.push_back(std::move(pMsg));
    }
    return contents;
}
}  // namespace

CSnmpLogContents ReadSnmpLog(const QString& strFileName)
{
    QFile file(strFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        CSnmpLogContents contents;
        contents.bComplete = false;
        contents.nErrorOffset = 0;
        contents.strError = QStringLiteral("cannot open %1: %2").arg(strFileName, file.errorString());
        return contents;
    }
    return ReadAll(file);
}

CSnmpLogContents ReadSnmpLogData(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    return ReadAll(buffer);
}
