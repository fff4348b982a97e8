// Helpers of the view tests: the rows, labels and buttons a page shows.
#pragma once

#include "core/Settings.h"
#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"

#include "AgentSettings.h"
#include "Agents.h"
#include "QtSupport.h"

#include <QAbstractButton>
#include <QLabel>

#include <string>
#include <vector>

namespace viewstest {

using Rows = std::vector<std::vector<std::string>>;

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
