// The SNMP engine: messages (CSnmpV1, CSnmpV3), the table walker (CSnmpTable) and the window-bound
// sender (CSnmp4w). The wire work is done by net-snmp's library inside snmp/engine/*.cpp; this header
// exposes no net-snmp type.
//
// Result codes of every request (synchronous result or the callback's error argument):
//   0                      success: the reply is set (synchronous) or handed to the callback
//   kSnmpTimeout (-1)      no answer within the time-out (device slow, silent or gone)
//   kSnmpEndOfTable (-2)   a GET-NEXT walk has passed the end of every column (see CSnmpTable)
//   kSnmpFailed (-3)       the request could not be made: no bindings, bad host, bad credentials,
//                          an SNMPv3 report (unknown user, wrong digest, ...), a malformed reply
//   1..18                  the agent answered with this SNMP error status (noSuchName 2, badValue 3,
//                          readOnly 4, genErr 5, ..., notWritable 17, ...); no reply is handed over
// A GET whose reply carries noSuchObject or noSuchInstance for a binding also fails with 2
// (noSuchName), so that SNMPv1 and SNMPv3 agents give the same result for a missing object.
//
// Value type codes (addValue and getValue):
//   1 INTEGER (decimal text)   2 OCTET STRING (text, or bytes with a length)   4 no value (NULL)
//   5 OBJECT IDENTIFIER (dotted text)   8 IpAddress (dotted text)   9 Counter32 (decimal)
//   10 Unsigned32/Gauge32 (decimal)     11 TimeTicks (decimal)
// Only returned by getValue: 12 Opaque (bytes), 13 Counter64 (decimal),
//   14 noSuchObject, 15 noSuchInstance, 16 endOfMibView (empty text).
//
// OIDs are dotted decimal text ("1.3.6.1.2.1.1.1.0"; a leading dot is accepted). getOid returns them
// without a leading dot.
//
// Every host uses the UDP port g_nSnmpPort (default 161). No MIB file is read.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QObject;
class CSnmp;

inline constexpr int kSnmpOk = 0;
inline constexpr int kSnmpTimeout = -1;
inline constexpr int kSnmpEndOfTable = -2;
inline constexpr int kSnmpFailed = -3;

enum : int {
    kSnmpTypeInteger = 1,
    kSnmpTypeOctetString = 2,
    kSnmpTypeNull = 4,
    kSnmpTypeObjectId = 5,
    kSnmpTypeIpAddress = 8,
    kSnmpTypeCounter32 = 9,
    kSnmpTypeUnsigned32 = 10,
    kSnmpTypeTimeTicks = 11,
    kSnmpTypeOpaque = 12,
    kSnmpTypeCounter64 = 13,
    kSnmpTypeNoSuchObject = 14,
    kSnmpTypeNoSuchInstance = 15,
    kSnmpTypeEndOfMibView = 16,
};

// PDU types of setType.
enum : int { kSnmpPduGet = 0, kSnmpPduGetNext = 1, kSnmpPduSet = 3 };

// Asynchronous completion: (reply, request id, user value, error). With error 0 the callback owns the
// reply and deletes it; otherwise reply is null. The return value is ignored.
using SnmpCallback = unsigned int (*)(CSnmp* reply, int requestId, void* user, int error);

// One variable binding of a message or a reply.
struct SnmpVarBind {
    std::vector<std::uint32_t> oid;
    int type = kSnmpTypeNull;
    QByteArray bytes;                  // OCTET STRING, Opaque, IpAddress (4 bytes)
    std::int64_t number = 0;           // INTEGER, Counter32, Unsigned32, TimeTicks
    std::uint64_t number64 = 0;        // Counter64
    std::vector<std::uint32_t> oidValue;  // OBJECT IDENTIFIER
    std::vector<std::uint32_t> column;    // in a walk reply: the column OID this binding belongs to
};

// Parses dotted decimal OID text; false for anything else (empty, names, sub-ids over 2^32-1, more
// than 128 sub-ids).
bool SnmpParseOid(const char* text, std::size_t length, std::vector<std::uint32_t>& oid);
QString SnmpOidText(const std::vector<std::uint32_t>& oid);

// An SNMP message (request) or reply. Built with argument 0; the creator deletes it.
class CSnmp {
public:
    virtual ~CSnmp();
    CSnmp(const CSnmp&) = delete;
    CSnmp& operator=(const CSnmp&) = delete;

    virtual int version() const = 0;  // 1 or 3
    // A new empty message of the same version carrying the same community or credentials.
    virtual std::unique_ptr<CSnmp> cloneSettings() const = 0;
    std::unique_ptr<CSnmp> clone() const;

    // 0 GET, 1 GET-NEXT, 3 SET; 0 on success, -1 for any other type.
    int setType(int type);
    int getType() const { return m_nType; }
    void clearVarBindList();

    // Adds a binding; 0 on success, -1 for a bad OID, type or value (the message is unchanged).
    // The three-argument form takes a NUL-terminated value (null only for type 4).
    int addValue(const char* oid, int type, const char* value);
    int addValue(const char* oid, int type, const char* value, unsigned long length);
    void addVarBind(SnmpVarBind vb) { m_vars.push_back(std::move(vb)); ++m_nRevision; }

    int getValuesCount() const { return static_cast<int>(m_vars.size()); }
    // Id of the last asynchronous request started with this message (0 before any).
    int getRequestID() const { return m_nRequestId; }
    void setRequestID(int id) { m_nRequestId = id; }

    // Synchronous request as the PDU type says; on 0 reply holds the answer.
    int send(const char* host, std::unique_ptr<CSnmp>& reply, int timeoutMs);

    // Reply accessors. Each returns 0, or -1 for a position out of range.
    int getErrorInfo(int& status, int& index) const;
    int getOid(int position, QString& oid) const;
    // Numbers as decimal text, OCTET STRING bytes one character per byte (toLatin1() gives them back).
    int getValue(int position, int& type, QString& text) const;
    // Raw bytes (OCTET STRING, Opaque, IpAddress); for other types the value's text as bytes.
    int getValue(int position, QByteArray& bytes) const;
    // Copies at most length bytes into buffer; returns the number of bytes copied, -1 out of range.
    int getValue(int position, char* buffer, unsigned long length) const;

    const std::vector<SnmpVarBind>& varBinds() const { return m_vars; }
    std::uint64_t revision() const { return m_nRevision; }
    void setErrorInfo(int status, int index) { m_nErrorStatus = status; m_nErrorIndex = index; }

protected:
    CSnmp() = default;

private:
    int m_nType = kSnmpPduGet;
    std::vector<SnmpVarBind> m_vars;
    int m_nRequestId = 0;
    int m_nErrorStatus = 0;
    int m_nErrorIndex = 0;
    std::uint64_t m_nRevision = 0;
};

class CSnmpV1 : public CSnmp {
public:
    explicit CSnmpV1(int = 0) {}
    int version() const override { return 1; }
    std::unique_ptr<CSnmp> cloneSettings() const override;

    void setCommunity(const char* community) { m_community = community ? community : ""; }
    const QByteArray& community() const { return m_community; }

private:
    QByteArray m_community = "public";
};

class CSnmpV3 : public CSnmp {
public:
    explicit CSnmpV3(int = 0) {}
    int version() const override { return 3; }
    std::unique_ptr<CSnmp> cloneSettings() const override;

    void setMsgMaxSize(int size) { m_nMaxSize = size; }
    // Only 3 (the user-based security model) is supported; 0 on success, -1 otherwise.
    int setMsgSecurityModel(int model);
    void setUserName(const char* name) { m_userName = name ? name : ""; }
    // 0 noAuthNoPriv, 1 authNoPriv, 3 authPriv; -1 for any other value.
    int setMsgFlags(int flags);
    // 0 MD5, 1 SHA; -1 otherwise.
    int setAuthArith(int arith);
    void setAuthPwd(const char* password, int length);
    // 0 DES, 1 AES-128; -1 otherwise.
    int setPriArith(int arith);
    void setPriPwd(const char* password, int length);

    int msgMaxSize() const { return m_nMaxSize; }
    int securityModel() const { return m_nSecurityModel; }
    const QByteArray& userName() const { return m_userName; }
    int msgFlags() const { return m_nFlags; }
    int authArith() const { return m_nAuthArith; }
    const QByteArray& authPwd() const { return m_authPwd; }
    int priArith() const { return m_nPriArith; }
    const QByteArray& priPwd() const { return m_priPwd; }

private:
    int m_nMaxSize = 1024;
    int m_nSecurityModel = 3;
    QByteArray m_userName;
    int m_nFlags = 0;
    int m_nAuthArith = 0;
    QByteArray m_authPwd;
    int m_nPriArith = 0;
    QByteArray m_priPwd;
};

struct SnmpWalkState;

// Walks a table with GET-NEXT, one row per call, over the columns the message binds. Each call
// continues after the row last returned. A column ends when the agent's next OID for it leaves the
// column's subtree (or does not increase), when the agent reports endOfMibView for it, or when an
// SNMPv1 agent answers noSuchName for it. A row reply carries the bindings of the columns that have
// not ended, in column order (so a reply shorter than the column count means some columns ended);
// when every column has ended the step gives kSnmpEndOfTable (-2). A time-out leaves the position
// unchanged. With PDU type GET or SET the message is sent as it is.
// The walker reads the message's bindings when it first steps and again whenever they change.
// The message must outlive the walker's synchronous calls; an asynchronous step works on a copy, so
// the message and the walker may be deleted while it runs (its result then only reaches the callback).
class CSnmpTable {
public:
    explicit CSnmpTable(CSnmp* message);
    ~CSnmpTable();
    CSnmpTable(const CSnmpTable&) = delete;
    CSnmpTable& operator=(const CSnmpTable&) = delete;

    int getNext(const char* host, std::unique_ptr<CSnmp>& reply, int timeoutMs);
    // Returns at once (0, or -1 when there is nothing to send); later calls callback once, on an
    // engine worker thread, never on the calling thread. The message's getRequestID() is the id the
    // callback receives.
    int getNext(const char* host, SnmpCallback callback, void* user, int timeoutMs);
    // The row index of reply binding `column` below its column OID, as dotted text with a leading
    // dot (".5", ".1.12"); 0 on success, -1 when the binding does not come from a walk step.
    int getSuffix(int column, const CSnmp* reply, QString& suffix) const;

private:
    CSnmp* m_pSnmp;
    std::shared_ptr<SnmpWalkState> m_state;
};

// Sends one message asynchronously and calls back on the thread of a QObject (a window), through a
// queued invocation, whichever thread called send. If the object is destroyed before the callback
// runs, there is no callback and the reply is freed.
class CSnmp4w {
public:
    CSnmp4w() = default;
    void setSnmp(CSnmp* message) { m_pSnmp = message; }
    // 0 when started (the message's getRequestID() is the callback's id), -1 when there is no message
    // or it has no bindings or no window.
    int send(const char* host, SnmpCallback callback, void* user, QObject* window, int timeoutMs);

private:
    CSnmp* m_pSnmp = nullptr;
};
