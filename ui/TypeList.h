#pragma once

#include <QComboBox>

namespace mirado::ui {

// The list of conversion types. Enter and Esc on the closed list, which a
// combo box leaves unused, are reported; on the open list they only choose
// or close it, as always.
class TypeList : public QComboBox {
    Q_OBJECT

public:
    explicit TypeList(QWidget* parent = nullptr);

    void hidePopup() override;

signals:
    void confirmed();  // Enter
    void dismissed();  // Esc

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool closing_ = false;
};

}  // namespace mirado::ui
