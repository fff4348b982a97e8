#include "app/Snapshot.h"

#include "app/ModuleDlg.h"
#include "core/Trace.h"
#include "pages/common/PageDlg.h"

#include <QApplication>

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
// Time a page gets to read the device before it is grabbed.
constexpr int kPageReadMs = 2000;

void SaveGrab(QWidget* window, const QString& file)
{
    if (window->grab().save(file, "PNG"))
        std::fprintf(stderr, "snapshot written to %s\n", qPrintable(file));
    else
        std::fprintf(stderr, "cannot write snapshot %s\n", qPrintable(file));
    std::fflush(stderr);
}

// Grabs the first page that shows, once it has read the device, and closes it.
class CPageSnapshotFilter : public QObject {
public:
    explicit CPageSnapshotFilter(QString file) : m_file(std::move(file)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* pPage = qobject_cast<CPageDlg*>(watched);
        if (event->type() == QEvent::Show && pPage && !m_bSeen) {
            m_bSeen = true;
            QPointer<CPageDlg> guarded = pPage;
            const QString file = m_file;
            QTimer::singleShot(kPageReadMs, pPage, [guarded, file] {
                if (!guarded)
                    return;
                SaveGrab(guarded, file);
                guarded->reject();
            });
        }
        return false;
    }

private:
    QString m_file;
    bool m_bSeen = false;
};

// The page of TQX_SNAPSHOT_PAGE ("ID=FILE"): false when none is asked for.
bool PageSnapshotRequest(int& nCommand, QString& file)
{
    const QString request = qEnvironmentVariable("TQX_SNAPSHOT_PAGE");
    const qsizetype n = request.indexOf(QLatin1Char('='));
    if (n <= 0)
        return false;
    bool ok = false;
    nCommand = request.left(n).toInt(&ok);
    file = request.mid(n + 1);
    return ok && !file.isEmpty();
}

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
    SaveGrab(window, file);
    const bool bOffscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    int nCommand = 0;
    QString pageFile;
    auto* dlg = qobject_cast<CModuleDlg*>(window);
    if (dlg && PageSnapshotRequest(nCommand, pageFile)) {
        // Open the page as the menu would; the filter grabs and closes it, then the window ends.
        QPointer<CModuleDlg> guarded = dlg;
        QTimer::singleShot(0, dlg, [guarded, nCommand, pageFile, bOffscreen] {
            if (!guarded)
                return;
            CPageSnapshotFilter filter(pageFile);
            qApp->installEventFilter(&filter);
            if (!guarded->FindCommand(nCommand) || !guarded->OnCommand(nCommand))
                std::fprintf(stderr, "no page for command %d\n", nCommand);
            qApp->removeEventFilter(&filter);
            if (guarded && bOffscreen)
                guarded->close();
        });
        return true;
    }
    if (bOffscreen)
        window->close();
    return true;
}
