// A small SNMPv1 encoder for scripted agents' replies and a reader for the requests they get,
// independent of both the module's engine and KxSnmp's codec.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace snmpber {

inline QByteArray Tlv(std::uint8_t tag, const QByteArray& content)
{
    QByteArray out(1, static_cast<char>(tag));
    const qsizetype n = content.size();
    if (n < 128) {
        out.append(static_cast<char>(n));
    } else if (n < 256) {
        out.append('\x81').append(static_cast<char>(n));
    } else {
        out.append('\x82').append(static_cast<char>(n >> 8)).append(static_cast<char>(n & 0xff));
    }
    return out + content;
}

inline QByteArray Int(std::int64_t v, std::uint8_t tag = 0x02)
{
    QByteArray bytes;
    for (int i = 7; i >= 0; --i)
        bytes.append(static_cast<char>((v >> (8 * i)) & 0xff));
    while (bytes.size() > 1 && ((bytes[0] == 0 && !(bytes[1] & 0x80)) || (bytes[0] == '\xff' && (bytes[1] & 0x80))))
        bytes.remove(0, 1);
    return Tlv(tag, bytes);
}

inline QByteArray Oid(const QString& text)
{
    const QStringList arcs = text.split(QLatin1Char('.'));
    std::vector<std::uint32_t> subs{arcs[0].toUInt() * 40 + arcs[1].toUInt()};
    for (qsizetype i = 2; i < arcs.size(); ++i)
        subs.push_back(arcs[i].toUInt());
    QByteArray content;
    for (std::uint32_t s : subs) {
        QByteArray groups(1, static_cast<char>(s & 0x7f));
        while (s >>= 7)
            groups.prepend(static_cast<char>(0x80 | (s & 0x7f)));
        content += groups;
    }
    return Tlv(0x06, content);
}

struct Value {
    QString oid;
    QByteArray encodedValue;  // a full TLV
};

inline QByteArray Response(std::uint32_t requestId, const std::vector<Value>& values, std::uint32_t errorStatus = 0,
                           std::uint32_t errorIndex = 0, const QByteArray& community = "public")
{
    QByteArray list;
    for (const Value& v : values)
        list += Tlv(0x30, Oid(v.oid) + v.encodedValue);
    const QByteArray pdu = Tlv(0xA2, Int(requestId) + Int(errorStatus) + Int(errorIndex) + Tlv(0x30, list));
    return Tlv(0x30, Int(0) + Tlv(0x04, community) + pdu);
}

// One element read from the front of bytes: its tag and content; nullopt when bytes end early.
struct Element {
    std::uint8_t tag = 0;
    QByteArray content;
    QByteArray rest;  // what follows the element
};

inline std::optional<Element> Read(const QByteArray& bytes)
{
    if (bytes.size() < 2)
        return std::nullopt;
    const auto byte = [&](qsizetype i) { return static_cast<std::uint8_t>(bytes[i]); };
    qsizetype at = 2;
    qsizetype length = byte(1);
    if (length & 0x80) {
        const int n = length & 0x7f;
        if (n < 1 || n > 2 || bytes.size() < 2 + n)
            return std::nullopt;
        length = 0;
        for (int i = 0; i < n; ++i)
            length = (length << 8) | byte(2 + i);
        at += n;
    }
    if (bytes.size() - at < length)
        return std::nullopt;
    return Element{byte(0), bytes.mid(at, length), bytes.mid(at + length)};
}

inline std::uint32_t ReadUnsigned(const QByteArray& content)
{
    std::uint32_t v = 0;
    for (char c : content)
        v = (v << 8) | static_cast<std::uint8_t>(c);
    return v;
}

inline QString ReadOid(const QByteArray& content)
{
    QStringList arcs;
    std::uint32_t value = 0;
    bool first = true;
    for (char c : content) {
        value = (value << 7) | (static_cast<std::uint8_t>(c) & 0x7f);
        if (static_cast<std::uint8_t>(c) & 0x80)
            continue;
        if (first) {
            arcs << QString::number(value < 80 ? value / 40 : 2) << QString::number(value < 80 ? value % 40 : value - 80);
            first = false;
        } else {
            arcs << QString::number(value);
        }
        value = 0;
    }
    return arcs.join(QLatin1Char('.'));
}

// The request id and the bound OIDs of an SNMPv1 or v2c request; nullopt when it is not one.
struct Request {
    std::uint32_t requestId = 0;
    std::uint8_t pduType = 0;
    std::vector<QString> oids;
};

inline std::optional<Request> ReadRequest(const QByteArray& datagram)
{
    const auto message = Read(datagram);
    if (!message || message->tag != 0x30)
        return std::nullopt;
    const auto version = Read(message->content);
    const auto community = version ? Read(version->rest) : std::nullopt;
    const auto pdu = community ? Read(community->rest) : std::nullopt;
    if (!pdu)
        return std::nullopt;
    const auto id = Read(pdu->content);
    const auto status = id ? Read(id->rest) : std::nullopt;
    const auto index = status ? Read(status->rest) : std::nullopt;
    const auto list = index ? Read(index->rest) : std::nullopt;
    if (!list || list->tag != 0x30)
        return std::nullopt;
    Request r;
    r.requestId = ReadUnsigned(id->content);
    r.pduType = pdu->tag;
    QByteArray bindings = list->content;
    while (!bindings.isEmpty()) {
        const auto binding = Read(bindings);
        const auto name = binding ? Read(binding->content) : std::nullopt;
        if (!name || name->tag != 0x06)
            return std::nullopt;
        r.oids.push_back(ReadOid(name->content));
        bindings = binding->rest;
    }
    return r;
}

} // namespace snmpber
