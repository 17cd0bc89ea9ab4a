#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Brightwell GIF Reelwright 5.0"));
    window.show();
    return app.exec();
}
