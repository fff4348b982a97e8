#include "pages/common/MessageBox.h"

#include "core/Trace.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <mutex>

namespace {

std::mutex g_handlerMutex;
MessageBoxHandler g_handler;

MessageBoxHandler CurrentHandler()
{
    std::lock_guard lock(g_handlerMutex);
    return g_handler;
}

bool NoDisplay()
{
    return QGuiApplication::platformName() == QLatin1String("offscreen");
}

QMessageBox::Icon BoxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void SetMessageBoxHandler(MessageBoxHandler handler)
{
    std::lock_guard lock(g_handlerMutex);
    g_handler = std::move(handler);
}

void AppMessageBox(const QString& text, QWidget* parent, MsgIcon icon)
{
    if (const MessageBoxHandler handler = CurrentHandler()) {
        handler(CMessageBoxRequest{false, icon, text});
        return;
    }
    TRACE() << "message:" << text;
    if (NoDisplay())
        return;
    QMessageBox box(BoxIcon(icon), QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool AppQuestionBox(const QString& text, QWidget* parent)
{
    if (const MessageBoxHandler handler = CurrentHandler())
        return handler(CMessageBoxRequest{true, MsgIcon::None, text});
    if (NoDisplay()) {
        TRACE() << "question (no display, cancelled):" << text;
        return false;
    }
    QMessageBox box(QMessageBox::Question, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}
