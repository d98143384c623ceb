#pragma once

#include <QFont>
#include <QString>

class QApplication;
class QCoreApplication;

namespace mirado::ui {

// "Mirado Ver. " and the program's version, major.minor.patch.
QString MainCaption();

// The font of both windows: "MS UI Gothic" 9.75 pt, with Japanese faces that
// stand in for it where it is not installed.
QFont WindowFont();

// The program's icon, a rolled sheet of ruled paper with a pencil.
QIcon ApplicationIcon();

// Loads Qt's own Japanese texts (context menus, standard dialogs). Returns
// false when the translation file is not installed.
bool InstallQtTranslations(QCoreApplication& app);

// Everything the program sets up before its first window: names, font,
// icon and translations.
void PrepareApplication(QApplication& app);

}  // namespace mirado::ui
