// A conceptual table whose rows come and go through a row-status column (1 active, 2 notInService,
// 4 createAndGo, 5 createAndWait, 6 destroy): typed columns with ranges and lengths, a row limit and a
// consistency check before a row becomes active. Each table of the device is a description on it; the
// rows live in the device's object map (cell OID = entry.column.index).
#pragma once

#include "sim/Feature.h"

#include <functional>
#include <map>
#include <vector>

namespace tqxsim {

enum RowStatus { kActive = 1, kNotInService = 2, kNotReady = 3, kCreateAndGo = 4, kCreateAndWait = 5, kDestroy = 6 };

// One row's cells by column number.
using Row = std::map<std::uint32_t, Value>;

struct RowColumn {
    std::uint32_t id = 0;
    Tag tag = Tag::Integer;
    std::int64_t min = 0, max = 2147483647;  // numeric columns
    size_t minLength = 0, maxLength = 255;    // OCTET STRING columns
    Value initial;                            // the cell of a new row
    bool writable = true;
    bool holdsIndex = false;                  // the cell of a new row is the row's last index arc
    // Further rules for one value (e.g. the ports of a port list); None when it may be stored.
    std::function<SetError(const Value&)> check;
    // The cell of a new row worked out from the row's index (a name or address the index spells).
    std::function<Value(const Oid& index)> fromIndex;
};

struct RowTableInfo {
    Oid entry;
    std::uint32_t statusColumn = 0;
    size_t maxRows = 0;
    std::vector<RowColumn> columns;
    // Whether index (the arcs after entry.column) may name a row.
    std::function<bool(const Oid& index)> validIndex;
    // A row about to become or stay active, as it will be: None, or the error that keeps it from it.
    std::function<SetError(const Oid& index, const Row& row)> consistent;
    // Whether an existing row may take status (kNotInService or kDestroy); None when it may.
    std::function<SetError(const ObjectMap& objects, const Oid& index, int status)> mayLeave;
};

class CRowTable {
public:
    explicit CRowTable(RowTableInfo info) : m_info(std::move(info)) {}
    const RowTableInfo& Info() const { return m_info; }

    // Whether oid lies in the table (entry.column.index of any column number).
    bool Handles(const Oid& oid) const;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const;
    // A stored row status takes effect: a new row gets its remaining cells, a destroyed one is removed.
    void Committed(ObjectMap& objects, const Oid& oid) const;

    Oid Cell(std::uint32_t column, const Oid& index) const;
    bool Exists(const ObjectMap& objects, const Oid& index) const;
    // Whether the row exists and is active.
    bool Active(const ObjectMap& objects, const Oid& index) const;
    Row Read(const ObjectMap& objects, const Oid& index) const;
    // The row as it will be after request: a new one starts from the initial cells, a created row's
    // status is the one it gets (1 for createAndGo, 2 for createAndWait).
    Row After(const ObjectMap& objects, const Oid& index, const ObjectMap& request) const;
    std::vector<Oid> Indexes(const ObjectMap& objects) const;
    // Puts a whole row (the initial cells where row has none).
    void Write(ObjectMap& objects, const Oid& index, const Row& row) const;
    void Erase(ObjectMap& objects, const Oid& index) const;

private:
    const RowColumn* Column(std::uint32_t id) const;
    // Splits a cell OID; false when it is not one of a known column.
    bool Split(const Oid& oid, const RowColumn** column, Oid* index) const;
    Row Initial(const Oid& index) const;

    RowTableInfo m_info;
};

} // namespace tqxsim
