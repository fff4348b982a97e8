#include "app/MessageBox.h"

#include "app/Trace.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace {
AppMessageBoxHandler& Handler()
{
    static AppMessageBoxHandler handler;
    return handler;
}
} // namespace

void AppMessageBox(const QString& text, QWidget* parent)
{
    if (Handler()) {
        Handler()(text);
        return;
    }
    TRACE() << "message:" << text;
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.exec();
}

void SetAppMessageBoxHandler(AppMessageBoxHandler handler)
{
    Handler() = std::move(handler);
}
