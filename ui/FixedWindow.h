#pragma once

class QWidget;

namespace mirado::ui {

// Keeps a window of a fixed size from being maximised by requests that
// bypass its buttons: on Windows a SC_MAXIMIZE sent by another program (or
// by the window system for a double click on the caption) would otherwise
// mark it zoomed and move it to the screen's corner. Qt hands that command
// to the system before any event filter sees it, so the window's own
// procedure is wrapped. Elsewhere this does nothing.
void RefuseMaximise(QWidget& window);

}  // namespace mirado::ui
