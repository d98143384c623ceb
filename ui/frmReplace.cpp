#include "frmReplace.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "Appearance.h"
#include "Twips.h"

using mirado::ui::TwipsRect;

frmReplace::frmReplace(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmReplace"));
    setWindowTitle(QStringLiteral("置換"));
    setFont(mirado::ui::WindowFont());
    setModal(true);
    setFixedSize(312, 126);
    CreateControls();
    InitFields();
}

void frmReplace::CreateControls() {
    lblFind = new QLabel(QStringLiteral("検索する文字列:"), this);
    lblFind->setObjectName(QStringLiteral("lblFind"));
    lblFind->setGeometry(TwipsRect(240, 300, 1695, 255));

    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setGeometry(TwipsRect(2040, 240, 2355, 285));
    mirado::ui::NameAfterLabel(*lblFind, *txtFind);

    lblReplace = new QLabel(QStringLiteral("置換後の文字列:"), this);
    lblReplace->setObjectName(QStringLiteral("lblReplace"));
    lblReplace->setGeometry(TwipsRect(240, 780, 1695, 255));

    txtReplace = new QLineEdit(this);
    txtReplace->setObjectName(QStringLiteral("txtReplace"));
    txtReplace->setGeometry(TwipsRect(2040, 720, 2355, 285));
    mirado::ui::NameAfterLabel(*lblReplace, *txtReplace);

    fraButton = new QFrame(this);
    fraButton->setObjectName(QStringLiteral("fraButton"));
    fraButton->setFrameShape(QFrame::NoFrame);
    fraButton->setGeometry(TwipsRect(2160, 1320, 2295, 375));

    cmdOK = new QPushButton(QStringLiteral("OK"), fraButton);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(TwipsRect(0, 0, 1095, 375));
    cmdOK->setDefault(true);

    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), fraButton);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(TwipsRect(1200, 0, 1095, 375));
    cmdCancel->setAutoDefault(false);

    QWidget::setTabOrder(txtFind, txtReplace);
    QWidget::setTabOrder(txtReplace, cmdOK);
    QWidget::setTabOrder(cmdOK, cmdCancel);
    txtFind->setFocus();

    // Escape and the title bar's close box reject the dialog as cmdCancel does.
    connect(cmdOK, &QPushButton::clicked, this, &frmReplace::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmReplace::InitFields() {
    SetCancel(true);
    SetFindStr(QString());
    SetReplaceStr(QString());
}

void frmReplace::cmdOK_Click() {
    SetFindStr(txtFind->text());
    SetReplaceStr(txtReplace->text());
    SetCancel(false);
    accept();
}
