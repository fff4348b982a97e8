// Rows per second of a CCommonSNMP SNMPv1 walk of the five link-status columns over tqx-sim's ifTable (TQX-8848), against net-snmp's snmpwalk -v1 of the same columns on the same agent, and their ratio.
//
// Fairness: CCommonSNMP fetches one row (five columns) per GET-NEXT; snmpwalk walks one column per
// run, so it is run once per column and its rows are its values divided by five. snmpwalk's time
// includes its process start-up (it is measured as a user would run it); both sides repeat the
// whole walk the same number of times against the same agent in this run.
#include "Agents.h"
#include "core/Settings.h"
#include "snmp/CommonSnmp.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

const char* const kColumns[] = {
    "1.3.6.1.2.1.2.2.1.3", "1.3.6.1.2.1.2.2.1.5", "1.3.6.1.2.1.2.2.1.7", "1.3.6.1.2.1.2.2.1.8",
    "1.3.6.1.4.1.32473.10.76.10.1.13.1.7",
};

struct Walk {
    CCommonSNMP* session = nullptr;
    long rows = 0;
    int finalError = 0;
    Event done{Event::Reset::Manual, false};

    static unsigned int Row(CSnmp* reply, int requestId, void* user, int error)
    {
        auto* self = static_cast<Walk*>(user);
        const bool own = self->session->IsOwnRequest(requestId);
        if (error == 0) {
            const int count = reply->getValuesCount();
            delete reply;
            if (own && count == 5) {
                ++self->rows;
                if (self->session->StartWalk(&Walk::Row, self, 500) == 0)
                    return 0;
            }
        }
        self->finalError = error;
        self->session->SignalDone();
        self->done.set();
        return 0;
    }
};

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long EngineWalk(int repeats, double& seconds)
{
    CCommonSNMP session;
    long rows = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < repeats; ++r) {
        Walk walk;
        walk.session = &session;
        session.Open(1);
        for (const char* column : kColumns)
            session.AddOid(QString::fromLatin1(column), 4, nullptr);
        if (session.StartWalk(&Walk::Row, &walk, 500) != 0 || !walk.done.wait(60000)) {
            std::fprintf(stderr, "engine walk failed\n");
            return -1;
        }
        rows += walk.rows;
    }
    seconds = Seconds(start);
    return rows;
}

long SnmpwalkValues(std::uint16_t port, int repeats, double& seconds)
{
    long values = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < repeats; ++r) {
        for (const char* column : kColumns) {
            const std::string command = "MIBS= /usr/bin/snmpwalk -v1 -c public -On -m '' -M /nonexistent -t 1 -r 0 127.0.0.1:"
                + std::to_string(port) + " " + column + " 2>/dev/null";
            FILE* out = ::popen(command.c_str(), "r");
            if (!out)
                return -1;
            char line[1024];
            while (std::fgets(line, sizeof line, out))
                if (line[0] == '.')
                    ++values;
            ::pclose(out);
        }
    }
    seconds = Seconds(start);
    return values;
}

void SnmpwalkEmpty(std::uint16_t port, int runs, double& seconds)
{
    const auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < runs; ++r) {
        const std::string command = "MIBS= /usr/bin/snmpwalk -v1 -c public -On -m '' -M /nonexistent -t 1 -r 0 127.0.0.1:"
            + std::to_string(port) + " 1.3.6.1.2.1.2.2.1.3.99999 >/dev/null 2>&1";
        if (std::system(command.c_str()) == -1)
            break;
    }
    seconds = Seconds(start);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("tqx.trace=false"));
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    tqxtest::SimAgent agent("TQX-8848");
    if (!agent.ok()) {
        std::fprintf(stderr, "tqx-sim did not start (%s)\n", tqxtest::BuiltProgram("sim/tqx-sim").c_str());
        return 1;
    }
    ResetSettings();
    g_strDeviceIP = QStringLiteral("127.0.0.1");
    g_nSnmpPort = agent.port();

    double engineSeconds = 0, walkSeconds = 0;
    EngineWalk(1, engineSeconds);  // warm-up
    const long engineRows = EngineWalk(repeats, engineSeconds);
    const long values = SnmpwalkValues(agent.port(), repeats, walkSeconds);
    if (engineRows <= 0 || values <= 0) {
        std::fprintf(stderr, "no rows (engine %ld, snmpwalk values %ld)\n", engineRows, values);
        return 1;
    }
    // snmpwalk's start-up alone: the same runs over a subtree with nothing in it (one request each).
    double startupSeconds = 0;
    SnmpwalkEmpty(agent.port(), repeats * 5, startupSeconds);
    const double walkRows = static_cast<double>(values) / 5.0;
    const double engineRate = static_cast<double>(engineRows) / engineSeconds;
    const double walkRate = walkRows / walkSeconds;
    std::printf("walks: %d x 5 columns of the TQX-8848 ifTable on tqx-sim\n", repeats);
    std::printf("CCommonSNMP v1 walk: %ld rows in %.3f s = %.0f rows/s\n", engineRows, engineSeconds, engineRate);
    std::printf("snmpwalk -v1 per column: %ld values (%.0f rows) in %.3f s = %.0f rows/s\n", values, walkRows,
                walkSeconds, walkRate);
    std::printf("ratio CCommonSNMP / snmpwalk: %.2f\n", engineRate / walkRate);
    if (walkSeconds > startupSeconds) {
        const double netRate = walkRows / (walkSeconds - startupSeconds);
        std::printf("snmpwalk without its start-up (%.3f s for %d empty runs): %.0f rows/s, ratio %.2f\n",
                    startupSeconds, repeats * 5, netRate, engineRate / netRate);
    }
    return 0;
}
