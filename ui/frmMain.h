#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QList>
#include <QUrl>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace mirado {
class DocumentService;
class FileServices;
class MessageBoxService;
struct BatchOutcome;
struct BatchRequest;
namespace ui {
class Announcer;
class BatchRunner;
class DropFrame;
class InputBlocker;
class TypeList;
class WaitingFiles;
}  // namespace ui
}  // namespace mirado

// The main window: the list of conversion types, the drop frame, the
// progress bar and the help button. A drop, or a paste of copied files on
// the frame, becomes a batch request with the type chosen at that moment; the batch runs on a thread of its own while
// the window shows its progress, takes no input for itself, and answers
// the window system. A close during a batch stops it: the copy in
// progress goes, the finished ones stay, and the window closes at its end.
// Files the program was started with wait until the user starts them with
// the chosen type, as a drop of them.
class frmMain : public QWidget {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
    // With the services that show error boxes, open the read-me and copy.
    frmMain(mirado::MessageBoxService& messages, mirado::DocumentService& documents, QWidget* parent = nullptr);
    frmMain(mirado::MessageBoxService& messages, mirado::DocumentService& documents, mirado::FileServices& files,
            QWidget* parent = nullptr);
    ~frmMain() override;

    // Ends the program now, as the system asks when the session ends: the
    // dialogs of this window are closed, a running batch is stopped and
    // waited for, and the window closes.
    void EndSession();

    // The files wait in the window, as the program was started with them;
    // none change nothing.
    void HoldFiles(std::vector<std::u16string> paths);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    frmMain(mirado::MessageBoxService& messages, mirado::DocumentService& documents,
            std::unique_ptr<mirado::FileServices> own, mirado::FileServices* given, QWidget* parent);
    void CreateControls();
    void InitForm();
    void fraDrag_FilesDropped(const QList<QUrl>& urls);
    void StartBatch(const std::vector<std::u16string>& paths);
    void cmdHelp_Click();
    bool AskForTexts(mirado::BatchRequest& request);
    void BatchFailed(const QString& report);
    void BatchFinished(const mirado::BatchOutcome& outcome);

    mirado::MessageBoxService& mobjMessages;
    mirado::DocumentService& mobjDocuments;
    std::unique_ptr<mirado::FileServices> mobjOwnFSO;  // when none was given
    mirado::FileServices& mobjFSO;

    QLabel* lblType = nullptr;
    mirado::ui::TypeList* cboType = nullptr;
    mirado::ui::DropFrame* fraDrag = nullptr;
    QLabel* lblDrag = nullptr;
    QLabel* lblPaste = nullptr;
    QProgressBar* prgBar = nullptr;
    QPushButton* cmdHelp = nullptr;

    mirado::ui::BatchRunner* mobjBatch = nullptr;
    mirado::ui::InputBlocker* mobjInput = nullptr;
    mirado::ui::WaitingFiles* mobjWaiting = nullptr;
    mirado::ui::Announcer* mobjAnnouncer = nullptr;
    bool mblnCloseAfterBatch = false;
};
