// Helpers of the configuration-page tests: a simulated switch with its control channel and request
// log, the agent's values as net-snmp's snmpget sees them, and a way to drive the sub-pages a page
// runs modally.
#pragma once

#include "pages/common/PageDlg.h"
#include "sim/SimControl.h"

#include "Agents.h"
#include "QtSupport.h"
#include "views_support.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace configtest {

// tqx-sim for model with a control channel and the request log.
class Switch {
public:
    explicit Switch(const std::string& model, const std::vector<std::string>& extra = {})
        : m_control((std::filesystem::temp_directory_path() /
                     ("cfgpages-" + std::to_string(::getpid()) + "-" + std::to_string(++s_nCount)))
                        .string()),
          m_sim(model, Args(m_control, extra))
    {
    }
    bool ok() const { return m_sim.ok(); }
    std::uint16_t port() const { return m_sim.port(); }
    // Runs control commands; false at the first one the simulator refuses.
    bool Control(const std::vector<std::string>& commands)
    {
        for (const std::string& c : commands) {
            std::string answer;
            if (!SimControl(m_control, c, &answer) || answer.rfind("ok", 0) != 0) {
                m_lastError = c + ": " + answer;
                return false;
            }
        }
        return true;
    }
    const std::string& LastError() const { return m_lastError; }
    // Request-log lines with pdu=SET since the last ClearLog.
    std::vector<std::string> Sets() const
    {
        std::vector<std::string> sets;
        std::istringstream lines(const_cast<tqxtest::SimAgent&>(m_sim).process().output());
        std::string line;
        while (std::getline(lines, line))
            if (line.find("pdu=SET") != std::string::npos)
                sets.push_back(line);
        return sets;
    }
    // The SET lines once at least nAtLeast are logged (at most 5 s): the agent's log reaches the test
    // through a pipe, possibly after the agent's answer reached the page.
    std::vector<std::string> Sets(std::size_t nAtLeast) const
    {
        tqxtest::WaitFor([&] { return Sets().size() >= nAtLeast; }, 5000);
        return Sets();
    }
    std::vector<std::string> Requests() const
    {
        std::vector<std::string> requests;
        std::istringstream lines(const_cast<tqxtest::SimAgent&>(m_sim).process().output());
        std::string line;
        while (std::getline(lines, line))
            if (line.rfind("request ", 0) == 0)
                requests.push_back(line);
        return requests;
    }
    void ClearLog() { m_sim.process().clearOutput(); }

private:
    static std::vector<std::string> Args(const std::string& control, std::vector<std::string> extra)
    {
        extra.insert(extra.end(), {"--control", control, "--log-requests"});
        return extra;
    }
    static inline int s_nCount = 0;
    std::string m_control;
    tqxtest::SimAgent m_sim;
    std::string m_lastError;
};

// snmpget -v1 of one object: its value in hex ("C0 00 00 10"), or the tool's text for other types,
// or "" when the agent has no such object.
inline std::string SnmpGetHex(std::uint16_t port, const std::string& oid)
{
    std::string out = tqxtest::ToolOutput(
        QStringLiteral("snmpget"),
        {QStringLiteral("-v1"), QStringLiteral("-c"), QStringLiteral("public"), QStringLiteral("-On"), QStringLiteral("-Oq"),
         QStringLiteral("-Ox"), QStringLiteral("-r1"), QStringLiteral("-t2"), QStringLiteral("127.0.0.1:%1").arg(port),
         QString::fromStdString(oid)});
    const std::string prefix = "." + oid + " ";
    if (out.rfind(prefix, 0) != 0)
        return std::string();
    out = out.substr(prefix.size());
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    // Long values wrap over lines.
    std::string one;
    for (char c : out)
        one += c == '\n' ? ' ' : c;
    if (one.size() >= 2 && one.front() == '"' && one.back() == '"')
        one = one.substr(1, one.size() - 2);
    std::string squeezed;
    for (char c : one)
        if (!(c == ' ' && !squeezed.empty() && squeezed.back() == ' '))
            squeezed += c;
    while (!squeezed.empty() && squeezed.back() == ' ')
        squeezed.pop_back();
    return squeezed;
}

// snmpset -v1 with community private of (oid, type, value) triples; true when the agent took them.
inline bool SnmpSet(std::uint16_t port, const std::vector<std::string>& args)
{
    QStringList list = {QStringLiteral("-v1"), QStringLiteral("-c"), QStringLiteral("private"), QStringLiteral("-r1"),
                        QStringLiteral("-t5"), QStringLiteral("127.0.0.1:%1").arg(port)};
    for (const std::string& a : args)
        list << QString::fromStdString(a);
    return !tqxtest::ToolOutput(QStringLiteral("snmpset"), list).empty();
}

// Runs the sub-pages a page opens modally (add/edit, PVID, members, time ranges) in place: shown, then,
// once ready(page) holds (at most 10 s), driven by drive(page); a page that drive left open is
// cancelled. Installed for its lifetime.
class SubPageRunner {
public:
    explicit SubPageRunner(std::function<void(CPageDlg&)> drive,
                           std::function<bool(CPageDlg&)> ready = [](CPageDlg&) { return true; })
        : m_drive(std::move(drive)), m_ready(std::move(ready))
    {
        CPageDlg::SetSubPageRunner([this](CPageDlg& page) {
            ++nRuns;
            page.show();
            tqxtest::WaitFor([&] { return m_ready(page); }, 10000);
            m_drive(page);
            if (page.isVisible()) {
                page.reject();
                return int(QDialog::Rejected);
            }
            return page.result();
        });
    }
    ~SubPageRunner() { CPageDlg::SetSubPageRunner({}); }
    SubPageRunner(const SubPageRunner&) = delete;
    SubPageRunner& operator=(const SubPageRunner&) = delete;
    int nRuns = 0;

private:
    std::function<void(CPageDlg&)> m_drive;
    std::function<bool(CPageDlg&)> m_ready;
};

inline void Click(QWidget& page, int nId)
{
    if (auto* p = FindControl<QAbstractButton>(&page, nId))
        p->click();
}

inline void SetText(QWidget& page, int nId, const QString& text)
{
    if (auto* p = FindControl<QLineEdit>(&page, nId)) {
        p->setFocus();
        p->selectAll();
        p->del();
        p->insert(text);
    }
}

inline bool Checked(const QWidget& page, int nId)
{
    const auto* p = FindControl<QCheckBox>(&page, nId);
    return p && p->isChecked();
}

} // namespace configtest
