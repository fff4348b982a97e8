// Helpers of the view tests: net-snmp's own walk of the same columns
// for comparison, and the rows a page's list shows.
#pragma once

#include "core/Settings.h"
#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"

#include "AgentSettings.h"
#include "Agents.h"
#include "QtSupport.h"

#include <QAbstractButton>
#include <QLabel>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace viewstest {

using Rows = std::vector<std::vector<std::string>>;

// One column walked by snmpwalk -v1: index suffix -> value (strings without their quotes).
inline std::map<std::vector<unsigned>, std::string> NetSnmpColumn(std::uint16_t port, const std::string& column)
{
    const std::string out = tqxtest::ToolOutput(
        QStringLiteral("snmpwalk"),
        {QStringLiteral("-v1"), QStringLiteral("-c"), QStringLiteral("public"), QStringLiteral("-On"),
         QStringLiteral("-Oq"), QStringLiteral("-Oe"), QStringLiteral("-Ot"), QStringLiteral("-r1"),
         QStringLiteral("-t2"), QStringLiteral("127.0.0.1:%1").arg(port), QString::fromStdString(column)});
    std::map<std::vector<unsigned>, std::string> values;
    std::istringstream lines(out);
    std::string line;
    const std::string prefix = "." + column + ".";
    while (std::getline(lines, line)) {
        if (line.rfind(prefix, 0) != 0)
            continue;
        const std::size_t blank = line.find(' ');
        std::vector<unsigned> index;
        std::istringstream parts(line.substr(prefix.size(), blank - prefix.size()));
        std::string part;
        while (std::getline(parts, part, '.'))
            index.push_back(static_cast<unsigned>(std::stoul(part)));
        std::string value = blank == std::string::npos ? std::string() : line.substr(blank + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        values[index] = value;
    }
    return values;
}

// Rows of several columns joined by index, in index order (the order a walk gives).
inline std::vector<std::pair<std::vector<unsigned>, std::vector<std::string>>>
NetSnmpTable(std::uint16_t port, const std::vector<std::string>& columns)
{
    std::map<std::vector<unsigned>, std::vector<std::string>> rows;
    for (std::size_t c = 0; c < columns.size(); ++c)
        for (const auto& [index, value] : NetSnmpColumn(port, columns[c])) {
            auto& row = rows[index];
            row.resize(columns.size());
            row[c] = value;
        }
    return {rows.begin(), rows.end()};
}

inline Rows ListRows(const QWidget& page, int nListId)
{
    Rows rows;
    const auto* pList = FindControl<CListCtrl>(&page, nListId);
    if (!pList)
        return rows;
    for (int r = 0; r < pList->GetItemCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < pList->GetColumnCount(); ++c)
            row.push_back(pList->GetItemText(r, c).toStdString());
        rows.push_back(row);
    }
    return rows;
}

inline std::string Text(const QWidget& page, int nId)
{
    if (const auto* pLabel = FindControl<QLabel>(&page, nId))
        return pLabel->text().toStdString();
    return "<no label " + std::to_string(nId) + ">";
}

inline bool Enabled(const QWidget& page, int nId)
{
    const auto* pButton = FindControl<QAbstractButton>(&page, nId);
    return pButton && pButton->isEnabled();
}

inline std::string Describe(const Rows& rows)
{
    std::string s;
    for (const auto& row : rows) {
        for (const auto& cell : row)
            s += "[" + cell + "]";
        s += "\n";
    }
    return s;
}

} // namespace viewstest
