// TQX_SNAPSHOT=FILE.png: once the main window has been shown, it is grabbed to FILE.png; on the
// offscreen platform the window is then closed so that the program ends by itself.
#pragma once

class QWidget;

// Arms the snapshot for window when TQX_SNAPSHOT is set; does nothing otherwise.
void ArmSnapshot(QWidget* window);

// Grabs window to the TQX_SNAPSHOT file now (once per process) and closes it on the offscreen
// platform. Returns false when no snapshot is asked for or it was already taken.
bool TakeSnapshot(QWidget* window);
