#include "Appearance.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QLibraryInfo>
#include <QTranslator>

#include "MessageBoxService.h"
#include "MiradoVersion.h"

namespace mirado::ui {

QString MainCaption() {
    return QStringLiteral("%1 Ver. %2.%3.%4")
        .arg(QString::fromLatin1(kApplicationTitle))
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionPatch);
}

QFont WindowFont() {
    static const bool substituted = [] {
        QFont::insertSubstitutions(QStringLiteral("MS UI Gothic"),
                                   {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"),
                                    QStringLiteral("VL Gothic")});
        return true;
    }();
    (void)substituted;
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPointSizeF(9.75);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QIcon ApplicationIcon() { return QIcon(QStringLiteral(":/mirado.png")); }

void NameAfterLabel(QLabel& label, QWidget& control) {
    label.setBuddy(&control);
    const QString text = label.text();
    control.setAccessibleName(text.endsWith(u':') ? text.chopped(1) : text);
}

bool InstallQtTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void PrepareApplication(QApplication& app) {
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QGuiApplication::setDesktopFileName(QStringLiteral("jp.mirado.Mirado"));
    QApplication::setFont(WindowFont());
    QApplication::setWindowIcon(ApplicationIcon());
    InstallQtTranslations(app);
}

}  // namespace mirado::ui
