// The floor for start-up time: a bare window with the program's ten controls at their places,
// built like the program, that reads no table and draws nothing of its own.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

int main(int Argc, char** Argv) {
    QApplication App(Argc, Argv);
    QWidget Window;
    Window.setFixedSize(309, 192);
    (new QLabel(QStringLiteral("&Elements:"), &Window))->setGeometry(4, 2, 95, 13);
    (new QLabel(QStringLiteral("Enter &Formula"), &Window))->setGeometry(134, 2, 83, 15);
    (new QLabel(QStringLiteral("Formula Mass:"), &Window))->setGeometry(134, 44, 83, 15);
    (new QLabel(QStringLiteral("http://tervalin.test/"), &Window))->setGeometry(96, 178, 111, 17);
    (new QPlainTextEdit(&Window))->setGeometry(4, 66, 303, 14);
    (new QLineEdit(&Window))->setGeometry(222, 44, 83, 15);
    (new QPlainTextEdit(&Window))->setGeometry(2, 80, 305, 95);
    (new QListWidget(&Window))->setGeometry(2, 18, 127, 46);
    (new QPushButton(QStringLiteral("&Calculate"), &Window))->setGeometry(250, 16, 59, 21);
    (new QLineEdit(&Window))->setGeometry(134, 16, 113, 19);
    Window.show();
    return App.exec();
}
