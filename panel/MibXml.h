// Reads one section of the configuration MIB description ("TQX9048_CFG.XML") and keeps the values
// read from the device in its document (RETVALUE, SUFFIX). Requests are built on any engine message
// that offers addValue(oid, type, value).
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <pugixml.hpp>

#include <memory>
#include <vector>

// One variable binding a request is made of: OID text, engine type code, value text (none for a read).
struct SMibBinding {
    QString strOid;
    int nType = 4;
    QString strValue;
    bool bHasValue = false;
};

class CMibXml {
public:
    using PairList = QList<QPair<QString, QString>>;

    // Longest OID text a request carries; longer ones are refused rather than cut.
    static constexpr int kMaxOidLength = 254;

    CMibXml();
    ~CMibXml();
    CMibXml(const CMibXml&) = delete;
    CMibXml& operator=(const CMibXml&) = delete;

    bool Open(const QString& strFileName, const QString& strSection);
    // The same from the file's bytes.
    bool OpenData(const QByteArray& data, const QString& strSection);
    // An already loaded document (shared with the caller): it must hold exactly one MIB element, whose
    // first child element becomes the section.
    bool Attach(std::shared_ptr<pugi::xml_document> pDoc);

    bool GetFirstName(QString& strOid);
    bool GetNextName(QString& strOid);

    bool GetType(const QString& strOid, QString& strType);
    bool GetDesc(const QString& strOid, QString& strDesc);
    bool GetAccess(const QString& strOid, QString& strAccess);
    bool GetValueList(const QString& strOid, PairList& list);

    bool SetRetValue(const QString& strOid, const QString& strValue);
    bool AddSuffix(const QString& strOid, const QString& strSuffix, const QString& strValue);
    bool GetRetValue(const QString& strOid, QString& strValue);
    bool GetSuffixList(const QString& strOid, PairList& list);

    // The bindings of a read of every item (OID + "." + suffix when a suffix is given), and of a
    // write of every writable item's stored values. False when an item has no NAME (the bindings
    // made before it are kept) or an OID would be too long (that binding is left out).
    bool CollectGetRequest(std::vector<SMibBinding>& bindings, const QString& strSuffix = QString());
    bool CollectSetRequest(std::vector<SMibBinding>& bindings);

    // Adds the bindings to an engine message through its addValue(oid, type, value), which returns 0
    // on success. False when a binding could not be made or the engine refused one.
    template <class Msg>
    bool BuildGetRequest(Msg* pMsg, const QString& strSuffix = QString())
    {
        std::vector<SMibBinding> bindings;
        const bool bOk = CollectGetRequest(bindings, strSuffix);
        return AddBindings(pMsg, bindings) && bOk;
    }
    template <class Msg>
    bool BuildSetRequest(Msg* pMsg)
    {
        std::vector<SMibBinding> bindings;
        const bool bOk = CollectSetRequest(bindings);
        return AddBindings(pMsg, bindings) && bOk;
    }

    // The engine type code for an item's TYPE text: 2 for strings, 8 for addresses, 10 for unsigned
    // numbers, 1 (INTEGER) otherwise.
    static int TypeCode(const QString& strType);

    const pugi::xml_document* GetDocument() const { return m_pDoc.get(); }
    bool IsOpen() const { return static_cast<bool>(m_section); }

private:
    template <class Msg>
    static bool AddBindings(Msg* pMsg, const std::vector<SMibBinding>& bindings)
    {
        if (!pMsg)
            return false;
        bool bOk = true;
        for (const SMibBinding& b : bindings) {
            const QByteArray oid = b.strOid.toLatin1();
            const QByteArray value = b.strValue.toUtf8();
            if (pMsg->addValue(oid.constData(), b.nType, b.bHasValue ? value.constData() : nullptr) != 0)
                bOk = false;  // the engine refused the OID or value: the request is incomplete
        }
        return bOk;
    }

    bool SelectSection(const QString& strSection);
    pugi::xml_node FindItem(const QString& strOid) const;
    bool ItemText(const QString& strOid, const char* pszTag, QString& strText) const;

    std::shared_ptr<pugi::xml_document> m_pDoc;
    pugi::xml_node m_section;
    std::vector<pugi::xml_node> m_items;
    int m_nIndex = -1;  // enumeration position; -1 before GetFirstName
};
