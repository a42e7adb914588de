#include "ui/ProgramHelp.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "ui/FormRuntime.h"
#include "ui/VarnockIcon.h"

namespace Varnock {

void OpenManual(QWidget* Owner, const QString& Folder) {
    const QString Path = QDir(Folder).absoluteFilePath(QString::fromLatin1(ManualName));
    const QString Shown = QDir::toNativeSeparators(Path);
    if (!QFileInfo(Path).isFile())
        FormRuntime::ShowMessage(Owner, QStringLiteral("The manual is not there: ") + Shown);
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(Path)))
        FormRuntime::ShowMessage(Owner, QStringLiteral("No program opened the manual, ") + Shown);
}

QAction* AddManualAction(QWidget& Window, std::function<QString()> Folder) {
    auto* Manual = new QAction(QStringLiteral("&Manual"), &Window);
    Manual->setObjectName(QStringLiteral("ActManual"));
    Manual->setShortcut(QKeySequence::HelpContents);
    QObject::connect(Manual, &QAction::triggered, &Window,
                     [&Window, Folder = std::move(Folder)] { OpenManual(&Window, Folder()); });
    Window.addAction(Manual);
    return Manual;
}

void ShowAbout(QWidget* Owner) {
    // The licence as the source tree has it (LICENSE, built in): its first line names it, and
    // its copyright line is shown as it stands.
    QFile File(QStringLiteral(":/LICENSE"));
    const QString Licence =
        File.open(QIODevice::ReadOnly) ? QString::fromUtf8(File.readAll()) : QString();
    const QStringList Lines = Licence.split(QLatin1Char('\n'));
    QString Copyright;
    for (const QString& Line : Lines)
        if (Line.startsWith(QLatin1String("Copyright")) && Copyright.isEmpty())
            Copyright = Line.trimmed();

    QMessageBox Box(QMessageBox::NoIcon, QStringLiteral("About Varnock"),
                    QStringLiteral("Varnock " VARNOCK_VERSION), QMessageBox::Ok, Owner);
    Box.setObjectName(QStringLiteral("AboutBox"));
    Box.setTextFormat(Qt::PlainText);
    Box.setIconPixmap(VarnockIcon().pixmap(32, 32));
    Box.setInformativeText(
        QStringLiteral("A calculator of the formula mass of chemical compounds.\n\n%1\n"
                       "Released under the %2; its whole text is under Show Details.")
            .arg(Copyright, Lines.value(0).trimmed()));
    Box.setDetailedText(Licence);
    Box.setAccessibleName(QStringLiteral("About Varnock"));
    Box.setAccessibleDescription(Box.text() + QStringLiteral(". ") + Box.informativeText());
    Box.exec();
}

} // namespace Varnock
