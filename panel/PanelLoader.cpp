#include "panel/PanelLoader.h"

#include "core/Trace.h"
#include "panel/MyBitmapApp.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Decimal conversion as the C library does it (non-numeric text reads as 0), clamped to int.
int ToInt(const QString& strText)
{
    const QByteArray bytes = strText.toLatin1();
    errno = 0;
    const long v = std::strtol(bytes.constData(), nullptr, 10);
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

bool IsTag(const pugi::xml_node& node, const char* pszTag)
{
    return node.type() == pugi::node_element && std::strcmp(node.name(), pszTag) == 0;
}

// Every element of the document with that tag name, in document order (iterative: no recursion
// on deep documents).
std::vector<pugi::xml_node> ElementsByTagName(const pugi::xml_document& doc, const char* pszTag)
{
    std::vector<pugi::xml_node> result;
    pugi::xml_node node = doc.first_child();
    while (node) {
        if (IsTag(node, pszTag))
            result.push_back(node);
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling())
            node = node.parent() == doc ? pugi::xml_node() : node.parent();
        if (node)
            node = node.next_sibling();
    }
    return result;
}

std::vector<pugi::xml_node> ChildNodes(const pugi::xml_node& node)
{
    std::vector<pugi::xml_node> result;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        result.push_back(child);
    return result;
}

int LampStateKeyword(const QString& s, int nCurrent)
{
    if (s == QLatin1String("LAMPON"))
        return LAMP_ON;
    if (s == QLatin1String("LAMP1G"))
        return LAMP_1G;
    if (s == QLatin1String("LAMPOFF"))
        return LAMP_OFF;
    return nCurrent;
}

int PortStateKeyword(const QString& s, int nCurrent)
{
    if (s == QLatin1String("PORTLINK100"))
        return PORT_LINK100;
    if (s == QLatin1String("PORTLINK10"))
        return PORT_LINK10;
    if (s == QLatin1String("PORTDISABLED"))
        return PORT_DISABLED;
    if (s == QLatin1String("PORTENABLE"))
        return PORT_ENABLE;
    if (s == QLatin1String("PORTEMPTY"))
        return PORT_EMPTY;
    return nCurrent;
}

int LampTypeKeyword(const QString& s, int nCurrent)
{
    if (s == QLatin1String("LINK"))
        return LAMP_LINK;
    if (s == QLatin1String("S100M"))
        return LAMP_S100M;
    if (s == QLatin1String("POWER"))
        return LAMP_POWER;
    if (s == QLatin1String("CONSOLE"))
        return LAMP_CONSOLE;
    return nCurrent;
}

void StoreInBitmapStore(int nLeft, int nTop)
{
    if (CMyBitmapApp* pStore = g_pMyBitmapApp)
        pStore->AddPosition(nLeft, nTop);
}

}  // namespace

CPanelLoader::CPanelLoader() : m_positionSink(StoreInBitmapStore) {}

CPanelLoader::CPanelLoader(PositionSink sink) : m_positionSink(std::move(sink)) {}

QString CPanelLoader::GetChildText(const pugi::xml_node& node, const char* pszTag)
{
    const pugi::xml_node child = node.child(pszTag);
    return child ? TextContent(child) : QString();
}

QString CPanelLoader::TextContent(const pugi::xml_node& node)
{
    std::string text;
    pugi::xml_node n = node.first_child();
    while (n) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
            text += n.value();
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && !n.next_sibling())
            n = n.parent() == node ? pugi::xml_node() : n.parent();
        if (n)
            n = n.next_sibling();
    }
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool CPanelLoader::HasChild(const pugi::xml_node& node, const char* pszTag)
{
    return static_cast<bool>(node.child(pszTag));
}

bool CPanelLoader::Load(const QString& strFileName, CDevModule* pRoot, CModuleList* pModules)
{
    pugi::xml_document doc;
    QFile file(strFileName);
    if (strFileName.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        TRACE() << "panel description" << strFileName << "cannot be read";
    } else {
        const QByteArray data = file.readAll();
        const pugi::xml_parse_result result = doc.load_buffer(data.constData(), static_cast<std::size_t>(data.size()));
        if (!result) {
            TRACE() << "panel description" << strFileName << "is not well-formed:" << result.description()
                    << "at offset" << result.offset;
            doc.reset();
        }
    }
    return LoadDocument(doc, pRoot, pModules);
}

bool CPanelLoader::LoadFromData(const QByteArray& data, CDevModule* pRoot, CModuleList* pModules)
{
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_buffer(data.constData(), static_cast<std::size_t>(data.size()));
    if (!result) {
        TRACE() << "panel description is not well-formed:" << result.description() << "at offset" << result.offset;
        doc.reset();
    }
    return LoadDocument(doc, pRoot, pModules);
}

bool CPanelLoader::LoadDocument(const pugi::xml_document& doc, CDevModule* pRoot, CModuleList* pModules)
{
    if (!pRoot || !pModules)
        return false;
    m_pRoot = pRoot;
    m_nDepth = 0;
    m_nVisits = 0;
    m_nPorts = 0;
    m_bLimitHit = false;

    const QString frame(40, QLatin1Char('o'));
    const std::vector<pugi::xml_node> panels = ElementsByTagName(doc, "DEVICEPANEL");
    TRACE() << frame;
    TRACE() << QStringLiteral(" node num = %1").arg(panels.size());
    TRACE() << frame;
    LoadElementList(panels, pRoot, pModules);

    const std::vector<pugi::xml_node> modules = ElementsByTagName(doc, "DEVICEMODULE");
    LoadElementList(modules, pRoot, pModules);
    if (m_bLimitHit)
        TRACE() << "panel description: reference limit reached, the rest was not read";
    return true;
}

void CPanelLoader::LoadElementList(const std::vector<pugi::xml_node>& nodes, CVirtualDev* pParent, CModuleList* pModules)
{
    if (m_nDepth >= kMaxDepth) {
        m_bLimitHit = true;
        return;
    }
    ++m_nDepth;
    for (const pugi::xml_node& node : nodes) {
        if (node.type() != pugi::node_element)
            continue;
        if (++m_nVisits > kMaxVisits) {
            m_bLimitHit = true;
            break;
        }
        CVirtualDev* pObject = CreateItem(node, pParent, pModules);
        // References are followed with the object made as parent; DEVICEPANEL keeps the current
        // parent, DEVICEMODULE and every element that made nothing give none.
        CVirtualDev* pChildParent = pObject;
        if (IsTag(node, "DEVICEPANEL"))
            pChildParent = pParent;
        else if (IsTag(node, "DEVICEMODULE"))
            pChildParent = nullptr;
        FollowReferences(node, pChildParent, pModules);
    }
    --m_nDepth;
}

void CPanelLoader::FollowReferences(const pugi::xml_node& node, CVirtualDev* pParent, CModuleList* pModules)
{
    for (const pugi::xml_attribute& attr : node.attributes()) {
        if (m_bLimitHit)
            return;
        const char* pszPath = attr.value();
        if (!*pszPath)
            continue;
        // Every evaluation counts against the visit budget, so many attributes cannot multiply it.
        if (++m_nVisits > kMaxVisits) {
            m_bLimitHit = true;
            return;
        }
        if (std::strlen(pszPath) > static_cast<std::size_t>(kMaxPathLength)) {
            TRACE() << "panel description: reference" << attr.name() << "of" << node.name() << "is too long";
            continue;
        }
        pugi::xpath_node target;
        try {
            target = node.select_node(pszPath);
        } catch (const pugi::xpath_exception& e) {
            TRACE() << "panel description: reference" << attr.name() << "of" << node.name() << "is not a valid path:"
                    << e.what();
            continue;
        } catch (const std::bad_alloc&) {
            TRACE() << "panel description: reference" << attr.name() << "of" << node.name() << "is too costly";
            continue;
        }
        // Only element and document nodes have children; an attribute or text node selects nothing.
        if (target.node())
            LoadElementList(ChildNodes(target.node()), pParent, pModules);
    }
}

CVirtualDev* CPanelLoader::CreateItem(const pugi::xml_node& node, CVirtualDev* pParent, CModuleList* pModules)
{
    if (node.type() != pugi::node_element)
        return nullptr;
    const QString strTag = QString::fromUtf8(node.name());

    if (strTag == QLatin1String("DEVICEPANEL"))
        return ReadItemProperties(m_pRoot, node, strTag);
    if (strTag == QLatin1String("DEVICEMODULE"))
        return nullptr;

    if (strTag == QLatin1String("MODULE")) {
        auto pModule = std::make_unique<CModule>();
        if (!ReadItemProperties(pModule.get(), node, strTag))
            return nullptr;
        CModule* p = pModule.get();
        pModules->push_back(std::move(pModule));
        p->LoadBitmap();
        return p;
    }

    std::unique_ptr<CVirtualDev> pNew;
    if (strTag == QLatin1String("PANEL"))
        pNew = std::make_unique<CPanel>();
    else if (strTag == QLatin1String("PORT"))
        pNew = std::make_unique<CPort>();
    else if (strTag == QLatin1String("LAMP"))
        pNew = std::make_unique<CLamp>();
    else if (strTag == QLatin1String("SLOT"))
        pNew = std::make_unique<CSlot>();
    else if (strTag == QLatin1String("CONSOLE") || strTag == QLatin1String("MASTER") || strTag == QLatin1String("RPS")
             || strTag == QLatin1String("FAN"))
        pNew = std::make_unique<CCom>();
    else if (strTag == QLatin1String("POWER"))
        pNew = std::make_unique<CPower>();
    else if (strTag == QLatin1String("LED"))
        pNew = std::make_unique<CLed>();
    else
        return nullptr;
    if (!pParent)
        return nullptr;

    if (!ReadItemProperties(pNew.get(), node, strTag)) {
        if (strTag == QLatin1String("PANEL"))
            TRACE() << "panel description: PANEL" << GetChildText(node, "ID") << "has no WIDTH; its elements are not shown";
        return nullptr;
    }
    CVirtualDev* p = pNew.get();
    if (strTag == QLatin1String("PANEL")) {
        p->LoadBitmap();
        pParent->AddChild(std::move(pNew));
        return p;
    }
    if (strTag == QLatin1String("PORT"))
        static_cast<CPort*>(p)->SetPortNum(++m_nPorts);
    pParent->AddChild(std::move(pNew));
    if (strTag == QLatin1String("LAMP")) {
        auto* pLamp = static_cast<CLamp*>(p);
        pLamp->m_pOwner = pParent;
        if (pParent->IsKindOf("CPort") || pParent->IsKindOf("CCom"))
            pParent->GetSubject()->Attach(pLamp);
    }
    p->LoadBitmap();
    return p;
}

CVirtualDev* CPanelLoader::ReadItemProperties(CVirtualDev* pObject, const pugi::xml_node& node, const QString& strTag)
{
    if (!pObject)
        return nullptr;
    // ID, LEFT, TOP and HEIGHT are expected in every element; a missing one reads as empty or 0
    // and is reported, WIDTH decides whether the element is taken at all.
    for (const char* pszRequired : {"ID", "LEFT", "TOP", "HEIGHT"})
        if (!HasChild(node, pszRequired))
            TRACE() << "panel description:" << strTag << GetChildText(node, "ID") << "has no" << pszRequired;

    const QString strID = GetChildText(node, "ID");
    const bool bNoID = strID == QLatin1String("0");
    if (!bNoID)
        pObject->SetID(strID);

    const int nLeft = ToInt(GetChildText(node, "LEFT"));
    const int nTop = ToInt(GetChildText(node, "TOP"));
    if (bNoID && m_positionSink)
        m_positionSink(nLeft, nTop);

    if (!HasChild(node, "WIDTH"))
        return nullptr;
    const int nWidth = ToInt(GetChildText(node, "WIDTH"));
    const int nHeight = ToInt(GetChildText(node, "HEIGHT"));
    pObject->SetRect(nLeft, nTop, nWidth, nHeight);

    if (HasChild(node, "BMP"))
        pObject->SetBmpName(GetChildText(node, "BMP"));

    const bool bLamp = strTag == QLatin1String("LAMP");
    const bool bPort = strTag == QLatin1String("PORT");
    if (HasChild(node, "STATUS")) {
        const QString strStatus = GetChildText(node, "STATUS");
        if (bLamp)
            pObject->SetStatus(LampStateKeyword(strStatus, pObject->GetStatus()));
        else if (bPort)
            pObject->SetStatus(PortStateKeyword(strStatus, pObject->GetStatus()));
    }
    if (bLamp && HasChild(node, "TYPE")) {
        auto* pLamp = static_cast<CLamp*>(pObject);
        pLamp->SetType(LampTypeKeyword(GetChildText(node, "TYPE"), pLamp->GetType()));
    }
    if (HasChild(node, "NAME"))
        pObject->SetName(GetChildText(node, "NAME"));

    if (bPort) {
        static const char* const kPortBmp[5] = {"BMPLINK100", "BMPLINK10", "BMPDISABLE", "BMPENABLE", "BMPEMPTY"};
        auto* pPort = static_cast<CPort*>(pObject);
        for (int i = 0; i < 5; ++i) {
            const QString strName = GetChildText(node, kPortBmp[i]);
            if (!strName.isEmpty())
                pPort->SetPortBitmap(i, strName);
        }
    }
    if (strTag == QLatin1String("LED")) {
        auto* pLed = static_cast<CLed*>(pObject);
        for (int i = 0; i < 10; ++i) {
            const QString strName = GetChildText(node, QStringLiteral("BMP%1").arg(i).toLatin1().constData());
            if (!strName.isEmpty())
                pLed->SetLedBitmap(i, strName);
        }
    }
    return pObject;
}
