// CPageWalk: how a page reads a table. The session is opened for GET-NEXT with the table's column
// OIDs and walked row by row; every reply comes to RowCallback on the engine's thread (SNMPv1) or the
// session's walk thread (SNMPv3), which:
//   1. drops a reply that is not one of the session's own requests;
//   2. ends the walk on a non-zero error code (the engine's -2 is the end of the table);
//   3. ends it when the reply holds fewer values than the page's acceptance count;
//   4. otherwise renders the row there (pure text work, no widgets) and asks for the next row.
// Rows and the end reach the page's thread in order by queued calls: by default a row is appended to
// the list with its index + 1 in the count label, and the end enables Refresh again. Rows read before
// an error stay. A single GET (the System Information read) is the same with stepping off.
//
// Declare a walk after the session it uses, so that it is destroyed first.
#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class CCommonSNMP;
class CListCtrl;
class CSnmp;
class QLabel;
class QObject;
class QWidget;

// One reply as a page's renderer sees it.
class CWalkReply {
public:
    CWalkReply(CCommonSNMP& session, const CSnmp& reply) : m_session(session), m_reply(reply) {}
    int Count() const;
    // Value i as text (numbers in decimal, OCTET STRING one character per byte, IpAddress dotted);
    // empty when the reply has no value i.
    QString Value(int i) const;
    // The bytes of value i (OCTET STRING), empty when absent.
    QByteArray Bytes(int i) const;
    // The row index of value i below its column, in dotted decimal (empty when absent).
    QString Suffix(int i) const;

private:
    CCommonSNMP& m_session;
    const CSnmp& m_reply;
};

// One object of a SET and the value written to it (engine type code, value as the engine takes it:
// decimal text, bytes, dotted address).
struct CSetValue {
    QString strOid;
    int nType = 0;
    QByteArray value;
};

class CPageWalk {
public:
    // Turns a reply into the row's cells; false skips the row (the walk goes on). Runs on the
    // engine's thread: it may use only its arguments and what it captured by value.
    using Renderer = std::function<bool(const CWalkReply& reply, QStringList& cells)>;
    // On the page's thread: a row rendered, and the end of the walk (its error code, 0 when the
    // table ended by a short reply or a single request was answered).
    using RowSink = std::function<void(const QStringList& cells)>;
    using EndSink = std::function<void(int nError)>;

    // pPage: the page whose thread receives the rows (queued calls die with it).
    CPageWalk(QObject* pPage, CCommonSNMP& session);
    ~CPageWalk();
    CPageWalk(const CPageWalk&) = delete;
    CPageWalk& operator=(const CPageWalk&) = delete;

    // Default sinks: rows appended to pList with the count in pCount, Refresh disabled while walking.
    void SetList(CListCtrl* pList, QLabel* pCount = nullptr);
    // The default sink puts the row's running number (from 1) in the first column, before the cells.
    void SetNumberedRows(bool bNumbered);
    void SetRefresh(QWidget* pRefresh);
    // Replies with fewer values end the walk; 0 takes every reply as a row.
    void SetAcceptCount(int nCount);
    // Time-out of the first request of each read in ms (0, the default: the session's own); later
    // steps use the session's.
    void SetFirstTimeout(int nTimeoutMs) { m_nFirstTimeout = nTimeoutMs; }
    // Default: the values as received.
    void SetRenderer(Renderer renderer);
    // Replace the default sinks.
    void SetRowSink(RowSink sink);
    void SetEndSink(EndSink sink);

    // Starts reading: clears the list, sets the count label to strCountZero, disables Refresh, opens
    // the session for nPduType (1 GET-NEXT walks the columns; 0 GET reads once) with oids as objects
    // to read, and sends the first request. A table walk still running is closed first (waiting at
    // most for its step in flight, within the session's bound). False when the
    // request could not be started; the walk has then ended (Refresh enabled, end sink called).
    bool Start(const QStringList& oids, int nPduType = 1, const QString& strCountZero = QStringLiteral("0"));
    // One SET of values, sent without waiting and ended like a single GET: the end sink gets 0 when
    // the agent took the values (the reply, if rendered, is the values written), else the error.
    bool StartSet(const std::vector<CSetValue>& values);

    bool IsRunning() const { return m_bRunning; }

    // The callback handed to the session: (reply, request id, walk, error).
    static unsigned int RowCallback(CSnmp* pReply, int nRequestId, void* pUser, int nError);

private:
    // Opens the session for nPduType, lets addBindings fill it and sends the first request.
    bool Begin(int nPduType, const QString& strCountZero, const std::function<bool()>& addBindings);

    struct CRun {
        unsigned nGeneration = 0;
        int nAccept = 0;
        bool bStepping = true;
        Renderer renderer;
    };
    unsigned int OnReply(std::unique_ptr<CSnmp> pReply, int nRequestId, int nError);
    void PostRow(unsigned nGeneration, QStringList cells);
    void PostEnd(unsigned nGeneration, int nError);
    void ApplyRow(const QStringList& cells);
    void ApplyEnd(int nError);

    QObject* m_pPage;
    CCommonSNMP& m_session;
    QPointer<CListCtrl> m_pList;
    QPointer<QLabel> m_pCount;
    bool m_bNumbered = false;
    QPointer<QWidget> m_pRefresh;
    int m_nAccept = 0;
    int m_nFirstTimeout = 0;
    Renderer m_renderer;
    RowSink m_rowSink;
    EndSink m_endSink;
    unsigned m_nGeneration = 0;  // page thread
    bool m_bRunning = false;     // page thread
    bool m_bStepping = false;    // page thread: the running read walks a table

    std::mutex m_runMutex;  // m_pRun, read by the callback
    std::shared_ptr<const CRun> m_pRun;
};
