#pragma once

// What the window tests share: one application object whose settings are the test run's own,
// the controls by name, a folder with a chosen element table, and an answerer that closes
// modal message boxes and records them.

#include <vector>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>

#include "tests/support/TestSystem.h"
#include "ui/FrmVarnock.h"
#include "ui/WindowSettings.h"

namespace Varnock::Testing {

inline void EnsureApplication() {
    static int Argc = 1;
    static char Name[] = "WindowTests";
    static char* Argv[] = {Name, nullptr};
    if (!QApplication::instance())
        new QApplication(Argc, Argv);
    // What the windows remember goes to a file in a folder of this run's own, on every
    // platform: never the user's settings.
    static TempDir Settings;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromStdString(Settings.Folder().string()));
}

// Forgets whatever an earlier test had the windows remember.
inline void ForgetSettings() {
    UserSettings().clear();
}

template <typename Control = QWidget> Control* Find(const QWidget& Window, const char* Name) {
    return Window.findChild<Control*>(QString::fromLatin1(Name));
}

// A fresh folder holding an element table with the given contents (none when Contents is
// null); the current directory is put back before the folder goes away.
class TableFolder {
public:
    explicit TableFolder(const char* Contents) : Previous(QDir::currentPath()) {
        if (Contents)
            Files.Write("elements.dat", Contents);
    }
    ~TableFolder() { QDir::setCurrent(Previous); }
    QString Folder() const { return QString::fromStdString(Files.Folder().string()); }
    std::filesystem::path Table() const { return Files.Folder() / "elements.dat"; }

private:
    QString Previous;
    TempDir Files;
};

struct SeenMessage {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons Buttons;
    QString Detail; // the text under Show Details
    QString Spoken; // the box's accessible name
    // What the window's report and mass boxes held while the box was open.
    QString ReportShown;
    QString MassShown;
};

// Answers every message box the moment it is shown while it lives, recording each. It answers
// from the box's own event loop, without polling, so thousands of boxes cost no waiting.
class MessageAnswerer : public QObject {
public:
    explicit MessageAnswerer(const QWidget* Window = nullptr) : Window(Window) {
        QApplication::instance()->installEventFilter(this);
    }
    ~MessageAnswerer() override { QApplication::instance()->removeEventFilter(this); }
    std::vector<SeenMessage> Seen;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        auto* Box = qobject_cast<QMessageBox*>(Watched);
        if (!Box || Event->type() != QEvent::Show)
            return false;
        SeenMessage Message{
            Box->windowTitle(),  Box->text(),           Box->icon(), Box->standardButtons(),
            Box->detailedText(), Box->accessibleName(), {},          {}};
        if (Window) {
            Message.ReportShown = Find<QPlainTextEdit>(*Window, "TxtAnswer")->toPlainText();
            Message.MassShown = Find<QLineEdit>(*Window, "TxtFormulaMass")->text();
        }
        Seen.push_back(Message);
        // Queued, so that it runs inside the box's own event loop.
        QMetaObject::invokeMethod(
            Box,
            [Box] {
                if (QAbstractButton* Ok = Box->button(QMessageBox::Ok))
                    Ok->click();
                else
                    Box->reject();
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    const QWidget* Window;
};

} // namespace Varnock::Testing
