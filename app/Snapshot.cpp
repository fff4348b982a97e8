#include "app/Snapshot.h"

#include "app/ModuleDlg.h"
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

// A device that never answers still ends its first walk with an error; this bounds the wait anyway.
constexpr int kFirstPollWaitMs = 30000;

void SnapshotSoon(QWidget* window, int ms)
{
    QPointer<QWidget> guarded = window;
    QTimer::singleShot(ms, window, [guarded] {
        if (guarded)
            TakeSnapshot(guarded);
    });
}

// Waits for the first show of the window, then for its first poll, and lets the paint happen before
// grabbing.
class CSnapshotFilter : public QObject {
public:
    explicit CSnapshotFilter(QWidget* window) : QObject(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched == parent()) {
            auto* window = static_cast<QWidget*>(watched);
            auto* dlg = qobject_cast<CModuleDlg*>(window);
            if (dlg && dlg->IsPolling() && dlg->PollCount() == 0) {
                QObject::connect(dlg, &CModuleDlg::pollApplied, dlg, [dlg] { SnapshotSoon(dlg, 100); },
                                 Qt::SingleShotConnection);
                SnapshotSoon(window, kFirstPollWaitMs);
            } else {
                SnapshotSoon(window, 200);
            }
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
