// The general row table on a small table of its own: rows made, changed and removed through the row
// status, typed columns, the row limit and the consistency check before a row becomes active.
#include "sim/RowTable.h"

#include <gtest/gtest.h>

using namespace tqxsim;

namespace {

// entry 1.3.6.1.4.1.99999.1.1; index two arcs (a, b) with a in 1..9; columns: 1 the index's last arc,
// 2 a number 0..100, 3 a text of 1..8 octets, 4 another number that must not be below column 2 when
// active, 9 the row status; at most two rows.
CRowTable Fixture()
{
    RowTableInfo t;
    t.entry = {1, 3, 6, 1, 4, 1, 99999, 1, 1};
    t.statusColumn = 9;
    t.maxRows = 2;
    t.columns = {
        {1, Tag::Integer, 0, 2147483647, 0, 0, Value::Integer(0), false, true, nullptr},
        {2, Tag::Integer, 0, 100, 0, 0, Value::Integer(5), true, false, nullptr},
        {3, Tag::OctetString, 0, 0, 1, 8, Value::Text("x"), true, false,
         [](const Value& v) { return v.bytes.find(' ') == std::string::npos ? SetError::None : SetError::WrongValue; }},
        {4, Tag::Integer, 0, 100, 0, 0, Value::Integer(10), true, false, nullptr},
        {9, Tag::Integer, 1, 6, 0, 0, Value::Integer(2), true, false, nullptr},
    };
    t.validIndex = [](const Oid& i) { return i.size() == 2 && i[0] >= 1 && i[0] <= 9; };
    t.consistent = [](const Oid&, const Row& row) {
        return row.at(4).number >= row.at(2).number ? SetError::None : SetError::InconsistentValue;
    };
    t.mayLeave = [](const ObjectMap&, const Oid& index, int status) {
        return index == Oid{9, 9} && status == kDestroy ? SetError::InconsistentValue : SetError::None;
    };
    return CRowTable(t);
}

// One SET as the agent runs it: every binding checked against the whole request, then stored, then
// committed. Returns the first error (nothing is stored then).
SetError Apply(const CRowTable& table, ObjectMap& objects, const ObjectMap& request)
{
    for (const auto& [oid, value] : request)
        if (SetError e = table.CheckSet(objects, oid, value, request); e != SetError::None)
            return e;
    for (const auto& [oid, value] : request)
        objects[oid] = value;
    for (const auto& [oid, value] : request)
        table.Committed(objects, oid);
    return SetError::None;
}

} // namespace

TEST(RowTable, RowsComeAndGoThroughTheirStatus)
{
    const CRowTable table = Fixture();
    ObjectMap objects;
    const Oid r = {3, 7};
    // Created waiting: every column at its initial value, the index column the index, not in service.
    ASSERT_EQ(Apply(table, objects, {{table.Cell(9, r), Value::Integer(kCreateAndWait)}}), SetError::None);
    EXPECT_EQ(objects.size(), 5u);
    EXPECT_EQ(objects[table.Cell(1, r)], Value::Integer(7));
    EXPECT_EQ(objects[table.Cell(3, r)], Value::Text("x"));
    EXPECT_EQ(objects[table.Cell(9, r)], Value::Integer(kNotInService));
    // Out of service a row may hold what it may not hold when active.
    ASSERT_EQ(Apply(table, objects, {{table.Cell(2, r), Value::Integer(50)}}), SetError::None);
    EXPECT_EQ(Apply(table, objects, {{table.Cell(9, r), Value::Integer(kActive)}}), SetError::InconsistentValue);
    // Activation and the column that makes it consistent in one request.
    ASSERT_EQ(Apply(table, objects, {{table.Cell(4, r), Value::Integer(60)}, {table.Cell(9, r), Value::Integer(kActive)}}),
              SetError::None);
    EXPECT_TRUE(table.Active(objects, r));
    // An active row stays consistent.
    EXPECT_EQ(Apply(table, objects, {{table.Cell(4, r), Value::Integer(40)}}), SetError::InconsistentValue);
    EXPECT_EQ(objects[table.Cell(4, r)], Value::Integer(60));
    // Created and active at once, with its columns.
    const Oid s = {1, 1};
    ASSERT_EQ(Apply(table, objects, {{table.Cell(3, s), Value::Text("abc")}, {table.Cell(9, s), Value::Integer(kCreateAndGo)}}),
              SetError::None);
    EXPECT_EQ(objects[table.Cell(9, s)], Value::Integer(kActive));
    EXPECT_EQ(objects[table.Cell(3, s)], Value::Text("abc"));
    EXPECT_EQ(table.Indexes(objects), (std::vector<Oid>{s, r}));
    // Destroyed: every cell of the row goes, the other row stays.
    ASSERT_EQ(Apply(table, objects, {{table.Cell(9, r), Value::Integer(kDestroy)}}), SetError::None);
    EXPECT_FALSE(table.Exists(objects, r));
    EXPECT_EQ(objects.size(), 5u);
}

TEST(RowTable, Refusals)
{
    const CRowTable table = Fixture();
    ObjectMap objects;
    const Oid r = {2, 2};
    ASSERT_EQ(Apply(table, objects, {{table.Cell(9, r), Value::Integer(kCreateAndGo)}}), SetError::None);
    table.Write(objects, {9, 9}, {{9, Value::Integer(kActive)}});
    const Oid n = {4, 4}; // no such row
    struct Case {
        const char* what;
        ObjectMap request;
        SetError error;
    };
    const Case cases[] = {
        {"create an existing row", {{table.Cell(9, r), Value::Integer(kCreateAndWait)}}, SetError::InconsistentValue},
        {"activate a missing row", {{table.Cell(9, n), Value::Integer(kActive)}}, SetError::InconsistentValue},
        {"destroy a missing row", {{table.Cell(9, n), Value::Integer(kDestroy)}}, SetError::InconsistentValue},
        {"notReady is not for writing", {{table.Cell(9, r), Value::Integer(kNotReady)}}, SetError::WrongValue},
        {"status outside 1..6", {{table.Cell(9, r), Value::Integer(7)}}, SetError::WrongValue},
        {"a row beyond the limit", {{table.Cell(9, n), Value::Integer(kCreateAndWait)}}, SetError::ResourceUnavailable},
        {"an index the table does not have", {{table.Cell(9, {10, 1}), Value::Integer(kCreateAndGo)}}, SetError::NoCreation},
        {"an index of the wrong length", {{table.Cell(9, {1}), Value::Integer(kCreateAndGo)}}, SetError::NoCreation},
        {"an unknown column", {{table.Cell(5, r), Value::Integer(1)}}, SetError::NoCreation},
        {"a column of a missing row alone", {{table.Cell(2, n), Value::Integer(1)}}, SetError::NoCreation},
        {"the index column", {{table.Cell(1, r), Value::Integer(1)}}, SetError::NotWritable},
        {"a text for a number", {{table.Cell(2, r), Value::Text("1")}}, SetError::WrongType},
        {"a number out of range", {{table.Cell(2, r), Value::Integer(101)}}, SetError::WrongValue},
        {"a text too long", {{table.Cell(3, r), Value::Text("123456789")}}, SetError::WrongLength},
        {"a text too short", {{table.Cell(3, r), Value::Text("")}}, SetError::WrongLength},
        {"a text the column's own rule refuses", {{table.Cell(3, r), Value::Text("a b")}}, SetError::WrongValue},
        {"a row that may not go", {{table.Cell(9, {9, 9}), Value::Integer(kDestroy)}}, SetError::InconsistentValue},
    };
    const ObjectMap before = objects;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Apply(table, objects, c.request), c.error);
        EXPECT_EQ(objects, before);
    }
    // With room again (row 9.9 removed by hand), a new row is checked before it is made active.
    table.Erase(objects, {9, 9});
    EXPECT_EQ(Apply(table, objects, {{table.Cell(2, n), Value::Integer(90)}, {table.Cell(9, n), Value::Integer(kCreateAndGo)}}),
              SetError::InconsistentValue);
    EXPECT_FALSE(table.Exists(objects, n));
    EXPECT_EQ(Apply(table, objects, {{table.Cell(2, n), Value::Integer(90)}, {table.Cell(9, n), Value::Integer(kCreateAndWait)}}),
              SetError::None);
    EXPECT_EQ(objects[table.Cell(2, n)], Value::Integer(90));
}
