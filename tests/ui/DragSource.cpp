// A stand-in for the file manager in scripted sessions under a real X
// server: a small window that starts a drag of the files named on its
// command line as soon as the mouse is pressed on it, offering copy and
// move as file managers do, and prints the action the drop target chose.
#include <cstdio>

#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace {

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
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
        std::printf("drop action: %s\n", action == Qt::CopyAction   ? "copy"
                                         : action == Qt::MoveAction ? "move"
                                                                    : "none");
        std::fflush(stdout);
        // Stays running: the target reads the dropped data from this
        // program after the drop. Whoever started it ends it.
    }

private:
    QList<QUrl> urls_;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (const QString& path : QApplication::arguments().mid(1))
        urls.append(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    DragSource source(urls);
    source.show();
    return app.exec();
}
