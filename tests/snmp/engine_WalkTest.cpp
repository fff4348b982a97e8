// The table walker's defences against agents that answer a GET-NEXT badly: noSuchName with an error
// index out of range, an error status in the middle of a walk, the wrong number of bindings, and
// answers that do not increase (a looping agent must not make the walk endless). A scripted UDP
// responder on its own thread answers each request as the case says.
#include "core/Settings.h"
#include "snmp/engine/Snmp.h"

#include "SessionSupport.h"
#include "SnmpBer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

namespace {

using snmpber::Int;
using snmpber::Response;
using snmpber::Value;

const QString kColA = QStringLiteral("1.3.6.1.2.1.2.2.1.1");
const QString kColB = QStringLiteral("1.3.6.1.2.1.2.2.1.2");

// One GET-NEXT as the responder received it.
struct Asked {
    std::uint32_t requestId = 0;
    std::vector<QString> oids;
};

// What the responder sends for a request: the datagram, or nothing (empty) to stay silent.
using Script = std::function<QByteArray(const Asked&)>;

// Answers the n-th request with scripts[n]; requests past the script go unanswered.
class ScriptedAgent {
public:
    explicit ScriptedAgent(std::vector<Script> scripts) : m_scripts(std::move(scripts))
    {
        m_fd = snmptest::BindLoopbackUdp(m_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~ScriptedAgent()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }
    std::uint16_t port() const { return m_port; }
    std::vector<Asked> asked() const
    {
        std::lock_guard lock(m_mutex);
        return m_asked;
    }

private:
    void Run()
    {
        while (!m_stop) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            char buf[2048];
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t n = ::recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n <= 0)
                continue;
            const auto request = snmpber::ReadRequest(QByteArray(buf, static_cast<qsizetype>(n)));
            if (!request)
                continue;
            const Asked asked{request->requestId, request->oids};
            std::size_t index = 0;
            {
                std::lock_guard lock(m_mutex);
                index = m_asked.size();
                m_asked.push_back(asked);
            }
            if (index >= m_scripts.size())
                continue;
            const QByteArray answer = m_scripts[index](asked);
            if (!answer.isEmpty())
                ::sendto(m_fd, answer.constData(), static_cast<std::size_t>(answer.size()), 0,
                         reinterpret_cast<sockaddr*>(&from), len);
        }
    }

    std::vector<Script> m_scripts;
    int m_fd = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<Asked> m_asked;
};

// Each asked column's next row: the OID asked for with row suffix `row` (below the column itself).
Script Rows(int row)
{
    return [row](const Asked& a) {
        std::vector<Value> values;
        for (const QString& oid : a.oids) {
            const QString column = oid.startsWith(kColA) ? kColA : kColB;
            values.push_back({column + QStringLiteral(".%1").arg(row), Int(row)});
        }
        return Response(a.requestId, values);
    };
}

// The asked bindings back, each with the given OID text in place of the asked one.
Script Bindings(std::vector<QString> oids, std::uint32_t status = 0, std::uint32_t index = 0)
{
    return [oids, status, index](const Asked& a) {
        std::vector<Value> values;
        for (const QString& oid : oids)
            values.push_back({oid, Int(7)});
        return Response(a.requestId, values, status, index);
    };
}

// The asked OIDs back unchanged with an error status and index (as an SNMPv1 agent does).
Script Error(std::uint32_t status, std::uint32_t index)
{
    return [status, index](const Asked& a) {
        std::vector<Value> values;
        for (const QString& oid : a.oids)
            values.push_back({oid, QByteArray("\x05\x00", 2)});
        return Response(a.requestId, values, status, index);
    };
}

// The same OIDs the request named: an agent that loops on the spot.
Script Echo()
{
    return [](const Asked& a) {
        std::vector<Value> values;
        for (const QString& oid : a.oids)
            values.push_back({oid, Int(1)});
        return Response(a.requestId, values);
    };
}

struct Outcome {
    int rc;
    int bindings;  // of the row returned (rc 0), else 0
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& o)
{
    return os << "{rc " << o.rc << ", " << o.bindings << " bindings}";
}

TEST(EngineWalk, DefencesAgainstBadGetNextAnswers)
{
    const QString a1 = kColA + QStringLiteral(".1"), b1 = kColB + QStringLiteral(".1");
    const struct Case {
        const char* name;
        std::vector<Script> scripts;
        std::vector<Outcome> steps;  // getNext results in order
        int requests;                // GET-NEXTs the agent saw
    } cases[] = {
        {"a well-behaved table of two rows", {Rows(1), Rows(2), Bindings({kColB + ".1", "1.3.6.1.2.1.2.2.1.3.1"})},
         {{kSnmpOk, 2}, {kSnmpOk, 2}, {kSnmpEndOfTable, 0}}, 3},
        // noSuchName names the binding that ran out; the walk goes on with the other column.
        {"noSuchName for column 2 of 2", {Rows(1), Error(2, 2), Rows(2), Error(2, 1)},
         {{kSnmpOk, 2}, {kSnmpOk, 1}, {kSnmpEndOfTable, 0}}, 4},
        // An index naming no binding ends the whole walk instead of one column.
        {"noSuchName with error index 0", {Rows(1), Error(2, 0)}, {{kSnmpOk, 2}, {kSnmpEndOfTable, 0}}, 2},
        {"noSuchName with error index past the bindings", {Rows(1), Error(2, 3)},
         {{kSnmpOk, 2}, {kSnmpEndOfTable, 0}}, 2},
        {"noSuchName with a huge error index", {Error(2, 0x7fffffff)}, {{kSnmpEndOfTable, 0}}, 1},
        // Any other error status mid-walk is the step's result; the row read before stays valid.
        {"genErr mid-walk", {Rows(1), Error(5, 1)}, {{kSnmpOk, 2}, {5, 0}}, 2},
        {"tooBig mid-walk", {Rows(1), Error(1, 0)}, {{kSnmpOk, 2}, {1, 0}}, 2},
        // A reply whose binding count differs from the request's.
        {"one binding for two", {Bindings({a1})}, {{kSnmpFailed, 0}}, 1},
        {"three bindings for two", {Bindings({a1, b1, b1})}, {{kSnmpFailed, 0}}, 1},
        {"no bindings", {Bindings({})}, {{kSnmpFailed, 0}}, 1},
        // Answers that do not increase end the column, so a looping agent ends the walk.
        {"the same OIDs as asked", {Rows(1), Echo()}, {{kSnmpOk, 2}, {kSnmpEndOfTable, 0}}, 2},
        {"an agent that goes back to row 1", {Rows(1), Rows(2), Rows(1)},
         {{kSnmpOk, 2}, {kSnmpOk, 2}, {kSnmpEndOfTable, 0}}, 3},
        {"one column loops, the other goes on", {Rows(1), Bindings({a1, kColB + ".2"}), Rows(3), Rows(3)},
         {{kSnmpOk, 2}, {kSnmpOk, 1}, {kSnmpOk, 1}, {kSnmpEndOfTable, 0}}, 4},
        {"the column OID itself", {Bindings({kColA, kColB})}, {{kSnmpEndOfTable, 0}}, 1},
        // Silence mid-walk: a time-out, and the position is kept for the next step.
        {"silent after row 1", {Rows(1)}, {{kSnmpOk, 2}, {kSnmpTimeout, 0}}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedAgent agent(c.scripts);
        ResetSettings();
        g_nSnmpPort = agent.port();
        CSnmpV1 msg(0);
        msg.setType(kSnmpPduGetNext);
        msg.setCommunity("public");
        ASSERT_EQ(msg.addValue(kColA.toLatin1().constData(), 4, nullptr), 0);
        ASSERT_EQ(msg.addValue(kColB.toLatin1().constData(), 4, nullptr), 0);
        CSnmpTable table(&msg);
        std::vector<Outcome> got;
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            std::unique_ptr<CSnmp> reply;
            const int rc = table.getNext("127.0.0.1", reply, 300);
            got.push_back({rc, rc == kSnmpOk && reply ? reply->getValuesCount() : 0});
        }
        EXPECT_EQ(got, c.steps);
        EXPECT_EQ(static_cast<int>(agent.asked().size()), c.requests);
    }
    ResetSettings();
}

} // namespace
