// Helpers of the main-window tests: a window on a model kit, with the shared Qt test helpers.
#pragma once

#include "app/ModuleDlg.h"
#include "core/Settings.h"

#include "AgentSettings.h"
#include "Agents.h"
#include "QtSupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace mainwintest {

using tqxtest::App;
using tqxtest::TraceRecorder;
using tqxtest::UseAgent;
using tqxtest::WaitFor;

inline QString KitDir(const std::string& model)
{
    return QStringLiteral(TQX_SOURCE_DIR "/models/") + QString::fromStdString(model);
}

// The working folder is the kit's while a window on it lives (the panel pictures are found there).
class KitFolder {
public:
    explicit KitFolder(const std::string& model) : m_old(QDir::currentPath()) { QDir::setCurrent(KitDir(model)); }
    ~KitFolder() { QDir::setCurrent(m_old); }

private:
    QString m_old;
};

} // namespace mainwintest
