#include "sim/RowTable.h"

namespace tqxsim {

namespace {

bool Numeric(Tag t) { return t == Tag::Integer || t == Tag::Gauge32 || t == Tag::Counter32 || t == Tag::TimeTicks; }

} // namespace

const RowColumn* CRowTable::Column(std::uint32_t id) const
{
    for (const auto& c : m_info.columns)
        if (c.id == id)
            return &c;
    return nullptr;
}

bool CRowTable::Handles(const Oid& oid) const
{
    return oid.size() > m_info.entry.size() + 1 && OidHasPrefix(oid, m_info.entry);
}

bool CRowTable::Split(const Oid& oid, const RowColumn** column, Oid* index) const
{
    if (!Handles(oid))
        return false;
    *column = Column(oid[m_info.entry.size()]);
    index->assign(oid.begin() + static_cast<long>(m_info.entry.size()) + 1, oid.end());
    return *column != nullptr;
}

Oid CRowTable::Cell(std::uint32_t column, const Oid& index) const
{
    Oid o = m_info.entry;
    o.push_back(column);
    o.insert(o.end(), index.begin(), index.end());
    return o;
}

bool CRowTable::Exists(const ObjectMap& objects, const Oid& index) const
{
    return objects.count(Cell(m_info.statusColumn, index)) != 0;
}

bool CRowTable::Active(const ObjectMap& objects, const Oid& index) const
{
    auto it = objects.find(Cell(m_info.statusColumn, index));
    return it != objects.end() && it->second.number == kActive;
}

Row CRowTable::Initial(const Oid& index) const
{
    Row row;
    for (const auto& c : m_info.columns) {
        Value v = c.initial;
        v.tag = c.tag;
        if (c.holdsIndex && !index.empty())
            v.number = index.back();
        if (c.fromIndex)
            v = c.fromIndex(index);
        row[c.id] = v;
    }
    return row;
}

Row CRowTable::Read(const ObjectMap& objects, const Oid& index) const
{
    Row row;
    for (const auto& c : m_info.columns)
        if (auto it = objects.find(Cell(c.id, index)); it != objects.end())
            row[c.id] = it->second;
    return row;
}

Row CRowTable::After(const ObjectMap& objects, const Oid& index, const ObjectMap& request) const
{
    Row row = Exists(objects, index) ? Read(objects, index) : Initial(index);
    for (const auto& c : m_info.columns) {
        auto it = request.find(Cell(c.id, index));
        if (it == request.end())
            continue;
        Value v = it->second;
        if (c.id == m_info.statusColumn && (v.number == kCreateAndGo || v.number == kCreateAndWait))
            v.number = v.number == kCreateAndGo ? kActive : kNotInService;
        row[c.id] = v;
    }
    return row;
}

std::vector<Oid> CRowTable::Indexes(const ObjectMap& objects) const
{
    std::vector<Oid> indexes;
    Oid status = m_info.entry;
    status.push_back(m_info.statusColumn);
    for (auto it = objects.upper_bound(status); it != objects.end() && OidHasPrefix(it->first, status); ++it)
        indexes.emplace_back(it->first.begin() + static_cast<long>(status.size()), it->first.end());
    return indexes;
}

void CRowTable::Write(ObjectMap& objects, const Oid& index, const Row& row) const
{
    Row cells = Initial(index);
    for (const auto& [id, v] : row)
        cells[id] = v;
    for (const auto& [id, v] : cells)
        objects[Cell(id, index)] = v;
}

void CRowTable::Erase(ObjectMap& objects, const Oid& index) const
{
    for (const auto& c : m_info.columns)
        objects.erase(Cell(c.id, index));
}

SetError CRowTable::CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const
{
    const RowColumn* column = nullptr;
    Oid index;
    if (!Split(oid, &column, &index) || index.empty() || (m_info.validIndex && !m_info.validIndex(index)))
        return SetError::NoCreation;
    const bool exists = Exists(objects, index);
    if (!column->writable)
        return exists ? SetError::NotWritable : SetError::NoCreation;
    if (value.tag != column->tag)
        return SetError::WrongType;
    auto consistent = [&] {
        return m_info.consistent ? m_info.consistent(index, After(objects, index, request)) : SetError::None;
    };
    if (column->id == m_info.statusColumn) {
        const auto status = value.number;
        if (status < kActive || status > kDestroy || status == kNotReady)
            return SetError::WrongValue;
        if (!exists) {
            if (status != kCreateAndGo && status != kCreateAndWait)
                return SetError::InconsistentValue;
            if (Indexes(objects).size() >= m_info.maxRows)
                return SetError::ResourceUnavailable;
            return status == kCreateAndGo ? consistent() : SetError::None;
        }
        if (status == kCreateAndGo || status == kCreateAndWait)
            return SetError::InconsistentValue;
        if ((status == kNotInService || status == kDestroy) && m_info.mayLeave)
            if (SetError e = m_info.mayLeave(objects, index, static_cast<int>(status)); e != SetError::None)
                return e;
        return status == kActive ? consistent() : SetError::None;
    }
    if (Numeric(value.tag) && (value.number < column->min || value.number > column->max))
        return SetError::WrongValue;
    if (value.tag == Tag::OctetString && (value.bytes.size() < column->minLength || value.bytes.size() > column->maxLength))
        return SetError::WrongLength;
    if (column->check)
        if (SetError e = column->check(value); e != SetError::None)
            return e;
    // A new row's cells come only with the status that creates it; an active row stays consistent.
    auto creator = request.find(Cell(m_info.statusColumn, index));
    if (!exists) {
        const bool creates = creator != request.end() && creator->second.tag == Tag::Integer &&
                             (creator->second.number == kCreateAndGo || creator->second.number == kCreateAndWait);
        return creates ? SetError::None : SetError::NoCreation;
    }
    const auto after = After(objects, index, request);
    auto status = after.find(m_info.statusColumn);
    return status != after.end() && status->second.number == kActive ? consistent() : SetError::None;
}

void CRowTable::Committed(ObjectMap& objects, const Oid& oid) const
{
    const RowColumn* column = nullptr;
    Oid index;
    if (!Split(oid, &column, &index) || column->id != m_info.statusColumn)
        return;
    auto it = objects.find(oid);
    if (it == objects.end())
        return;
    const auto status = it->second.number;
    if (status == kDestroy) {
        Erase(objects, index);
    } else if (status == kCreateAndGo || status == kCreateAndWait) {
        Row row = Read(objects, index);
        row[m_info.statusColumn] = Value::Integer(status == kCreateAndGo ? kActive : kNotInService);
        Write(objects, index, row);
    }
}

} // namespace tqxsim
