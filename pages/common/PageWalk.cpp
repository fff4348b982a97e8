#include "pages/common/PageWalk.h"

#include "core/Trace.h"
#include "pages/common/ListCtrl.h"
#include "snmp/CommonSnmp.h"
#include "snmp/LiveOwners.h"

#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

int CWalkReply::Count() const
{
    return m_reply.getValuesCount();
}

QString CWalkReply::Value(int i) const
{
    int nType = 0;
    QString text;
    if (m_reply.getValue(i, nType, text) != 0)
        return QString();
    return text;
}

QByteArray CWalkReply::Bytes(int i) const
{
    QByteArray bytes;
    if (m_reply.getValue(i, bytes) != 0)
        return QByteArray();
    return bytes;
}

QString CWalkReply::Suffix(int i) const
{
    if (i < 0 || i >= m_reply.getValuesCount())
        return QString();
    QString suffix;
    m_session.GetSuffix(i, &m_reply, suffix);
    return suffix;
}

CPageWalk::CPageWalk(QObject* pPage, CCommonSNMP& session) : m_pPage(pPage), m_session(session)
{
    CLiveOwners::Add(this);
}

CPageWalk::~CPageWalk()
{
    CLiveOwners::Remove(this);
}

void CPageWalk::SetList(CListCtrl* pList, QLabel* pCount)
{
    m_pList = pList;
    m_pCount = pCount;
}

void CPageWalk::SetNumberedRows(bool bNumbered)
{
    m_bNumbered = bNumbered;
}

void CPageWalk::SetRefresh(QWidget* pRefresh)
{
    m_pRefresh = pRefresh;
}

void CPageWalk::SetAcceptCount(int nCount)
{
    m_nAccept = std::max(0, nCount);
}

void CPageWalk::SetRenderer(Renderer renderer)
{
    m_renderer = std::move(renderer);
}

void CPageWalk::SetRowSink(RowSink sink)
{
    m_rowSink = std::move(sink);
}

void CPageWalk::SetEndSink(EndSink sink)
{
    m_endSink = std::move(sink);
}

bool CPageWalk::Start(const QStringList& oids, int nPduType, const QString& strCountZero)
{
    return Begin(nPduType, strCountZero, [&] {
        for (const QString& oid : oids)
            if (m_session.AddOid(oid, kSnmpTypeNull, nullptr) != 0)
                return false;
        return true;
    });
}

bool CPageWalk::StartSet(const std::vector<CSetValue>& values)
{
    return Begin(kSnmpPduSet, QStringLiteral("0"), [&] {
        for (const CSetValue& v : values)
            if (m_session.AddOidValue(v.strOid, v.nType, v.value) != 0)
                return false;
        return true;
    });
}

bool CPageWalk::Begin(int nPduType, const QString& strCountZero, const std::function<bool()>& addBindings)
{
    // A walk still running has a step in flight whose id the session still counts as its own;
    // closing forgets it, so that the new walk cannot take that reply for a row and run a second
    // chain of steps. (A single request left in flight only answers once: no need to wait for it.)
    if (m_bRunning && m_bStepping)
        m_session.Close();
    m_bRunning = true;
    m_bStepping = nPduType == kSnmpPduGetNext;
    const unsigned nGeneration = ++m_nGeneration;
    auto pRun = std::make_shared<CRun>();
    pRun->nGeneration = nGeneration;
    pRun->nAccept = m_nAccept;
    pRun->bStepping = m_bStepping;
    pRun->renderer = m_renderer;
    {
        std::lock_guard lock(m_runMutex);
        m_pRun = std::move(pRun);
    }

    if (m_pList)
        m_pList->DeleteAllItems();
    if (m_pCount)
        m_pCount->setText(strCountZero);
    if (m_pRefresh)
        m_pRefresh->setEnabled(false);

    const bool bStarted = m_session.Open(nPduType) && addBindings();
    if (bStarted && m_session.StartWalk(&CPageWalk::RowCallback, this, m_nFirstTimeout) == 0)
        return true;
    m_session.SignalDone();
    ApplyEnd(kSnmpFailed);
    return false;
}

unsigned int CPageWalk::RowCallback(CSnmp* pReply, int nRequestId, void* pUser, int nError)
{
    std::unique_ptr<CSnmp> reply(nError == 0 ? pReply : nullptr);
    auto* pWalk = static_cast<CPageWalk*>(pUser);
    unsigned int rc = 0;
    CLiveOwners::Call(pWalk, [&] { rc = pWalk->OnReply(std::move(reply), nRequestId, nError); });
    return rc;
}

unsigned int CPageWalk::OnReply(std::unique_ptr<CSnmp> pReply, int nRequestId, int nError)
{
    if (!m_session.IsOwnRequest(nRequestId))
        return 0;
    std::shared_ptr<const CRun> pRun;
    {
        std::lock_guard lock(m_runMutex);
        pRun = m_pRun;
    }
    if (!pRun) {
        m_session.SignalDone();
        return 0;
    }
    if (nError != 0 || !pReply) {
        m_session.SignalDone();
        PostEnd(pRun->nGeneration, nError != 0 ? nError : kSnmpFailed);
        return 0;
    }
    if (pReply->getValuesCount() < pRun->nAccept) {
        m_session.SignalDone();
        PostEnd(pRun->nGeneration, 0);
        return 0;
    }

    QStringList cells;
    const CWalkReply reply(m_session, *pReply);
    bool bShow = true;
    if (pRun->renderer) {
        bShow = pRun->renderer(reply, cells);
    } else {
        for (int i = 0; i < reply.Count(); ++i)
            cells << reply.Value(i);
    }
    if (bShow)
        PostRow(pRun->nGeneration, std::move(cells));

    if (!pRun->bStepping) {
        m_session.SignalDone();
        PostEnd(pRun->nGeneration, 0);
        return 1;
    }
    // A refused next step (the session is closing) has signalled the end itself.
    if (m_session.StartWalk(&CPageWalk::RowCallback, this, 0) != 0)
        PostEnd(pRun->nGeneration, kSnmpFailed);
    return 1;
}

void CPageWalk::PostRow(unsigned nGeneration, QStringList cells)
{
    QMetaObject::invokeMethod(
        m_pPage,
        [this, nGeneration, cells = std::move(cells)] {
            if (nGeneration == m_nGeneration)
                ApplyRow(cells);
        },
        Qt::QueuedConnection);
}

void CPageWalk::PostEnd(unsigned nGeneration, int nError)
{
    QMetaObject::invokeMethod(
        m_pPage,
        [this, nGeneration, nError] {
            if (nGeneration == m_nGeneration)
                ApplyEnd(nError);
        },
        Qt::QueuedConnection);
}

void CPageWalk::ApplyRow(const QStringList& cells)
{
    if (m_rowSink) {
        m_rowSink(cells);
        return;
    }
    if (!m_pList)
        return;
    const int nRow = m_pList->GetItemCount();
    const QStringList row = m_bNumbered ? QStringList{QString::number(nRow + 1)} + cells : cells;
    for (int i = 0; i < row.size(); ++i) {
        if (i == 0)
            m_pList->InsertItem(nRow, row[0]);
        else
            m_pList->SetItemText(nRow, i, row[i]);
    }
    if (m_pCount)
        m_pCount->setText(QString::number(nRow + 1));
}

void CPageWalk::ApplyEnd(int nError)
{
    m_bRunning = false;
    if (nError == kSnmpTimeout) {
        // The device stopped answering before the end of the table: what is shown may be short.
        const QWidget* pPage = qobject_cast<const QWidget*>(m_pPage);
        TRACE() << "walk of" << (pPage ? pPage->windowTitle() : QString()) << "ended on a time-out after"
                << (m_pList ? m_pList->GetItemCount() : 0) << "rows, before the end of the table";
        if (m_pCount)
            m_pCount->setToolTip(QStringLiteral("The device stopped answering: the list may be incomplete."));
    } else if (m_pCount) {
        m_pCount->setToolTip(QString());
    }
    if (m_pRefresh)
        m_pRefresh->setEnabled(true);
    if (m_endSink)
        m_endSink(nError);
}
