#include <QApplication>

#include "Appearance.h"
#include "frmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    mirado::ui::PrepareApplication(app);
    frmMain window;
    window.show();
    return app.exec();
}
