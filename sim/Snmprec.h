// Device data in the snmprec text format: one object a line, "OID|TAG|VALUE".
// Tags: 2 Integer, 4 OctetString, 5 Null, 6 ObjectIdentifier, 64 IpAddress, 65 Counter32, 66 Gauge32,
// 67 TimeTicks, 70 Counter64. A tag with an "x" suffix (e.g. "4x") carries its value as hex digits.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tqxsim {

using Oid = std::vector<std::uint32_t>;

enum class Tag : int {
    Integer = 2,
    OctetString = 4,
    Null = 5,
    ObjectId = 6,
    IpAddress = 64,
    Counter32 = 65,
    Gauge32 = 66,
    TimeTicks = 67,
    Counter64 = 70,
};

struct Value {
    Tag tag = Tag::Null;
    std::int64_t number = 0;   // Integer (signed 32-bit), Counter32/Gauge32/TimeTicks (unsigned 32-bit)
    std::uint64_t number64 = 0; // Counter64
    std::string bytes;          // OctetString; IpAddress as its 4 bytes
    Oid oid;                    // ObjectId

    bool operator==(const Value&) const = default;

    static Value Integer(std::int64_t v) { Value x; x.tag = Tag::Integer; x.number = v; return x; }
    static Value Text(std::string s) { Value x; x.tag = Tag::OctetString; x.bytes = std::move(s); return x; }
    static Value Unsigned(Tag t, std::uint32_t v) { Value x; x.tag = t; x.number = v; return x; }
};

using ObjectMap = std::map<Oid, Value>;

// Dotted numeric OID, a leading dot allowed; 2 to 128 arcs of at most 2^32-1.
bool ParseOid(std::string_view text, Oid* out);
std::string OidToString(const Oid& oid);
// True when oid starts with prefix.
bool OidHasPrefix(const Oid& oid, const Oid& prefix);

// Value text for a tag given as in the files ("2", "4x", ...). On failure *error says why.
bool ParseValue(std::string_view tag, std::string_view text, Value* out, std::string* error);
// The line form "OID|TAG|VALUE" (hex for octet strings that are not printable text).
std::string FormatLine(const Oid& oid, const Value& value);
// Printable form of a value for messages and logs.
std::string ValueToText(const Value& value);

struct ParseIssue {
    int line = 0;
    std::string message;
};

// Reads snmprec text into *out (later lines replace earlier ones with the same OID). Broken lines are
// skipped and reported in *issues with their line number; blank lines and lines starting with '#' are
// ignored. Returns the number of objects read.
int ParseSnmprec(std::string_view text, ObjectMap* out, std::vector<ParseIssue>* issues);

} // namespace tqxsim
