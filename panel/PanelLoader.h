// Reads the panel description XML into the panel object tree and the module list.
#pragma once

#include "panel/VirtualDev.h"

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

#include <functional>
#include <vector>

class CPanelLoader {
public:
    // Receives (LEFT, TOP) of every element whose ID is "0", in reading order. By default they go
    // to the position table of the bitmap store.
    using PositionSink = std::function<void(int nLeft, int nTop)>;

    CPanelLoader();
    explicit CPanelLoader(PositionSink sink);

    // Builds the tree under pRoot and appends MODULE objects to pModules. A missing or malformed
    // file leaves both as they are. True when both tag searches ran.
    bool Load(const QString& strFileName, CDevModule* pRoot, CModuleList* pModules);
    // The same from a description held in memory (the file's bytes).
    bool LoadFromData(const QByteArray& data, CDevModule* pRoot, CModuleList* pModules);

    // Processes a node list, in order, with pParent as the parent of the objects made.
    void LoadElementList(const std::vector<pugi::xml_node>& nodes, CVirtualDev* pParent, CModuleList* pModules);
    // The object made for one element: a new object (already attached), the root for DEVICEPANEL,
    // or none.
    CVirtualDev* CreateItem(const pugi::xml_node& node, CVirtualDev* pParent, CModuleList* pModules);
    // Fills pObject from the element's property elements; none when the element has no WIDTH.
    CVirtualDev* ReadItemProperties(CVirtualDev* pObject, const pugi::xml_node& node, const QString& strTag);
    // Text content of the first child element named strTag; empty when there is none.
    static QString GetChildText(const pugi::xml_node& node, const char* pszTag);
    // Text content of a node: every text and CDATA node below it, in document order.
    static QString TextContent(const pugi::xml_node& node);
    static bool HasChild(const pugi::xml_node& node, const char* pszTag);

    // Limits that keep a hostile description (reference cycles, exponential fan-out) bounded.
    static constexpr int kMaxDepth = 64;
    static constexpr int kMaxVisits = 20000;
    static constexpr int kMaxPathLength = 1024;

    int GetPortCount() const { return m_nPorts; }
    bool HitLimit() const { return m_bLimitHit; }

private:
    bool LoadDocument(const pugi::xml_document& doc, CDevModule* pRoot, CModuleList* pModules);
    void FollowReferences(const pugi::xml_node& node, CVirtualDev* pParent, CModuleList* pModules);

    PositionSink m_positionSink;
    CDevModule* m_pRoot = nullptr;
    int m_nDepth = 0;
    int m_nVisits = 0;
    int m_nPorts = 0;
    bool m_bLimitHit = false;
};
