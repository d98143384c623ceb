#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QList>
#include <QUrl>
#include <QWidget>

#include "BatchWindow.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace mirado {
class DocumentService;
class FileServices;
class MessageBoxService;
namespace ui {
class BatchRunner;
class DropFrame;
}
}  // namespace mirado

// The main window: the list of conversion types, the drop frame, the
// progress bar and the help button. It holds what the batch engine reads and
// writes between drops and hands every drop to the engine unchanged, through
// a BatchRunner that answers the drop first and keeps the window alive but
// still while the batch runs.
class frmMain : public QWidget, public mirado::BatchWindow {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
    // With the services that show error boxes and open the read-me.
    frmMain(mirado::MessageBoxService& messages, mirado::DocumentService& documents, QWidget* parent = nullptr);
    ~frmMain() override;

    // What the batch engine sees of the window.
    int ConversionType() const override;
    void SetProgressMax(int maximum) override;
    void SetProgressValue(int value) override;
    const std::u16string& GetFind() const override { return mstrFind; }
    void SetFind(const std::u16string& text) override { mstrFind = text; }
    const std::u16string& GetReplace() const override { return mstrReplace; }
    void SetReplace(const std::u16string& text) override { mstrReplace = text; }
    mirado::FileServices& Fso() override;
    mirado::ReplaceAnswer ShowReplaceDialog() override;
    void ShowErrorReport(const std::u16string& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void InitForm();
    void TermForm();
    void fraDrag_FilesDropped(const QList<QUrl>& urls);
    void cmdHelp_Click();

    mirado::MessageBoxService& mobjMessages;
    mirado::DocumentService& mobjDocuments;

    QLabel* lblType = nullptr;
    QComboBox* cboType = nullptr;
    mirado::ui::DropFrame* fraDrag = nullptr;
    QLabel* lblDrag = nullptr;
    QProgressBar* prgBar = nullptr;
    QPushButton* cmdHelp = nullptr;

    // Runs each drop's batch; made after the controls it works with.
    std::unique_ptr<mirado::ui::BatchRunner> mobjBatch;
    std::unique_ptr<mirado::FileServices> mobjFSO;
    std::u16string mstrFind;
    std::u16string mstrReplace;
    // The maximum the batch engine set; the bar itself never gets an empty
    // range, which it would show as a busy animation.
    int mintProgressMax = 100;
    // The type chosen when the running batch began, if one runs.
    std::optional<int> mintBatchType;
};
