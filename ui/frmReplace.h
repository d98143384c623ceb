#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// The modal dialog that asks for the text to find and its replacement. It
// does nothing with the texts: whoever shows it reads Cancel, FindStr and
// ReplaceStr once it has been closed.
class frmReplace : public QDialog {
    Q_OBJECT

public:
    explicit frmReplace(QWidget* parent = nullptr);

    // True unless the user confirmed with OK.
    bool Cancel() const { return mblnCancel; }

    const QString& FindStr() const { return mstrFind; }
    void SetFindStr(const QString& vstrFind) { mstrFind = vstrFind; }
    const QString& ReplaceStr() const { return mstrReplace; }
    void SetReplaceStr(const QString& vstrReplace) { mstrReplace = vstrReplace; }

private:
    void CreateControls();
    void InitFields();
    void SetCancel(bool vblnCancel) { mblnCancel = vblnCancel; }
    void cmdOK_Click();

    QLabel* lblFind = nullptr;
    QLineEdit* txtFind = nullptr;
    QLabel* lblReplace = nullptr;
    QLineEdit* txtReplace = nullptr;
    QFrame* fraButton = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    bool mblnCancel = true;
    QString mstrFind;
    QString mstrReplace;
};
