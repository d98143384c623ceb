#include "ProgressBar.h"

namespace mirado::ui {

QString ProgressBar::text() const { return isTextVisible() ? QProgressBar::text() : QString(); }

}  // namespace mirado::ui
