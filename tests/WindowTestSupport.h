#pragma once

// What the window tests share: one application object, the controls by name, a folder with a
// chosen element table, and a watcher that answers modal message boxes and records them.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "ui/FrmVarnock.h"

namespace Varnock::Testing {

inline void EnsureApplication() {
    static int Argc = 1;
    static char Name[] = "WindowTests";
    static char* Argv[] = {Name, nullptr};
    if (!QApplication::instance())
        new QApplication(Argc, Argv);
}

template <typename Control = QWidget> Control* Find(const QWidget& Window, const char* Name) {
    return Window.findChild<Control*>(QString::fromLatin1(Name));
}

// A fresh folder holding an element table with the given contents (none when Contents is
// null); the current directory is put back when it goes away.
class TableFolder {
public:
    explicit TableFolder(const char* Contents) : Previous(QDir::currentPath()) {
        static int Count = 0;
        Path = std::filesystem::temp_directory_path() /
               ("varnock-ui-" + std::to_string(getpid()) + "-" + std::to_string(++Count));
        std::filesystem::create_directories(Path);
        if (Contents)
            std::ofstream(Path / "elements.dat", std::ios::binary) << Contents;
    }
    ~TableFolder() {
        QDir::setCurrent(Previous);
        std::error_code Ignored;
        std::filesystem::remove_all(Path, Ignored);
    }
    QString Folder() const { return QString::fromStdString(Path.string()); }

private:
    QString Previous;
    std::filesystem::path Path;
};

struct SeenMessage {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons Buttons;
    QString ReportShown; // what the report box held while the box was open
};

// Answers every message box that opens while it lives, recording each.
class MessageWatcher {
public:
    explicit MessageWatcher(const QWidget* Window = nullptr) : Window(Window) {
        Timer.setInterval(5);
        QObject::connect(&Timer, &QTimer::timeout, [this] { Answer(); });
        Timer.start();
    }
    std::vector<SeenMessage> Seen;

private:
    void Answer() {
        auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!Box || !Box->isVisible())
            return;
        SeenMessage Message{
            Box->windowTitle(), Box->text(), Box->icon(), Box->standardButtons(), {}};
        if (Window)
            Message.ReportShown = Find<QPlainTextEdit>(*Window, "TxtAnswer")->toPlainText();
        Seen.push_back(Message);
        if (QAbstractButton* Ok = Box->button(QMessageBox::Ok))
            Ok->click();
        else
            Box->reject();
    }
    const QWidget* Window;
    QTimer Timer;
};

} // namespace Varnock::Testing
