#include "pages/common/PageDlg.h"

#include "core/Trace.h"
#include "pages/common/Controls.h"
#include "panel/MyBitmapApp.h"
#include "snmp/CommonSnmp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

CPageDlg::SubPageRunner& Runner()
{
    static CPageDlg::SubPageRunner runner;
    return runner;
}

} // namespace

void CPageDlg::SetSubPageRunner(SubPageRunner runner)
{
    Runner() = std::move(runner);
}

int CPageDlg::RunSubPage(CPageDlg& page)
{
    if (Runner())
        return Runner()(page);
    return page.DoModal();
}

CPageDlg::CPageDlg(int nTemplate, QWidget* parent) : QDialog(parent), m_nTemplate(nTemplate)
{
    setProperty("template", nTemplate);
}

// The sessions are members of the derived page and are gone by now: a page destroyed without being
// closed leaves stopping its walks to the sessions' own destructors.
CPageDlg::~CPageDlg() = default;

bool CPageDlg::OnInitDialog()
{
    // Topmost without moving or resizing (the window is not shown yet, so setting the flag costs
    // nothing), then icon 447.
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowIcon(PanelIcon());
    return true;
}

void CPageDlg::OnShowWindow(bool) {}

void CPageDlg::DestroyWindow()
{
    if (m_bDestroyed)
        return;
    m_bDestroyed = true;
    TRACE() << "==================DestroyWindow===============";
    for (const CSessionEntry& entry : m_sessions) {
        entry.pSession->Close();
        TRACE() << "==================" + QLatin1String(entry.pszName) + ".Close===============";
    }
}

void CPageDlg::setVisible(bool visible)
{
    if (visible && !m_bInitialised && !m_bDestroyed) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void CPageDlg::done(int r)
{
    // The sessions close while the window is still up, as a dialog's window is destroyed.
    DestroyWindow();
    QDialog::done(r);
}

void CPageDlg::AddSession(CCommonSNMP& session, const char* pszMemberName)
{
    m_sessions.push_back({&session, pszMemberName});
}

void CPageDlg::PostClick(int nId)
{
    QMetaObject::invokeMethod(
        this,
        [this, nId] {
            if (auto* pButton = FindControl<QAbstractButton>(this, nId); pButton && pButton->isEnabled())
                pButton->click();
        },
        Qt::QueuedConnection);
}

QAbstractButton* CPageDlg::MakeButton(int nId, const QString& text)
{
    auto* pButton = SetControlId(new QPushButton(text, this), nId);
    pButton->setAutoDefault(false);
    return pButton;
}

void CPageDlg::LayOutList(QWidget* pList, QWidget* pCount, std::initializer_list<QWidget*> buttons)
{
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pList);
    auto* pBottom = new QHBoxLayout;
    if (pCount) {
        pBottom->addWidget(new QLabel(QStringLiteral("Entries:"), this));
        pBottom->addWidget(pCount);
    }
    pBottom->addStretch();
    for (QWidget* pButton : buttons)
        pBottom->addWidget(pButton);
    pLayout->addLayout(pBottom);
}

void CPageDlg::showEvent(QShowEvent* pEvent)
{
    QDialog::showEvent(pEvent);
    OnShowWindow(true);
}

void CPageDlg::hideEvent(QHideEvent* pEvent)
{
    QDialog::hideEvent(pEvent);
    OnShowWindow(false);
}

CWaitCursor::CWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

CWaitCursor::~CWaitCursor()
{
    QApplication::restoreOverrideCursor();
}
