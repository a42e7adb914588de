// The floor for start-up time: a bare window with the program's ten controls at their places
// and in their fonts, built like the program, that reads no table, draws no icon and handles
// no event of its own.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include "ui/FormRuntime.h"

int main(int Argc, char** Argv) {
    using namespace Varnock::FormRuntime;
    QApplication App(Argc, Argv);
    QWidget Window;
    Window.setFixedSize(309, 192);
    Window.setFont(WindowFont());
    QFont Bold = WindowFont();
    Bold.setBold(true);
    QFont Underlined = WindowFont();
    Underlined.setUnderline(true);
    const auto Place = [&](QWidget* Control, QRect Pixels, const QFont& Font) {
        Control->setGeometry(Pixels);
        Control->setFont(Font);
    };
    Place(new QLabel(QStringLiteral("&Elements:"), &Window), {4, 2, 95, 13}, WindowFont());
    Place(new QLabel(QStringLiteral("Enter &Formula"), &Window), {134, 2, 83, 15}, WindowFont());
    Place(new QLabel(QStringLiteral("Formula Mass:"), &Window), {134, 44, 83, 15}, Bold);
    Place(new QLabel(QStringLiteral("http://tervalin.test/"), &Window), {96, 178, 111, 17},
          Underlined);
    Place(new QPlainTextEdit(&Window), {4, 66, 303, 14}, FixedFont());
    Place(new QLineEdit(&Window), {222, 44, 83, 15}, WindowFont());
    Place(new QPlainTextEdit(&Window), {2, 80, 305, 95}, FixedFont());
    Place(new QListWidget(&Window), {2, 18, 127, 46}, FixedFont());
    Place(new QPushButton(QStringLiteral("&Calculate"), &Window), {250, 16, 59, 21}, WindowFont());
    Place(new QLineEdit(&Window), {134, 16, 113, 19}, WindowFont());
    Window.show();
    return App.exec();
}
