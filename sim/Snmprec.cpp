#include "sim/Snmprec.h"

#include <charconv>
#include <cstdio>
#include <limits>

namespace tqxsim {

namespace {

bool ParseUnsigned(std::string_view s, std::uint64_t max, std::uint64_t* out)
{
    if (s.empty() || s.size() > 20)
        return false;
    std::uint64_t v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || v > max)
        return false;
    *out = v;
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool DecodeHex(std::string_view s, std::string* out)
{
    std::string bytes;
    int high = -1;
    for (char c : s) {
        if (c == ' ' || c == ':')
            continue;
        int d = HexDigit(c);
        if (d < 0)
            return false;
        if (high < 0) {
            high = d;
        } else {
            bytes.push_back(static_cast<char>(high * 16 + d));
            high = -1;
        }
    }
    if (high >= 0)
        return false;
    *out = std::move(bytes);
    return true;
}

std::string EncodeHex(std::string_view s)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    out.reserve(s.size() * 2);
    for (unsigned char c : s) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

bool IsPlainText(std::string_view s)
{
    for (unsigned char c : s) {
        if (c < 0x20 || c == 0x7f || c >= 0x80)
            return false;
    }
    return true;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

} // namespace

bool ParseOid(std::string_view text, Oid* out)
{
    if (!text.empty() && text.front() == '.')
        text.remove_prefix(1);
    Oid oid;
    while (true) {
        size_t dot = text.find('.');
        std::string_view arc = text.substr(0, dot);
        std::uint64_t v = 0;
        if (!ParseUnsigned(arc, std::numeric_limits<std::uint32_t>::max(), &v))
            return false;
        oid.push_back(static_cast<std::uint32_t>(v));
        if (oid.size() > 128)
            return false;
        if (dot == std::string_view::npos)
            break;
        text.remove_prefix(dot + 1);
    }
    if (oid.size() < 2)
        return false;
    *out = std::move(oid);
    return true;
}

std::string OidToString(const Oid& oid)
{
    std::string s;
    for (size_t i = 0; i < oid.size(); ++i) {
        if (i)
            s.push_back('.');
        s += std::to_string(oid[i]);
    }
    return s;
}

bool OidHasPrefix(const Oid& oid, const Oid& prefix)
{
    return oid.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), oid.begin());
}

bool ParseValue(std::string_view tagText, std::string_view text, Value* out, std::string* error)
{
    bool hex = false;
    if (!tagText.empty() && (tagText.back() == 'x' || tagText.back() == 'X')) {
        hex = true;
        tagText.remove_suffix(1);
    }
    std::uint64_t tagNumber = 0;
    if (!ParseUnsigned(tagText, 1000, &tagNumber)) {
        *error = "bad tag \"" + std::string(tagText) + "\"";
        return false;
    }
    Value v;
    std::string raw;
    if (hex) {
        if (!DecodeHex(text, &raw)) {
            *error = "bad hex value";
            return false;
        }
    } else {
        raw = std::string(text);
    }
    auto unsignedValue = [&](std::uint64_t max, std::uint64_t* n) {
        if (hex) {
            if (raw.size() > 8)
                return false;
            std::uint64_t x = 0;
            for (unsigned char c : raw)
                x = (x << 8) | c;
            if (x > max)
                return false;
            *n = x;
            return true;
        }
        return ParseUnsigned(Trim(raw), max, n);
    };
    switch (tagNumber) {
    case 2: {
        std::string_view s = Trim(raw);
        bool negative = !s.empty() && s.front() == '-';
        if (negative)
            s.remove_prefix(1);
        std::uint64_t n = 0;
        if (hex || !ParseUnsigned(s, negative ? 2147483648ULL : 2147483647ULL, &n)) {
            *error = "bad Integer value \"" + std::string(text) + "\"";
            return false;
        }
        v.tag = Tag::Integer;
        v.number = negative ? -static_cast<std::int64_t>(n) : static_cast<std::int64_t>(n);
        break;
    }
    case 4:
        v.tag = Tag::OctetString;
        v.bytes = raw;
        if (v.bytes.size() > 65535) {
            *error = "OctetString longer than 65535 bytes";
            return false;
        }
        break;
    case 5:
        v.tag = Tag::Null;
        break;
    case 6:
        v.tag = Tag::ObjectId;
        if (!ParseOid(Trim(raw), &v.oid)) {
            *error = "bad ObjectIdentifier value \"" + std::string(text) + "\"";
            return false;
        }
        break;
    case 64: {
        v.tag = Tag::IpAddress;
        if (hex) {
            if (raw.size() != 4) {
                *error = "IpAddress needs 4 bytes";
                return false;
            }
            v.bytes = raw;
            break;
        }
        std::string_view s = Trim(raw);
        for (int i = 0; i < 4; ++i) {
            size_t dot = s.find('.');
            if ((i < 3) != (dot != std::string_view::npos)) {
                *error = "bad IpAddress value \"" + std::string(text) + "\"";
                return false;
            }
            std::uint64_t b = 0;
            if (!ParseUnsigned(s.substr(0, dot), 255, &b)) {
                *error = "bad IpAddress value \"" + std::string(text) + "\"";
                return false;
            }
            v.bytes.push_back(static_cast<char>(b));
            if (dot != std::string_view::npos)
                s.remove_prefix(dot + 1);
        }
        break;
    }
    case 65:
    case 66:
    case 67: {
        std::uint64_t n = 0;
        if (!unsignedValue(0xffffffffULL, &n)) {
            *error = "bad unsigned 32-bit value \"" + std::string(text) + "\"";
            return false;
        }
        v.tag = static_cast<Tag>(tagNumber);
        v.number = static_cast<std::int64_t>(n);
        break;
    }
    case 70: {
        std::uint64_t n = 0;
        if (!unsignedValue(std::numeric_limits<std::uint64_t>::max(), &n)) {
            *error = "bad Counter64 value \"" + std::string(text) + "\"";
            return false;
        }
        v.tag = Tag::Counter64;
        v.number64 = n;
        break;
    }
    default:
        *error = "unsupported tag " + std::to_string(tagNumber);
        return false;
    }
    *out = std::move(v);
    return true;
}

std::string FormatLine(const Oid& oid, const Value& value)
{
    std::string line = OidToString(oid) + "|";
    switch (value.tag) {
    case Tag::Integer:
    case Tag::Counter32:
    case Tag::Gauge32:
    case Tag::TimeTicks:
        line += std::to_string(static_cast<int>(value.tag)) + "|" + std::to_string(value.number);
        break;
    case Tag::Counter64:
        line += "70|" + std::to_string(value.number64);
        break;
    case Tag::OctetString:
        if (IsPlainText(value.bytes))
            line += "4|" + value.bytes;
        else
            line += "4x|" + EncodeHex(value.bytes);
        break;
    case Tag::Null:
        line += "5|";
        break;
    case Tag::ObjectId:
        line += "6|" + OidToString(value.oid);
        break;
    case Tag::IpAddress:
        line += "64|" + ValueToText(value);
        break;
    }
    return line;
}

std::string ValueToText(const Value& value)
{
    switch (value.tag) {
    case Tag::Integer:
    case Tag::Counter32:
    case Tag::Gauge32:
    case Tag::TimeTicks:
        return std::to_string(value.number);
    case Tag::Counter64:
        return std::to_string(value.number64);
    case Tag::OctetString:
        return IsPlainText(value.bytes) ? value.bytes : "0x" + EncodeHex(value.bytes);
    case Tag::Null:
        return "";
    case Tag::ObjectId:
        return OidToString(value.oid);
    case Tag::IpAddress: {
        std::string s;
        for (size_t i = 0; i < value.bytes.size(); ++i) {
            if (i)
                s.push_back('.');
            s += std::to_string(static_cast<unsigned char>(value.bytes[i]));
        }
        return s;
    }
    }
    return "";
}

int ParseSnmprec(std::string_view text, ObjectMap* out, std::vector<ParseIssue>* issues)
{
    int count = 0;
    int lineNumber = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::string_view trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == '#')
            continue;
        auto report = [&](std::string message) {
            if (issues)
                issues->push_back({lineNumber, std::move(message)});
        };
        size_t bar1 = line.find('|');
        size_t bar2 = bar1 == std::string_view::npos ? bar1 : line.find('|', bar1 + 1);
        if (bar2 == std::string_view::npos) {
            report("expected OID|TAG|VALUE");
            continue;
        }
        Oid oid;
        if (!ParseOid(Trim(line.substr(0, bar1)), &oid)) {
            report("bad OID \"" + std::string(line.substr(0, bar1)) + "\"");
            continue;
        }
        Value value;
        std::string error;
        if (!ParseValue(Trim(line.substr(bar1 + 1, bar2 - bar1 - 1)), line.substr(bar2 + 1), &value, &error)) {
            report(error);
            continue;
        }
        (*out)[std::move(oid)] = std::move(value);
        ++count;
    }
    return count;
}

} // namespace tqxsim
