// Fuzz target: a panel description read into the object tree, then the tree driven as the main
// window and the poller drive it.
#include "panel/Launcher.h"
#include "panel/PanelLoader.h"

#include <QByteArray>
#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("tqx.trace=false"));
    // A console click must never start a program while fuzzing.
    CLauncher::SetTelnetHandler([](const QString&) { return true; });
    CPort::SetClickHook([](int) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CDevModule root;
    CModuleList modules;
    int nPositions = 0;
    CPanelLoader loader([&](int, int) { ++nPositions; });
    loader.LoadFromData(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), &root, &modules);

    ResetPanelPorts(root);
    for (const auto& pModule : modules)
        pModule->ResetPorts();
    for (int i = 0; i < 4; ++i)
        if (CVirtualDev* pPort = root.FindNthChild("CPort", i))
            static_cast<CPort*>(pPort)->SetPortStatus(i % 3);
    const QRect rc = root.GetRect();
    root.OnMouseMove(rc.center().x(), rc.center().y());
    root.OnClick(rc.center().x(), rc.center().y());
    root.RedrawDirty();
    root.DrawChildren();
    return 0;
}
