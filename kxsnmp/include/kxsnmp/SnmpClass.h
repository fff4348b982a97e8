// Requests built from an application's table of OID descriptors: Get, GetNext and Set over all of
// them, walking a table row by row, and display text for received values.
#pragma once

#include <kxsnmp/KxSnmpExport.h>
#include <kxsnmp/SnmpMsg.h>
#include <kxsnmp/SnmpOid.h>

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class KXSNMP_EXPORT CSnmpClass
{
public:
    // Builds one descriptor per record, in table order; index empty, no callback, last request id 0.
    CSnmpClass(QObject* pWnd, const QString& strIpAddr, const QString& strReadCommunity,
               const QString& strWriteCommunity, int nCount, const _KxOidTable* pTable, const QString& strSuffix);
    ~CSnmpClass();
    CSnmpClass(const CSnmpClass&) = delete;
    CSnmpClass& operator=(const CSnmpClass&) = delete;

    // The descriptors; their m_strValue is what a Set request writes.
    std::vector<std::unique_ptr<CSnmpOid>>& GetOidList() { return m_oidList; }
    void SetSnmpCallback(SnmpCallback pfnCallback) { m_pfnCallback = pfnCallback; }

    // Builds one request of the given PDU type over every descriptor and sends it; returns its id.
    std::uint32_t SendSnmp(std::uint16_t wPduType);
    // End-of-table test on a GetNext response; sets m_strIndex to the row's index (empty at the end).
    // A PDU without bindings, or an object without descriptors, is at the end.
    bool IsEndOfTable(const CSnmpPdu* pPdu);
    // Display text of a received value, typed by the descriptor when one is given. A binding without a
    // value, or with a value of another form or shorter than the format needs, gives an empty text.
    QString FormatValue(const CSnmpVarBind* pVarBind, const CSnmpOid* pOid) const;
    // Removes and releases every read-only descriptor that is not a key.
    void RemoveReadOnlyObjid();

    // Hexadecimal text to bytes: (length + 1) / 2 bytes, two characters each (the last one alone for
    // an odd length). A pair is read as its leading hex digits; a pair that starts with another
    // character gives 0.
    static QByteArray HexTextToBytes(const QString& strText);
    // Dotted address text to 4 bytes: up to four groups of at most three characters, each converted
    // like atoi and stored as its low 8 bits; a longer group ends the conversion; missing bytes are 0.
    static QByteArray AddressTextToBytes(const QString& strText);
    // MAC text ("00:11:22:aa:bb:cc", "0 1") to 1 to 6 bytes; false for more than six groups or a group
    // of more than two characters.
    static bool MacTextToBytes(const QString& strText, QByteArray& bytes);

    QObject* m_pWnd;
    QString m_strIpAddr;
    QString m_strReadCommunity;
    QString m_strWriteCommunity;
    std::uint16_t m_wPduType = 0;
    int m_nOidCount;
    std::vector<std::unique_ptr<CSnmpOid>> m_oidList;
    QString m_strIndex;
    QString m_strSuffix;
    SnmpCallback m_pfnCallback = nullptr;
    std::uint32_t m_dwLastReqId = 0;
};
