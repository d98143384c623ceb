#pragma once

#include <QFont>
#include <QString>

class QApplication;
class QCoreApplication;
class QLabel;
class QWidget;

namespace mirado::ui {

// "Mirado Ver. " and the program's version, major.minor.patch.
QString MainCaption();

// The font of both windows: "MS UI Gothic" 9.75 pt, with Japanese faces that
// stand in for it where it is not installed.
QFont WindowFont();

// The program's icon, a rolled sheet of ruled paper with a pencil.
QIcon ApplicationIcon();

// Ties label to control as its buddy and names control after the label's
// text for screen readers, without a trailing colon, which a screen reader
// would read out. The buddy alone does not name the control in every Qt
// version.
void NameAfterLabel(QLabel& label, QWidget& control);

// Loads Qt's own Japanese texts (context menus, standard dialogs). Returns
// false when the translation file is not installed.
bool InstallQtTranslations(QCoreApplication& app);

// Everything the program sets up before its first window: names, font,
// icon and translations.
void PrepareApplication(QApplication& app);

}  // namespace mirado::ui
