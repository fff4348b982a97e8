// CPageDlg: the base of every page the menu opens. A page is a modal dialog with a template id, its
// own SNMP sessions and controls known by id. The base does what all pages share:
//   - opening: topmost, icon 447, then the page's OnInitDialog (caption, columns, first read), run
//     once before the page is first shown, however it is shown (exec, open or show);
//   - every show and hide of the window reaches OnShowWindow;
//   - closing (OK, Cancel, Escape or the window's close button): DestroyWindow writes
//     "==================DestroyWindow===============", then closes every session in the order the
//     page registered them, each followed by "==================<member>.Close===============".
//
// A page registers its sessions in its constructor in declaration order (AddSession), builds its
// controls with SetControlId, and reads tables through CPageWalk (pages/common/PageWalk.h).
#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QString>

#include <functional>
#include <initializer_list>
#include <vector>

class CCommonSNMP;


class CPageDlg : public QDialog {
    Q_OBJECT
public:
    // Ids of the framework's OK and Cancel buttons.
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;

    CPageDlg(int nTemplate, QWidget* parent);
    ~CPageDlg() override;

    int TemplateId() const { return m_nTemplate; }

    // Runs the page modally (exec).
    int DoModal() { return exec(); }

    // Opening. Derived pages call the base first, then do their own steps; the return value is kept
    // for the pattern's sake (focus handling is Qt's).
    virtual bool OnInitDialog();
    // Every show (true) and hide (false) of the window, after opening.
    virtual void OnShowWindow(bool bShow);
    // Closes the sessions with their trace lines. Runs once; derived pages that override it call
    // the base.
    virtual void DestroyWindow();

    // How a page runs a page of its own (add/edit, PVID, trunk members) modally: DoModal, unless a
    // runner is set (tests set one to drive the sub-page in place). Returns the page's result.
    using SubPageRunner = std::function<int(CPageDlg& page)>;
    static void SetSubPageRunner(SubPageRunner runner);
    static int RunSubPage(CPageDlg& page);

    bool IsInitialised() const { return m_bInitialised; }
    bool IsDestroyed() const { return m_bDestroyed; }

    void setVisible(bool visible) override;
    void done(int r) override;

protected:
    // Registers a session for DestroyWindow, in declaration order; name is the member's name.
    void AddSession(CCommonSNMP& session, const char* pszMemberName);

    // Posts a click of button nId to the page: it runs after the current event, as a click by the
    // user would (nothing happens when the button is disabled then).
    void PostClick(int nId);

    // A push button with id nId and its text, connected to handler.
    template <class Handler>
    QAbstractButton* AddButton(int nId, const QString& text, Handler handler);

    // The list pages' layout: the list fills the page; below it the entry count on the left
    // ("Entries:" and pCount, when the page has a count) and the buttons on the right.
    void LayOutList(QWidget* pList, QWidget* pCount, std::initializer_list<QWidget*> buttons);

    void showEvent(QShowEvent* pEvent) override;
    void hideEvent(QHideEvent* pEvent) override;

private:
    QAbstractButton* MakeButton(int nId, const QString& text);

    struct CSessionEntry {
        CCommonSNMP* pSession;
        const char* pszName;
    };
    int m_nTemplate;
    std::vector<CSessionEntry> m_sessions;
    bool m_bInitialised = false;
    bool m_bDestroyed = false;
};

template <class Handler>
QAbstractButton* CPageDlg::AddButton(int nId, const QString& text, Handler handler)
{
    QAbstractButton* pButton = MakeButton(nId, text);
    connect(pButton, &QAbstractButton::clicked, this, [handler] { handler(); });
    return pButton;
}

// Shows the wait cursor for its lifetime.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
