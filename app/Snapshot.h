// TQX_SNAPSHOT=FILE.png: the main window is grabbed to FILE.png once it shows the device: after the
// first poll of the panel has been applied (or has failed), or, for a window without a poller, after
// its first show. On the offscreen platform the window is then closed so that the program ends.
// TQX_SNAPSHOT_PAGE=ID=PAGE.png: after that, the menu command ID opens its page, which is grabbed
// to PAGE.png once it has had two seconds to read the device, and closed.
#pragma once

class QWidget;

// Arms the snapshot for window when TQX_SNAPSHOT is set; does nothing otherwise.
void ArmSnapshot(QWidget* window);

// Grabs window to the TQX_SNAPSHOT file now (once per process) and closes it on the offscreen
// platform. Returns false when no snapshot is asked for or it was already taken.
bool TakeSnapshot(QWidget* window);
