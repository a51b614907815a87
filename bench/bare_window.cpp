// The reference of the start-up benchmark: a bare Qt program that opens one frameless window
// of the main window's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("bare window"));
    window.setFixedSize(574, 243);
    window.show();
    return QApplication::exec();
}
