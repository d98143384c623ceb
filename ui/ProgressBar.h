#pragma once

#include <QProgressBar>

namespace mirado::ui {

// The window's progress bar. QProgressBar works out the text it could show
// (the format filled in with the value, in the user's locale) for every
// value it is given, to decide whether to repaint; a batch gives it one
// value a file. This bar shows no text, so it has none to work out.
// Assistive technology reads the value itself, not this text.
class ProgressBar : public QProgressBar {
    Q_OBJECT

public:
    using QProgressBar::QProgressBar;

    QString text() const override;
};

}  // namespace mirado::ui
