#include "pages/common/ListCtrl.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>

CListCtrl::CListCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setColumnCount(0);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

int CListCtrl::InsertColumn(int nCol, const QString& heading, int nWidth)
{
    const int nCount = columnCount();
    nCol = std::clamp(nCol, 0, nCount);
    QStringList headings;
    for (int i = 0; i < nCount; ++i)
        headings << headerItem()->text(i);
    headings.insert(nCol, heading);
    setColumnCount(nCount + 1);
    setHeaderLabels(headings);
    for (int i = 0; i < nCount + 1; ++i)
        headerItem()->setTextAlignment(i, Qt::AlignLeft | Qt::AlignVCenter);
    setColumnWidth(nCol, nWidth);
    return nCol;
}

void CListCtrl::SetExtendedStyle(std::uint32_t style)
{
    m_style = style;
    setSelectionBehavior((style & kFullRowSelect) ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    setStyleSheet((style & kGridLines)
                      ? QStringLiteral("QTreeView::item { border-right: 1px solid palette(midlight);"
                                       " border-bottom: 1px solid palette(midlight); }")
                      : QString());
}

int CListCtrl::InsertItem(int nRow, const QString& text)
{
    nRow = std::clamp(nRow, 0, topLevelItemCount());
    auto* pItem = new QTreeWidgetItem;
    pItem->setText(0, text);
    insertTopLevelItem(nRow, pItem);
    return nRow;
}

bool CListCtrl::SetItemText(int nRow, int nSubItem, const QString& text)
{
    QTreeWidgetItem* pItem = topLevelItem(nRow);
    if (!pItem || nSubItem < 0 || nSubItem >= columnCount())
        return false;
    pItem->setText(nSubItem, text);
    return true;
}

QString CListCtrl::GetItemText(int nRow, int nSubItem) const
{
    const QTreeWidgetItem* pItem = topLevelItem(nRow);
    return pItem ? pItem->text(nSubItem) : QString();
}

bool CListCtrl::DeleteItem(int nRow)
{
    QTreeWidgetItem* pItem = takeTopLevelItem(nRow);
    delete pItem;
    return pItem != nullptr;
}

int CListCtrl::GetSelectedRow() const
{
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->isSelected())
            return i;
    return -1;
}

void CListCtrl::SelectRow(int nRow)
{
    if (QTreeWidgetItem* pItem = topLevelItem(nRow)) {
        setCurrentItem(pItem);
        pItem->setSelected(true);
    }
}

QString CListCtrl::SelectedRowText() const
{
    const QTreeWidgetItem* pItem = topLevelItem(GetSelectedRow());
    if (!pItem)
        return QString();
    QStringList cells;
    for (int i = 0; i < columnCount(); ++i)
        cells << pItem->text(i).trimmed();
    return cells.join(QLatin1Char('\t'));
}

void CListCtrl::keyPressEvent(QKeyEvent* pEvent)
{
    // Copy puts the selected row on the clipboard, so that an address can be taken elsewhere.
    if (pEvent->matches(QKeySequence::Copy)) {
        if (const QString text = SelectedRowText(); !text.isEmpty())
            QApplication::clipboard()->setText(text);
        pEvent->accept();
        return;
    }
    QTreeWidget::keyPressEvent(pEvent);
}

int InsertColumnAuto(CListCtrl& list, int nCol, const QString& heading)
{
    const int nWidth = list.header()->fontMetrics().horizontalAdvance(heading) + 15;
    return list.InsertColumn(nCol, heading, nWidth);
}
