// CListCtrl: the pages' report list (rows of text cells under column headings), with the operations
// the pages use by row and column index. Columns go in through InsertColumnAuto.
#pragma once

#include <QTreeWidget>

#include <cstdint>

class CListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    // Extended styles the pages set.
    static constexpr std::uint32_t kGridLines = 0x01;
    static constexpr std::uint32_t kFullRowSelect = 0x20;
    static constexpr std::uint32_t kFlatScrollBars = 0x100;

    explicit CListCtrl(QWidget* parent = nullptr);

    // Inserts a left-aligned column at nCol (pages insert all columns before any row) with the given
    // width in pixels; returns its index.
    int InsertColumn(int nCol, const QString& heading, int nWidth);
    int GetColumnCount() const { return columnCount(); }

    // Full-row selection (0x20) and grid lines (0x01); flat scroll bars (0x100) need nothing here.
    void SetExtendedStyle(std::uint32_t style);
    std::uint32_t GetExtendedStyle() const { return m_style; }

    // Inserts a row at nRow (clamped to the end) with text in column 0; returns its index.
    int InsertItem(int nRow, const QString& text);
    // Sets the text of column nSubItem of row nRow; false when either does not exist.
    bool SetItemText(int nRow, int nSubItem, const QString& text);
    QString GetItemText(int nRow, int nSubItem) const;
    int GetItemCount() const { return topLevelItemCount(); }
    void DeleteAllItems() { clear(); }
    bool DeleteItem(int nRow);
    // The first selected row, or -1.
    int GetSelectedRow() const;
    void SelectRow(int nRow);

    // The selected row's cells separated by tabs (what Ctrl+C puts on the clipboard), empty when no
    // row is selected.
    QString SelectedRowText() const;

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    std::uint32_t m_style = 0;
};

// A column heading: text followed by nTrailing blanks (the blanks are part of the heading's width).
inline QString Heading(const char* pszText, int nTrailing = 0)
{
    return QLatin1String(pszText) + QString(nTrailing, QLatin1Char(' '));
}

// Inserts column nCol left-aligned, as wide as the heading's text in pixels plus 15: the headings'
// leading and trailing blanks set the widths. Returns the column's index.
int InsertColumnAuto(CListCtrl& list, int nCol, const QString& heading);
