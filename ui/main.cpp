#include <QApplication>
#include <QSessionManager>

#include "Appearance.h"
#include "TerminationSignals.h"
#include "frmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    mirado::ui::PrepareApplication(app);
    frmMain window;
    // The end of the session and a request to terminate end a running batch
    // as the close box does, leaving no partial copy.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager&) {
        window.EndSession();
    });
    mirado::TerminationSignals termination;
    QObject::connect(&termination, &mirado::TerminationSignals::requested, &window, &frmMain::EndSession);
    window.show();
    return app.exec();
}
