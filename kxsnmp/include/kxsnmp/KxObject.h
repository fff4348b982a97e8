// Root object class of the KxSnmp objects, their run-time class records and the archive they are
// serialised through. Kept in namespace kxsnmp so that an application with a root class of its own
// can include these headers.
#pragma once

#include <kxsnmp/KxSnmpExport.h>

#include <QDataStream>
#include <QDebug>
#include <QString>

#include <cstdint>
#include <vector>

namespace kxsnmp {

class CObject;
class CArchive;

// Run-time class record: the class name written into archives, its schema and its creation function.
struct KXSNMP_EXPORT CRuntimeClass
{
    const char* m_lpszClassName;
    std::uint16_t m_wSchema;
    CObject* (*m_pfnCreateObject)();  // null for classes without dynamic creation
    const CRuntimeClass* m_pBaseClass;

    // A new object of the class, or null when the class has no creation function.
    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* pBase) const;
};

// Root of every KxSnmp object: run-time class, virtual destructor, serialisation and two diagnostics.
class KXSNMP_EXPORT CObject
{
public:
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject();
    // Stores or loads the object's fields; the root class has none.
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const;
    virtual void Dump(QDebug dc) const;

    bool IsKindOf(const CRuntimeClass* pClass) const;

    static const CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// One archive over a little-endian QDataStream, either storing or loading. Strings are written as
// QDataStream writes a QString (32-bit byte count, UTF-16). Objects in lists carry a class tag: the
// first object of a class in an archive writes 0xFFFF, the schema and the class name; later ones
// write 0x8000 | the class's index in this archive. Loading never allocates more than the bytes
// left on the device, and any malformed field marks the stream ReadCorruptData.
class KXSNMP_EXPORT CArchive
{
public:
    enum Mode { store, load };

    CArchive(QDataStream& stream, Mode mode);

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }
    // True while nothing has failed (no short read, no corrupt field, no write error).
    bool IsOk() const { return m_stream.status() == QDataStream::Ok; }
    // Marks the archive as failed; later reads return zero values.
    void SetCorrupt();
    QDataStream& Stream() { return m_stream; }

    void WriteString(const QString& str);
    // Reads a string written by WriteString; on a bad length the archive fails and str is empty.
    void ReadString(QString& str);

    // Number of bytes still readable, or -1 when the device cannot tell.
    qint64 BytesLeft() const;
    // Fails the archive when fewer than n bytes are left; returns IsOk().
    bool Require(qint64 n);

    void WriteClass(const CRuntimeClass* pClass);
    // Reads a class tag and returns the class, which must be pClassExpected or derived from it;
    // on any mismatch the archive fails and null is returned.
    const CRuntimeClass* ReadClass(const CRuntimeClass* pClassExpected);

private:
    QDataStream& m_stream;
    Mode m_mode;
    std::vector<const CRuntimeClass*> m_classes;  // classes seen in this archive, by tag index
};

}  // namespace kxsnmp

// Run-time class declaration and definition for dynamically creatable classes.
#define KX_DECLARE_DYNCREATE(class_name)                           \
public:                                                            \
    static const kxsnmp::CRuntimeClass class##class_name;          \
    const kxsnmp::CRuntimeClass* GetRuntimeClass() const override; \
    static kxsnmp::CObject* CreateObject();
