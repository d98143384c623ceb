// A stand-in for the file manager in scripted sessions under a real X
// server: a small window that starts a drag of the files named on its
// command line as soon as the mouse is pressed on it, offering copy and
// move as file managers do, and prints the action the drop target chose.
//
//   mirado_drag_source FILE...            drags these files
//   mirado_drag_source --files-in FOLDER  drags every file in FOLDER, by name
//
// It also prints when the drop was finished from its side: Qt ends a drag
// that left this program when the target sends its "finished" answer, and
// only then deletes the drag object. A file manager that waits for that
// answer is stuck for as long as the target takes to give it.
#include <chrono>
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace {

// Nanoseconds on the system's monotonic clock, which other programs on this
// computer can compare with theirs.
long long Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class DragSource : public QLabel {
public:
    explicit DragSource(QList<QUrl> urls) : QLabel(QStringLiteral("ドラッグ元")), urls_(std::move(urls)) {
        setAlignment(Qt::AlignCenter);
        setWindowTitle(QStringLiteral("drag-source"));
        setFixedSize(160, 80);
    }

protected:
    void mousePressEvent(QMouseEvent* /*event*/) override {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(urls_);
        drag->setMimeData(data);
        long long* dropped = &dropped_;
        QObject::connect(drag, &QObject::destroyed, [dropped] {
            const long long finished = Now();
            std::printf("drop finished at %lld ns, %.1f ms after the drop\n", finished,
                        static_cast<double>(finished - *dropped) / 1e6);
            std::fflush(stdout);
        });
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
        dropped_ = Now();
        std::printf("drop action: %s\n", action == Qt::CopyAction   ? "copy"
                                         : action == Qt::MoveAction ? "move"
                                                                    : "none");
        std::printf("dropped at %lld ns, %lld files\n", dropped_, static_cast<long long>(urls_.size()));
        std::fflush(stdout);
        // Stays running: the target reads the dropped data from this
        // program after the drop. Whoever started it ends it.
    }

private:
    QList<QUrl> urls_;
    long long dropped_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QList<QUrl> urls;
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() == 2 && args[0] == QStringLiteral("--files-in")) {
        const QDir folder(args[1]);
        for (const QFileInfo& file : folder.entryInfoList(QDir::Files, QDir::Name))
            urls.append(QUrl::fromLocalFile(file.absoluteFilePath()));
    } else {
        for (const QString& path : args) urls.append(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    }
    DragSource source(urls);
    source.show();
    return app.exec();
}
