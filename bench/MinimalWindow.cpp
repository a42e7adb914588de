// The floor for start-up time: a Qt window with one line edit, built like the program.

#include <QApplication>
#include <QLineEdit>
#include <QWidget>

int main(int Argc, char** Argv) {
    QApplication App(Argc, Argv);
    QWidget Window;
    Window.setFixedSize(309, 192);
    auto* Edit = new QLineEdit(&Window);
    Edit->setGeometry(134, 16, 113, 19);
    Window.show();
    return App.exec();
}
