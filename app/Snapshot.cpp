#include "app/Snapshot.h"

#include "app/Trace.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

bool g_bSnapshotTaken = false;

QString SnapshotFile()
{
    return qEnvironmentVariable("TQX_SNAPSHOT");
}

// Waits for the first show of the window, then lets its first paint happen before grabbing.
class CSnapshotFilter : public QObject {
public:
    explicit CSnapshotFilter(QWidget* window) : QObject(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched == parent()) {
            QPointer<QWidget> window = static_cast<QWidget*>(watched);
            QTimer::singleShot(200, window, [window] {
                if (window)
                    TakeSnapshot(window);
            });
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

} // namespace

void ArmSnapshot(QWidget* window)
{
    if (!window || SnapshotFile().isEmpty())
        return;
    window->installEventFilter(new CSnapshotFilter(window));
}

bool TakeSnapshot(QWidget* window)
{
    const QString file = SnapshotFile();
    if (!window || file.isEmpty() || g_bSnapshotTaken)
        return false;
    g_bSnapshotTaken = true;
    if (window->grab().save(file, "PNG"))
        std::fprintf(stderr, "snapshot written to %s\n", qPrintable(file));
    else
        std::fprintf(stderr, "cannot write snapshot %s\n", qPrintable(file));
    std::fflush(stderr);
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        window->close();
    return true;
}
