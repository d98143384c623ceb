#pragma once

#include <memory>

#include <QString>

class QMessageBox;
class QWidget;

namespace mirado {

// The application title: the start of the main window's caption and the
// caption of every error box.
inline constexpr char kApplicationTitle[] = "Mirado";

// The modal error box. The base class shows a real one; tests derive from it
// to record the texts instead of waiting for a user.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;

    // Shows text in a modal box with the critical icon, one "OK" button and
    // the caption "Mirado", and returns when the user has closed it.
    virtual void ShowError(QWidget* owner, const QString& text);

    // The process-wide instance that shows real boxes.
    static MessageBoxService& Real();
};

// The error box that ShowError shows, built but not yet shown.
std::unique_ptr<QMessageBox> CreateErrorBox(QWidget* owner, const QString& text);

}  // namespace mirado
