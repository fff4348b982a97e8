#include "panel/MibXml.h"

#include "core/Trace.h"
#include "panel/PanelLoader.h"

#include <QFile>

#include <cstring>

namespace {

QString Text(const pugi::xml_node& node)
{
    return CPanelLoader::TextContent(node);
}

bool IsElement(const pugi::xml_node& node, const char* pszName)
{
    return node.type() == pugi::node_element && std::strcmp(node.name(), pszName) == 0;
}

// Replaces everything below the element by one text node (the DOM's text assignment).
void SetText(pugi::xml_node node, const QString& strText)
{
    while (node.first_child())
        node.remove_child(node.first_child());
    node.append_child(pugi::node_pcdata).set_value(strText.toUtf8().constData());
}

pugi::xml_node ChildOrNew(pugi::xml_node node, const char* pszName)
{
    pugi::xml_node child = node.child(pszName);
    return child ? child : node.append_child(pszName);
}

}  // namespace

CMibXml::CMibXml() = default;
CMibXml::~CMibXml() = default;

bool CMibXml::Open(const QString& strFileName, const QString& strSection)
{
    QFile file(strFileName);
    if (strFileName.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        TRACE() << "configuration description" << strFileName << "cannot be read";
        m_pDoc.reset();
        m_section = pugi::xml_node();
        m_items.clear();
        return false;
    }
    return OpenData(file.readAll(), strSection);
}

bool CMibXml::OpenData(const QByteArray& data, const QString& strSection)
{
    m_pDoc = std::make_shared<pugi::xml_document>();
    m_section = pugi::xml_node();
    m_items.clear();
    m_nIndex = -1;
    const pugi::xml_parse_result result = m_pDoc->load_buffer(data.constData(), static_cast<std::size_t>(data.size()));
    if (!result) {
        TRACE() << "configuration description is not well-formed:" << result.description() << "at offset"
                << result.offset;
        m_pDoc.reset();
        return false;
    }
    return SelectSection(strSection);
}

bool CMibXml::SelectSection(const QString& strSection)
{
    const QByteArray section = strSection.toUtf8();
    for (pugi::xml_node mib = m_pDoc->first_child(); mib && !m_section; mib = mib.next_sibling()) {
        if (!IsElement(mib, "MIB"))
            continue;
        for (pugi::xml_node child = mib.first_child(); child; child = child.next_sibling())
            if (IsElement(child, section.constData())) {
                m_section = child;
                break;
            }
    }
    if (!m_section) {
        TRACE() << "configuration description has no section" << strSection;
        return false;
    }
    for (pugi::xml_node item = m_section.first_child(); item; item = item.next_sibling())
        if (item.type() == pugi::node_element)
            m_items.push_back(item);
    return true;
}

bool CMibXml::Attach(std::shared_ptr<pugi::xml_document> pDoc)
{
    m_pDoc.reset();
    m_section = pugi::xml_node();
    m_items.clear();
    m_nIndex = -1;
    if (!pDoc)
        return false;
    pugi::xml_node mib;
    int nMib = 0;
    for (pugi::xml_node node = pDoc->first_child(); node; node = node.next_sibling())
        if (IsElement(node, "MIB")) {
            mib = node;
            ++nMib;
        }
    if (nMib != 1)
        return false;
    const pugi::xml_node section = mib.find_child([](const pugi::xml_node& n) { return n.type() == pugi::node_element; });
    if (!section)
        return false;
    m_pDoc = std::move(pDoc);
    m_section = section;
    for (pugi::xml_node item = m_section.first_child(); item; item = item.next_sibling())
        if (item.type() == pugi::node_element)
            m_items.push_back(item);
    return true;
}

bool CMibXml::GetFirstName(QString& strOid)
{
    m_nIndex = 0;
    if (m_items.empty()) {
        m_nIndex = 1;
        return false;
    }
    const pugi::xml_node first =
        m_items[0].find_child([](const pugi::xml_node& n) { return n.type() == pugi::node_element; });
    strOid = first ? Text(first) : QString();
    return static_cast<bool>(first);
}

bool CMibXml::GetNextName(QString& strOid)
{
    if (m_nIndex < 0 || m_nIndex >= static_cast<int>(m_items.size()))
        return false;
    ++m_nIndex;
    if (m_nIndex >= static_cast<int>(m_items.size()))
        return false;
    const pugi::xml_node first = m_items[static_cast<std::size_t>(m_nIndex)].find_child(
        [](const pugi::xml_node& n) { return n.type() == pugi::node_element; });
    strOid = first ? Text(first) : QString();
    return static_cast<bool>(first);
}

pugi::xml_node CMibXml::FindItem(const QString& strOid) const
{
    for (const pugi::xml_node& item : m_items) {
        const pugi::xml_node name = item.child("NAME");
        if (!name)
            return pugi::xml_node();  // an item without NAME ends the search
        if (Text(name) == strOid)
            return item;
    }
    return pugi::xml_node();
}

bool CMibXml::ItemText(const QString& strOid, const char* pszTag, QString& strText) const
{
    const pugi::xml_node item = FindItem(strOid);
    if (!item)
        return false;
    const pugi::xml_node element = item.child(pszTag);
    if (!element)
        return false;
    strText = Text(element);
    return true;
}

bool CMibXml::GetType(const QString& strOid, QString& strType)
{
    return ItemText(strOid, "TYPE", strType);
}

bool CMibXml::GetDesc(const QString& strOid, QString& strDesc)
{
    return ItemText(strOid, "DESC", strDesc);
}

bool CMibXml::GetAccess(const QString& strOid, QString& strAccess)
{
    return ItemText(strOid, "ACCESS", strAccess);
}

bool CMibXml::GetValueList(const QString& strOid, PairList& list)
{
    const pugi::xml_node item = FindItem(strOid);
    const pugi::xml_node value = item ? item.child("VALUE") : pugi::xml_node();
    if (!value)
        return false;
    list.clear();
    for (pugi::xml_node label = value.first_child(); label; label = label.next_sibling())
        if (label.type() == pugi::node_element)
            list.append({QString::fromUtf8(label.name()), Text(label)});
    return true;
}

bool CMibXml::SetRetValue(const QString& strOid, const QString& strValue)
{
    pugi::xml_node item = FindItem(strOid);
    if (!item)
        return false;
    SetText(ChildOrNew(item, "RETVALUE"), strValue);
    return true;
}

bool CMibXml::AddSuffix(const QString& strOid, const QString& strSuffix, const QString& strValue)
{
    pugi::xml_node item = FindItem(strOid);
    if (!item)
        return false;
    pugi::xml_node suffix = ChildOrNew(item, "RETVALUE").append_child("SUFFIX");
    SetText(suffix.append_child("NAME"), strSuffix);
    SetText(suffix.append_child("VALUE"), strValue);
    return true;
}

bool CMibXml::GetRetValue(const QString& strOid, QString& strValue)
{
    return ItemText(strOid, "RETVALUE", strValue);
}

bool CMibXml::GetSuffixList(const QString& strOid, PairList& list)
{
    const pugi::xml_node item = FindItem(strOid);
    const pugi::xml_node ret = item ? item.child("RETVALUE") : pugi::xml_node();
    if (!ret)
        return false;
    list.clear();
    for (pugi::xml_node suffix = ret.child("SUFFIX"); suffix; suffix = suffix.next_sibling("SUFFIX"))
        list.append({Text(suffix.child("NAME")), Text(suffix.child("VALUE"))});
    return !list.isEmpty();
}

int CMibXml::TypeCode(const QString& strType)
{
    const QString t = strType.trimmed().toUpper();
    if (t.contains(QLatin1String("STRING")) || t.contains(QLatin1String("OCTET")))
        return 2;
    if (t.contains(QLatin1String("IPADDRESS")))
        return 8;
    if (t.contains(QLatin1String("UNSIGNED")) || t.contains(QLatin1String("GAUGE")))
        return 10;
    return 1;
}

bool CMibXml::CollectGetRequest(std::vector<SMibBinding>& bindings, const QString& strSuffix)
{
    bool bOk = true;
    for (const pugi::xml_node& item : m_items) {
        const pugi::xml_node name = item.child("NAME");
        if (!name)
            return false;
        QString strOid = Text(name);
        if (!strSuffix.isEmpty())
            strOid += QLatin1Char('.') + strSuffix;
        if (strOid.size() > kMaxOidLength) {
            TRACE() << "configuration description: OID too long, left out:" << strOid.left(40) << "...";
            bOk = false;
            continue;
        }
        bindings.push_back({strOid, 4, QString(), false});
    }
    return bOk;
}

bool CMibXml::CollectSetRequest(std::vector<SMibBinding>& bindings)
{
    bool bOk = true;
    const auto add = [&](const QString& strOid, int nType, const QString& strValue) {
        if (strOid.size() > kMaxOidLength) {
            TRACE() << "configuration description: OID too long, left out:" << strOid.left(40) << "...";
            bOk = false;
            return;
        }
        bindings.push_back({strOid, nType, strValue, true});
    };
    for (const pugi::xml_node& item : m_items) {
        const pugi::xml_node name = item.child("NAME");
        if (!name)
            return false;
        const QString strOid = Text(name);
        const QString strAccess = Text(item.child("ACCESS"));
        const int nType = TypeCode(Text(item.child("TYPE")));
        if (!strAccess.contains(QLatin1String("WRITE")))
            continue;
        const pugi::xml_node ret = item.child("RETVALUE");
        if (strAccess.contains(QLatin1String("INDEX"))) {
            for (pugi::xml_node suffix = ret.child("SUFFIX"); suffix; suffix = suffix.next_sibling("SUFFIX"))
                add(strOid + QLatin1Char('.') + Text(suffix.child("NAME")), nType, Text(suffix.child("VALUE")));
        } else if (ret) {
            add(strOid, nType, Text(ret));
        }
    }
    return bOk;
}
