#include "frmMain.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

#include "Announcer.h"
#include "Appearance.h"
#include "Batch.h"
#include "BatchEvents.h"
#include "BatchRunner.h"
#include "ConversionTypes.h"
#include "DocumentService.h"
#include "DropFrame.h"
#include "FileServices.h"
#include "FixedWindow.h"
#include "HelpWindow.h"
#include "InputBlocker.h"
#include "MessageBoxService.h"
#include "ProgressBar.h"
#include "Twips.h"
#include "TypeList.h"
#include "Utf.h"
#include "WaitingFiles.h"
#include "frmReplace.h"

using mirado::ui::TwipsRect;

namespace {

// What the help button says when it cannot show the help.
QString HelpMissing() {
    return QStringLiteral("ヘルプのファイル「Readme.html」が見つかりません。作業フォルダー、プログラムのフォルダー、"
                          "インストール先のフォルダーのどこにもありません。Mirado をインストールし直してください。");
}

QString HelpUnreadable(const QString& path) {
    return QStringLiteral("ヘルプのファイル「%1」を開けません。ファイルを読み取れるか確認してください。")
        .arg(QDir::toNativeSeparators(path));
}

// What a batch that ended well tells assistive technology: how many files
// it copied, and where; nothing after a failure (its box speaks), a stop or
// a cancelled dialog.
QString FinishedText(const mirado::BatchOutcome& outcome) {
    if (outcome.failed || outcome.stopped || outcome.copied == 0) return {};
    if (outcome.folders.size() == 1)
        return QStringLiteral("%1 個のファイルを「%2」にコピーしました。")
            .arg(outcome.copied)
            .arg(QString::fromStdU16String(mirado::DisplayText(outcome.folders.front())));
    return QStringLiteral("%1 個のファイルを %2 か所の「_rename」フォルダーにコピーしました。")
        .arg(outcome.copied)
        .arg(outcome.folders.size());
}

}  // namespace

frmMain::frmMain(QWidget* parent)
    : frmMain(mirado::MessageBoxService::Real(), mirado::DocumentService::Real(), parent) {}

frmMain::frmMain(mirado::MessageBoxService& messages, mirado::DocumentService& documents, QWidget* parent)
    : frmMain(messages, documents, std::make_unique<mirado::FileServices>(), nullptr, parent) {}

frmMain::frmMain(mirado::MessageBoxService& messages, mirado::DocumentService& documents, mirado::FileServices& files,
                 QWidget* parent)
    : frmMain(messages, documents, nullptr, &files, parent) {}

frmMain::frmMain(mirado::MessageBoxService& messages, mirado::DocumentService& documents,
                 std::unique_ptr<mirado::FileServices> own, mirado::FileServices* given, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      mobjMessages(messages),
      mobjDocuments(documents),
      mobjOwnFSO(std::move(own)),
      mobjFSO(given != nullptr ? *given : *mobjOwnFSO) {
    setObjectName(QStringLiteral("frmMain"));
    setFont(mirado::ui::WindowFont());
    setWindowIcon(mirado::ui::ApplicationIcon());
    setFixedSize(312, 206);
    CreateControls();
    InitForm();
    mirado::ui::RefuseMaximise(*this);
}

frmMain::~frmMain() = default;

void frmMain::CreateControls() {
    lblType = new QLabel(QStringLiteral("ファイル名をどのように変更しますか"), this);
    lblType->setObjectName(QStringLiteral("lblType"));
    lblType->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // As wide as it can be, up to 8 pixels before cmdHelp, not just the
    // 3255 twips its text takes in MS UI Gothic: Meiryo UI and Yu Gothic UI,
    // or a substitute face, draw the question wider.
    lblType->setGeometry(TwipsRect(120, 120, 4320 - 120 - 120, 255));

    cboType = new mirado::ui::TypeList(this);
    cboType->setObjectName(QStringLiteral("cboType"));
    cboType->setEditable(false);
    cboType->setMaxVisibleItems(static_cast<int>(mirado::kConversionTypes.size()));
    for (const mirado::ConversionType& type : mirado::kConversionTypes)
        cboType->addItem(QString::fromUtf16(type.label.data(), static_cast<qsizetype>(type.label.size())));
    cboType->setGeometry(TwipsRect(120, 360, 3495, 315));
    mirado::ui::NameAfterLabel(*lblType, *cboType);

    fraDrag = new mirado::ui::DropFrame(this);
    fraDrag->setObjectName(QStringLiteral("fraDrag"));
    fraDrag->setGeometry(TwipsRect(120, 840, 4455, 1815));

    lblDrag = new QLabel(QStringLiteral("ここにファイルをドラッグします"), fraDrag);
    lblDrag->setObjectName(QStringLiteral("lblDrag"));
    lblDrag->setAlignment(Qt::AlignCenter);
    lblDrag->setGeometry(TwipsRect(120, 960, 4215, 255));
    // The keyboard's way, beside the mouse's.
    lblPaste = new QLabel(QStringLiteral("または Ctrl+V で貼り付けます"), fraDrag);
    lblPaste->setObjectName(QStringLiteral("lblPaste"));
    lblPaste->setAlignment(Qt::AlignCenter);
    lblPaste->setGeometry(TwipsRect(120, 1275, 4215, 255));
    // A screen reader cannot see where to drop: it reads the frame's text
    // and what a drop or a paste there does.
    fraDrag->setAccessibleName(lblDrag->text());
    fraDrag->SetInstruction(
        QStringLiteral("ファイルをここにドロップするか、ファイル マネージャーでコピーしたファイルを Ctrl+V で貼り付けると、"
                       "選んだ種類の新しい名前で、元のファイルと同じ場所の「_rename」フォルダーにコピーします。"
                       "元のファイルは変更も移動もしません。"));

    prgBar = new mirado::ui::ProgressBar(this);
    prgBar->setObjectName(QStringLiteral("prgBar"));
    prgBar->setOrientation(Qt::Horizontal);
    prgBar->setTextVisible(false);
    prgBar->setRange(0, 100);
    prgBar->setValue(0);
    // Along the whole bottom edge; kept inside the client area so that its
    // border shows on every side.
    prgBar->setGeometry(TwipsRect(0, 2760, 4680, 3090 - 2760));
    prgBar->setAccessibleName(QStringLiteral("コピーの進行状況"));

    cmdHelp = new QPushButton(QStringLiteral("?"), this);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    cmdHelp->setAutoDefault(false);
    cmdHelp->setGeometry(TwipsRect(4320, 120, 255, 255));
    // Read by its purpose, not as a question mark.
    cmdHelp->setAccessibleName(QStringLiteral("ヘルプ"));
    cmdHelp->setAccessibleDescription(QStringLiteral("ヘルプ（Readme.html）を開きます。F1 キーでも開きます。"));
    auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);

    mobjInput = new mirado::ui::InputBlocker(*this);
    mobjWaiting = new mirado::ui::WaitingFiles(*fraDrag, *lblDrag, *lblPaste, *cboType, this);
    mobjAnnouncer = new mirado::ui::Announcer(*this);
    mobjBatch = new mirado::ui::BatchRunner(
        mobjFSO, [this](mirado::BatchRequest& request) { return AskForTexts(request); }, this);
    connect(mobjBatch, &mirado::ui::BatchRunner::progressMaximum, prgBar,
            [this](int maximum) { prgBar->setRange(0, std::max(maximum, 1)); });  // never a busy animation
    connect(mobjBatch, &mirado::ui::BatchRunner::progress, prgBar, &QProgressBar::setValue);
    connect(mobjBatch, &mirado::ui::BatchRunner::failed, this, &frmMain::BatchFailed);
    connect(mobjBatch, &mirado::ui::BatchRunner::finished, this, &frmMain::BatchFinished);

    QWidget::setTabOrder(cboType, fraDrag);
    QWidget::setTabOrder(fraDrag, cmdHelp);
    cboType->setFocus();

    connect(fraDrag, &mirado::ui::DropFrame::filesDropped, this, &frmMain::fraDrag_FilesDropped);
    connect(fraDrag, &mirado::ui::DropFrame::filesDropped, mobjWaiting, &mirado::ui::WaitingFiles::Release);
    connect(cboType, &mirado::ui::TypeList::confirmed, mobjWaiting, &mirado::ui::WaitingFiles::Start);
    connect(fraDrag, &mirado::ui::DropFrame::confirmed, mobjWaiting, &mirado::ui::WaitingFiles::Start);
    connect(cboType, &mirado::ui::TypeList::dismissed, mobjWaiting, &mirado::ui::WaitingFiles::Forget);
    connect(fraDrag, &mirado::ui::DropFrame::dismissed, mobjWaiting, &mirado::ui::WaitingFiles::Forget);
    connect(mobjWaiting, &mirado::ui::WaitingFiles::started, this, &frmMain::StartBatch);
    connect(mobjWaiting, &mirado::ui::WaitingFiles::told, mobjAnnouncer, &mirado::ui::Announcer::Announce);
    connect(fraDrag, &mirado::ui::DropFrame::told, mobjAnnouncer, &mirado::ui::Announcer::Announce);
    connect(cmdHelp, &QPushButton::clicked, this, &frmMain::cmdHelp_Click);
    connect(helpKey, &QShortcut::activated, this, &frmMain::cmdHelp_Click);
}

void frmMain::InitForm() {
    setWindowTitle(mirado::ui::MainCaption());
    cboType->setCurrentIndex(0);
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!mobjBatch->Busy()) {
        event->accept();
        return;
    }
    // The batch stops at its next piece of work; the window closes at its end.
    mblnCloseAfterBatch = true;
    mobjBatch->RequestStop();
    event->ignore();
}

void frmMain::EndSession() {
    // The dialogs first: a modal one would keep the window from closing.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (!modal->close()) break;
    }
    mblnCloseAfterBatch = true;
    mobjBatch->StopAndWait();
    close();
}

bool frmMain::AskForTexts(mirado::BatchRequest& request) {
    const mirado::ConversionType* type = mirado::FindConversionType(request.type);
    if (type == nullptr || !type->asksForTexts) return true;
    frmReplace dialog(this);
    dialog.exec();
    if (dialog.Cancel()) return false;
    request.texts = {dialog.FindStr().toStdU16String(), dialog.ReplaceStr().toStdU16String()};
    return true;
}

void frmMain::BatchFailed(const QString& report) {
    // A window on its way out shows no box that nobody may be there to close.
    if (!mblnCloseAfterBatch) mobjMessages.ShowError(this, report);
}

void frmMain::BatchFinished(const mirado::BatchOutcome& outcome) {
    mobjInput->SetActive(false);
    // Heard at once where the paste was made, the focused frame; after a
    // drop with the mouse, on the frame and on the bar that told the
    // progress, where a screen reader's user looks for it.
    const QString result = FinishedText(outcome);
    fraDrag->SetStatus(result);
    prgBar->setAccessibleDescription(result);
    if (mblnCloseAfterBatch) close();
}

void frmMain::HoldFiles(std::vector<std::u16string> paths) { mobjWaiting->Hold(std::move(paths)); }

void frmMain::fraDrag_FilesDropped(const QList<QUrl>& urls) { StartBatch(mirado::ui::DroppedPaths(urls)); }

void frmMain::StartBatch(const std::vector<std::u16string>& paths) {
    // The type is the one chosen at the drop (or the Enter), whatever
    // happens to the list while the batch runs.
    if (mobjBatch->Take({paths, cboType->currentIndex(), {}})) mobjInput->SetActive(true);
}

void frmMain::cmdHelp_Click() {
    // When the desktop has no program that shows the read-me, or that
    // program fails, the read-me opens in a window of our own.
    const auto opened = mobjDocuments.Open(this, QStringLiteral("Readme.html"), [this](const QString& path) {
        if (!mirado::ui::HelpWindow::Show(this, path)) mobjMessages.ShowError(this, HelpUnreadable(path));
    });
    if (opened == mirado::DocumentService::Result::Missing) mobjMessages.ShowError(this, HelpMissing());
}
