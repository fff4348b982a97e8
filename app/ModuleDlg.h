// CModuleDlg: the module's main window. It shows the device's front panel, keeps it current through
// the poller thread, turns menu commands (and "command <id>" requests of a later start) into pages
// and tools, paints the port lamps from the bitmap store, and tears everything down in order.
// ModuleDlg.cpp holds the window's life and the command dispatch; ModuleMenu.cpp the menu, its
// trimming and the page registry; ModulePoll.cpp the poller's reads and walks; ModuleLamps.cpp the
// lamps; Tools.cpp the tools.
#pragma once

#include "panel/BitmapDialog.h"
#include "panel/PanelDeviceThread.h"

#include <QPoint>
#include <QString>

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QTimer;
class CMyBitmapApp;
class CCommonSNMP;
class CSnmp;

// Blink phase of the port lamps, flipped by every tick of the blink timer (GUI thread only).
extern bool g_bBlinkPhase;
// Polling cycles of a PoE model skipped in a row because a walk was still running.
extern std::atomic<int> g_nWalkSkips;

// A value from the device as an entry of a comma list: its own commas are dropped, so that one
// value never reads as two and the lists of a walk stay aligned.
QString ListEntry(const QString& strValue);

// head = text before the first separator, rest = text after it; false, with nothing changed, when
// the list holds no separator.
bool SplitFirst(const QString& strList, QChar cSep, QString& strHead, QString& strRest);

class CModuleDlg : public CBitmapDialog, public CPanelPollTarget {
    Q_OBJECT
public:
    // Menu command ids.
    enum : int {
        IDM_ABOUTBOX = 0x10,
        ID_PORT_CONFIG = 32774,
        ID_DEVICE_CONFIGURE = 32775,
        ID_TELNET = 32788,
        ID_WEB = 32789,
        ID_8021X = 32792,
        ID_REBOOT = 32797,
        ID_SYSTEM_INFO = 32805,
        ID_IP_TABLE = 32808,
        ID_INTERFACE_TABLE = 32809,
        ID_FORWARDING_TABLE = 32810,
        ID_TCP_SERVICE = 32811,
        ID_UDP_SERVICE = 32812,
        ID_8021D = 32813,
        ID_SAVE_CONFIG = 32815,
        ID_JUMBO_FRAME = 32817,
        ID_TRUNK = 32818,
        ID_TIME_BASED_POE = 32819,
        ID_FIRMWARE = 32823,
        ID_LLDP_GLOBAL = 32825,
        ID_LLDP_REMOTE = 32826,
        ID_LLDP_MED = 32827,
        ID_SURVEILLANCE_VLAN = 32828,
        ID_DHCP_SCREENING = 32829,
        ID_MULTICAST_FILTERING = 32830,
        ID_SURVEILLANCE_OUI = 32831,
        ID_SYSLOG_HOST = 32832,
        ID_ARP_SPOOFING = 32833,
        ID_VLAN = 32834,
        ID_SNMP_GLOBAL = 32839,
        ID_SNMP_HOST = 32840,
        ID_SNMP_USER = 32841,
        ID_SNMP_GROUP = 32842,
        ID_SNMP_VIEW = 32843,
        ID_SNMP_COMMUNITY = 32844,
        ID_SNMP_ENGINE_ID = 32845,
        ID_SNMP_TRAP = 32846,
        ID_POE_PORT_CONFIG = 32852,
        ID_APP_ABOUT = 57664,
    };
    static constexpr int kBlinkTimerId = 2052;
    static constexpr int kBlinkMs = 200;
    static constexpr int kStopWaitMs = 1000;
    static constexpr int kLedStates = 100;

    // A page: built for the main window as parent, run modally, destroyed afterwards.
    using PageFactory = std::function<std::unique_ptr<QDialog>(QWidget* pParent)>;
    // Makes command id open the page the factory builds (an empty factory forgets it). Pages that
    // are not registered open nothing.
    static void RegisterPage(int nCommand, PageFactory factory);
    // The page a click on a port of the panel opens, built for the port clicked.
    using PortPageFactory = std::function<std::unique_ptr<QDialog>(int nPort)>;
    static void RegisterPortPage(PortPageFactory factory);
    // Dialog template of a page command (0 for tools and unknown ids).
    static int PageTemplate(int nCommand);
    // Page commands whose page is not available in this build.
    static std::vector<int> PagesNotBuilt();

    // iniPath: the settings file to read (User.ini next to the program).
    explicit CModuleDlg(const QString& iniPath, QWidget* parent = nullptr);
    ~CModuleDlg() override;

    // Initialises the window, runs it modally, then tears it down.
    int DoModal();
    // The initialisation of the window (User.ini, panel, lamp bitmaps, title, menu, poller). True,
    // like a dialog's initialisation; a missing DeviceName or XMLName is reported and leaves the
    // window without panel and poller, with the full menu.
    bool OnInitDialog();
    // Closes the six sessions in order, with a trace line after each. Runs once.
    void DestroyWindow();

    // A command of the menu (or of a request). False when the id is not handled here.
    bool OnCommand(int nCommand);
    void OnSysCommand(int nCommand);
    // A click on port object nPortObject (its 1-based position among the panel's ports; a fibre twin
    // stands for its combo port): opens the port page for that port, like its menu command.
    void OnPortClick(int nPortObject);
    // Runs page modally: hidden (unless bHide is false) and marked open while it runs.
    void OpenPage(QDialog& page, bool bHide = true);

    // Tools.
    void OnTelnet();
    void OnWeb();
    void OnReboot();
    void OnSaveConfig();
    void OnAbout();

    // The blink timer's tick (id 2052): repaint the lamps, then flip the blink phase.
    void OnTimer(int nId);

    // Polling operations (the poller's thread).
    bool IsPageOpen() const override { return m_bPageOpen.load(); }
    QString PollDeviceName() const override { return m_strDeviceName; }
    void GetGetFanStatus() override;
    int Get10PPOEOrLinkStatus() override;
    int PollLinkStatus() override;
    void GetLinkStatus();
    void GetPOEPortStatus();
    // Counts a skipped cycle while a walk still runs (at most three in a row); false when the
    // cycle goes ahead, the walk then marked busy.
    bool SkipWhileWalking();
    Event& PollDone() override { return m_hPollDone; }

    // Apply a finished walk (GUI thread): lists are comma-terminated.
    void ShowLinkStatus(const QString& strPorts, const QString& strAdmin, const QString& strOper,
                        const QString& strSpeed, const QString& strMedia);
    void ShowPoeStatus(const QString& strPorts, const QString& strValues);

    // State, for painting and tests.
    int portNum() const { return m_nPortNum; }
    int extraPortNum() const { return m_nExtraPortNum; }
    int LedState(int nIndex) const;
    int PortMedia(int nIndex) const;
    QString FanState() const;
    bool LedPoeMode() const { return m_bLedPoeMode.load(); }
    bool IsPowMax() const { return m_BIsPowMax.load(); }
    bool IsWalkBusy() const { return m_bWalkBusy.load(); }
    bool IsPolling() const { return m_pPanelThread != nullptr; }
    QMenuBar* MenuBar() const { return m_pMenuBar; }
    // The menu item of a command, or null when the menu has none (never built or trimmed away).
    QAction* FindCommand(int nCommand) const;
    // Top-left corner of the lamp of port object n (the first child of the n-th port), (0, 0)
    // when there is none.
    QPoint LampCorner(int nPortObject) const;
    // Number of walks applied (or ended by an error) since the window started.
    int PollCount() const { return m_nPollCount.load(); }
    // False after a poll walk timed out, until a walk is answered again; the title says so meanwhile.
    bool IsDeviceAnswering() const { return m_bDeviceAnswering; }
    bool IsBlinkTimerActive() const;

public slots:
    // A second start for this device: show normally (not minimised), raise and activate.
    void OnActivateRequest();
    // "command <id>" from a later start: any command of the menu, and 32775 and 32831.
    void OnCommandRequest(int nCommand);

signals:
    // A walk ended (applied or failed) and the panel was updated for it.
    void pollApplied();

protected:
    void OnPaint(QPainter& dc) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;

private:
    void BuildMenu();
    void TrimMenu();
    void StopPoller();
    void DrawBitmap(QPainter& dc, int nKey);
    void SetAllLedStates(int nState);
    void WalkEnded(bool bApplied);
    // GUI thread: whether the last poll walk was answered; the title follows.
    void NoteDeviceAnswer(bool bAnswered);
    void UpdateTitle();
    void UpdateBlinkingLamps();
    void StartBlinkTimer();
    void LoadLampBitmaps();
    // The page registered for a command, or null.
    static const PageFactory* FindPageFactory(int nCommand);

    static unsigned int LinkRowCallback(CSnmp* pReply, int nRequestId, void* pUser, int nError);
    static unsigned int PoeRowCallback(CSnmp* pReply, int nRequestId, void* pUser, int nError);
    void OnLinkStatusRow(std::unique_ptr<CSnmp> pReply, int nRequestId, int nError);
    void OnPoePortRow(std::unique_ptr<CSnmp> pReply, int nRequestId, int nError);

    QString m_strIniPath;
    QString m_strDeviceName;
    QString m_strXMLName;
    std::unique_ptr<CPanelDeviceThread> m_pPanelThread;
    std::atomic<bool> m_bPageOpen{false};
    int m_nPortNum = 0;
    int m_nExtraPortNum = 0;
    std::vector<int> m_pPortMedia;
    QPoint m_ptDraw;
    std::atomic<bool> m_bLedPoeMode{true};
    std::atomic<bool> m_BIsPowMax{false};
    mutable std::mutex m_stateMutex;  // m_strFanState, m_byLedState, m_pPortMedia
    QString m_strFanState = QStringLiteral("1");
    std::array<std::uint8_t, kLedStates> m_byLedState{};
    std::unique_ptr<CMyBitmapApp> m_pBitmapApp;

    // The six sessions live in one block kept out of this header (the engine's names clash with
    // the message library's, which start-up includes).
    struct CSessions;
    std::unique_ptr<CSessions> m_pSessions;
    CCommonSNMP& m_cCommonSNMP;
    CCommonSNMP& m_cCommonSNMPset;
    CCommonSNMP& m_cCommonSNMPFan;
    CCommonSNMP& m_cCommonSNMPDevStat;
    CCommonSNMP& m_cCommonSNMPPoe;
    CCommonSNMP& m_cCommonSNMPPoeStat;
    std::atomic<bool> m_bWalkBusy{false};

    std::mutex m_walkMutex;  // the walk lists below, filled row by row on the engine's threads
    QString m_strLinkPort, m_strLinkAdmin, m_strLinkOper, m_strLinkSpeed, m_strLinkMedia;
    QString m_strPoePorts, m_strPoeValues;

    QMenuBar* m_pMenuBar = nullptr;
    QTimer* m_pBlinkTimer = nullptr;
    std::atomic<int> m_nPollCount{0};
    bool m_bDeviceAnswering = true;
    bool m_bDestroyed = false;
    std::atomic<bool> m_bStopping{false};  // set when the poller is stopped; read by walk callbacks
    bool m_bInitialised = false;
};
