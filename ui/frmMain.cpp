#include "frmMain.h"

#include <algorithm>

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>

#include "Appearance.h"
#include "BatchDriver.h"
#include "BatchRunner.h"
#include "ConversionType.h"
#include "DocumentService.h"
#include "DropFrame.h"
#include "Error.h"
#include "ErrorNumbers.h"
#include "FileServices.h"
#include "HelpWindow.h"
#include "MessageBoxService.h"
#include "ProgressBar.h"
#include "Twips.h"
#include "frmReplace.h"

using mirado::ui::TwipsRect;

namespace {

using mirado::kErrorInvalidPropertyValue;

// The error a control raises for a value it cannot take.
[[noreturn]] void RefuseValue() { throw mirado::Error(kErrorInvalidPropertyValue, u"プロパティの値が無効です。"); }

// What the help button says when it cannot show the help.
QString HelpMissing() {
    return QStringLiteral("ヘルプのファイル「Readme.html」が見つかりません。作業フォルダー、プログラムのフォルダー、"
                          "インストール先のフォルダーのどこにもありません。Mirado をインストールし直してください。");
}

QString HelpUnreadable(const QString& path) {
    return QStringLiteral("ヘルプのファイル「%1」を開けません。ファイルを読み取れるか確認してください。")
        .arg(QDir::toNativeSeparators(path));
}

}  // namespace

frmMain::frmMain(QWidget* parent)
    : frmMain(mirado::MessageBoxService::Real(), mirado::DocumentService::Real(), parent) {}

frmMain::frmMain(mirado::MessageBoxService& messages, mirado::DocumentService& documents, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      mobjMessages(messages),
      mobjDocuments(documents) {
    setObjectName(QStringLiteral("frmMain"));
    setFont(mirado::ui::WindowFont());
    setWindowIcon(mirado::ui::ApplicationIcon());
    setFixedSize(312, 206);
    CreateControls();
    InitForm();
}

frmMain::~frmMain() = default;

void frmMain::CreateControls() {
    lblType = new QLabel(QStringLiteral("ファイル名をどのように変更しますか"), this);
    lblType->setObjectName(QStringLiteral("lblType"));
    lblType->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblType->setGeometry(TwipsRect(120, 120, 3255, 255));
    // A substitute face may be wider than the intended one: let the label
    // grow towards cmdHelp rather than cut its question short.
    const int widest = TwipsRect(0, 0, 4320 - 120 - 120, 0).width();  // up to 8 pixels before cmdHelp
    lblType->resize(std::clamp(lblType->sizeHint().width(), lblType->width(), widest), lblType->height());

    cboType = new QComboBox(this);
    cboType->setObjectName(QStringLiteral("cboType"));
    cboType->setEditable(false);
    cboType->setMaxVisibleItems(static_cast<int>(mirado::kConversionTypeTexts.size()));
    for (const std::u16string_view text : mirado::kConversionTypeTexts)
        cboType->addItem(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    cboType->setGeometry(TwipsRect(120, 360, 3495, 315));
    mirado::ui::NameAfterLabel(*lblType, *cboType);

    fraDrag = new mirado::ui::DropFrame(this);
    fraDrag->setObjectName(QStringLiteral("fraDrag"));
    fraDrag->setGeometry(TwipsRect(120, 840, 4455, 1815));

    lblDrag = new QLabel(QStringLiteral("ここにファイルをドラッグします"), fraDrag);
    lblDrag->setObjectName(QStringLiteral("lblDrag"));
    lblDrag->setAlignment(Qt::AlignCenter);
    lblDrag->setGeometry(TwipsRect(120, 960, 4215, 255));
    // A screen reader cannot see where to drop: it reads the frame's text
    // and what a drop there does.
    fraDrag->setAccessibleName(lblDrag->text());
    fraDrag->setAccessibleDescription(
        QStringLiteral("ここにドロップしたファイルを、選んだ種類の新しい名前で、元のファイルと同じ場所の"
                       "「_rename」フォルダーにコピーします。元のファイルは変更しません。"));

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
    cmdHelp->setAccessibleDescription(QStringLiteral("ヘルプ（Readme.html）を開きます。"));

    // A batch keeps the type chosen when it began: nothing the user does
    // while it runs takes effect, not even through assistive technology,
    // which changes the list without input events.
    mobjBatch = std::make_unique<mirado::ui::BatchRunner>(
        *this, *prgBar, [this](const std::vector<std::u16string>& files) {
            mintBatchType = cboType->currentIndex();
            mirado::ProcessFiles(*this, files);
            mintBatchType.reset();
        });

    QWidget::setTabOrder(cboType, cmdHelp);
    cboType->setFocus();

    connect(fraDrag, &mirado::ui::DropFrame::filesDropped, this, &frmMain::fraDrag_FilesDropped);
    connect(cmdHelp, &QPushButton::clicked, this, &frmMain::cmdHelp_Click);
}

void frmMain::InitForm() {
    setWindowTitle(mirado::ui::MainCaption());
    cboType->setCurrentIndex(0);
    mobjFSO = std::make_unique<mirado::FileServices>();
    mstrFind.clear();
    mstrReplace.clear();
}

void frmMain::TermForm() { mobjFSO.reset(); }

void frmMain::closeEvent(QCloseEvent* event) {
    TermForm();
    event->accept();
}

int frmMain::ConversionType() const { return mintBatchType.value_or(cboType->currentIndex()); }

void frmMain::SetProgressMax(int maximum) {
    if (maximum < 0) RefuseValue();
    mintProgressMax = maximum;
    prgBar->setRange(0, std::max(maximum, 1));
}

void frmMain::SetProgressValue(int value) {
    if (value < 0 || value > mintProgressMax) RefuseValue();
    mobjBatch->SetProgress(value);
}

mirado::FileServices& frmMain::Fso() {
    if (!mobjFSO) throw mirado::Error(kErrorInvalidPropertyValue, u"ウィンドウは既に閉じられています。");
    return *mobjFSO;
}

mirado::ReplaceAnswer frmMain::ShowReplaceDialog() {
    frmReplace dialog(this);
    dialog.exec();
    mirado::ReplaceAnswer answer;
    answer.Cancel = dialog.Cancel();
    if (!answer.Cancel) {
        answer.FindStr = dialog.FindStr().toStdU16String();
        answer.ReplaceStr = dialog.ReplaceStr().toStdU16String();
    }
    return answer;
}

void frmMain::ShowErrorReport(const std::u16string& text) {
    mobjMessages.ShowError(this, QString::fromStdU16String(text));
}

void frmMain::fraDrag_FilesDropped(const QList<QUrl>& urls) {
    // A closed window has released its file services and takes no batch.
    if (!mobjFSO) return;
    mobjBatch->Start(mirado::ui::DroppedPaths(urls));
}

void frmMain::cmdHelp_Click() {
    // When the desktop has no program that shows the read-me, or that
    // program fails, the read-me opens in a window of our own.
    const auto opened = mobjDocuments.Open(this, QStringLiteral("Readme.html"), [this](const QString& path) {
        if (!mirado::ui::HelpWindow::Show(this, path)) mobjMessages.ShowError(this, HelpUnreadable(path));
    });
    if (opened == mirado::DocumentService::Result::Missing) mobjMessages.ShowError(this, HelpMissing());
}
