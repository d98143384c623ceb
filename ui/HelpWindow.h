#pragma once

#include <QWidget>

class QTextBrowser;

namespace mirado::ui {

// The read-me in a window of the program's own, for when the desktop has no
// program that shows it. Qt renders the read-me's HTML itself.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    // Shows the HTML file at path in owner's help window, which is made on
    // first use and raised afterwards. False, showing nothing, when the
    // file cannot be read.
    static bool Show(QWidget* owner, const QString& path);

private:
    explicit HelpWindow(QWidget* owner);

    QTextBrowser* mobjBrowser = nullptr;
};

}  // namespace mirado::ui
