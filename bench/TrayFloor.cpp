// Kalimo benchmarks. MIT licence.
// The least a process that shows a tray icon through Qt holds: an application, a
// small window, and an icon with a digit drawn in it. watcher_bench measures it
// beside the Deskbar host, which can hold no less.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

int
main(int argc, char** argv)
{
	QApplication app(argc, argv);
	QImage picture(16, 15, QImage::Format_ARGB32_Premultiplied);
	picture.fill(Qt::white);
	{
		QPainter painter(&picture);
		painter.drawText(picture.rect(), Qt::AlignCenter, "7");
	}
	QWidget shelf;
	shelf.resize(20, 19);
	shelf.show();
	QSystemTrayIcon tray(QIcon(QPixmap::fromImage(picture)));
	tray.setToolTip("7 alarms");
	tray.show();
	return app.exec();
}
