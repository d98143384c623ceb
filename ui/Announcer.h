#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace mirado {
class SystemCalls;
}  // namespace mirado

namespace mirado::ui {

// Tells screen readers a line at once, from a window. On Linux a changed
// description of the focused control reaches Orca, so nothing more is
// needed there. On Windows, Qt's UI Automation bridge raises no event for a
// changed description, so the line goes as a UI Automation notification
// (Windows 10 1709 and later; nothing on older Windows). A line meant for a
// window that is not yet active is told once it is: screen readers pass
// over what a background window says.
class Announcer : public QObject {
    Q_OBJECT

public:
    explicit Announcer(QWidget& window);
#ifdef _WIN32
    Announcer(QWidget& window, SystemCalls& calls);
#endif

    void Announce(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Raise(const QString& text);

    QWidget& window_;
    SystemCalls* calls_ = nullptr;
    QString pending_;
};

}  // namespace mirado::ui
