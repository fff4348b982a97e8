// Fuzz target: a configuration MIB description opened for a section, enumerated, written into and
// turned into requests.
#include "panel/MibXml.h"

#include <QByteArray>
#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>

namespace {

struct NullMessage {
    int n = 0;
    int addValue(const char* oid, int, const char*)
    {
        return oid && *oid ? (++n, 0) : -1;
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("tqx.trace=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const char* section : {"DEVINFO", "DEVCFG"}) {
        CMibXml mib;
        if (!mib.OpenData(bytes, QString::fromLatin1(section)))
            continue;
        QString oid;
        int n = 0;
        for (bool ok = mib.GetFirstName(oid); ok && n < 1000; ok = mib.GetNextName(oid), ++n) {
            QString text;
            CMibXml::PairList list;
            mib.GetType(oid, text);
            mib.GetDesc(oid, text);
            mib.GetAccess(oid, text);
            mib.GetValueList(oid, list);
            mib.SetRetValue(oid, QStringLiteral("1"));
            mib.AddSuffix(oid, QStringLiteral("3"), QStringLiteral("7"));
            mib.GetRetValue(oid, text);
            mib.GetSuffixList(oid, list);
        }
        NullMessage get;
        NullMessage set;
        mib.BuildGetRequest(&get, QStringLiteral("0"));
        mib.BuildSetRequest(&set);
    }
    // The same bytes as a document shared with the reader.
    auto pDoc = std::make_shared<pugi::xml_document>();
    if (pDoc->load_buffer(data, size)) {
        CMibXml mib;
        QString oid;
        if (mib.Attach(pDoc) && mib.GetFirstName(oid))
            mib.SetRetValue(oid, QStringLiteral("x"));
    }
    return 0;
}
