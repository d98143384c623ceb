#include "MessageBoxService.h"

#include <QMessageBox>
#include <QPushButton>

namespace mirado {

std::unique_ptr<QMessageBox> CreateErrorBox(QWidget* owner, const QString& text) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, QString::fromLatin1(kApplicationTitle),
                                             text, QMessageBox::NoButton, owner);
    // The text is shown as it is: file names may contain "<" or "&".
    box->setTextFormat(Qt::PlainText);
    box->setWindowModality(Qt::ApplicationModal);
    QPushButton* ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    return box;
}

void MessageBoxService::ShowError(QWidget* owner, const QString& text) { CreateErrorBox(owner, text)->exec(); }

MessageBoxService& MessageBoxService::Real() {
    static MessageBoxService instance;
    return instance;
}

}  // namespace mirado
