// Screenshots of the window at work, for the README and for looking at: the window with a
// formula calculated, its analysis view, a dialog of the view, or its view of the formulas that
// fit a mass. It runs the window in this process on an X display (its own Xvfb unless DISPLAY is
// set) and reads the pixels back from the X server.
//
//   varnock-sceneshot --data DIR --formula F --out FILE.png [--view] [--size WxH]
//                     [--dialog save|about] [--plot FILE] [--find MASS [--adduct A]]
//
// DIR holds elements.dat and isotopes.dat (the build's top folder does). --view shoots the
// analysis view, --find the search view after a search for MASS (as the adduct A's m/z), else
// the window; --size enlarges the window first; --dialog shoots the view's Save or About dialog;
// --plot saves the view's plot to FILE as its Save button does. QT_SCALE_FACTOR applies. A
// message box the calculation shows is shot to FILE-notice.png and then closed.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tools/XProbe.h"
#include <QComboBox>

#include "ui/AnalysisView.h"
#include "ui/FindView.h"
#include "ui/FrmVarnock.h"
#include "ui/PatternPlot.h"

using namespace Varnock;

int main(int Argc, char** Argv) {
    std::string Data, Formula, Out, Mass, Adduct, Dialog, PlotFile;
    bool ShootView = false;
    int Width = 0, Height = 0;
    for (int Index = 1; Index < Argc; ++Index) {
        const std::string Word = Argv[Index];
        if (Word == "--view") {
            ShootView = true;
            continue;
        }
        if (Index + 1 >= Argc) {
            std::fprintf(stderr, "varnock-sceneshot: %s needs a value\n", Word.c_str());
            return 2;
        }
        const std::string Next = Argv[++Index];
        if (Word == "--data")
            Data = Next;
        else if (Word == "--formula")
            Formula = Next;
        else if (Word == "--out")
            Out = Next;
        else if (Word == "--find")
            Mass = Next;
        else if (Word == "--adduct")
            Adduct = Next;
        else if (Word == "--size" && std::sscanf(Next.c_str(), "%dx%d", &Width, &Height) == 2)
            continue;
        else if (Word == "--dialog" && (Next == "save" || Next == "about"))
            Dialog = Next;
        else if (Word == "--plot")
            PlotFile = Next;
        else {
            std::fprintf(stderr, "varnock-sceneshot: unknown option %s\n", Word.c_str());
            return 2;
        }
    }
    if (Data.empty() || Out.empty()) {
        std::fprintf(stderr, "usage: varnock-sceneshot --data DIR --formula F --out FILE.png "
                             "[--view] [--size WxH] [--dialog save|about] [--plot FILE]\n");
        return 2;
    }
    std::unique_ptr<XProbe::VirtualServer> Server;
    if (!std::getenv("DISPLAY")) {
        // Room for the window and the view at twice their size.
        Server = std::make_unique<XProbe::VirtualServer>(2400, 1800);
        if (!Server->Running()) {
            std::fprintf(stderr, "varnock-sceneshot: could not start Xvfb\n");
            return 1;
        }
        setenv("DISPLAY", Server->DisplayName().c_str(), 1);
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    const std::string Display = std::getenv("DISPLAY");
    QApplication App(Argc, Argv);
    // The SVG module as the build has it, in modules/ of the build's top folder.
    PatternPlot::SetModuleFolder(QCoreApplication::applicationDirPath() + QStringLiteral("/../"));
    FrmVarnock Window;
    Window.Load(QString::fromStdString(Data));
    Window.show();
    if (Width > 0)
        Window.resize(Width, Height);
    if (!QTest::qWaitForWindowExposed(&Window)) {
        std::fprintf(stderr, "varnock-sceneshot: the window was not shown\n");
        return 1;
    }
    // A notice waits in its own event loop for a click: shoot it, then answer it.
    QTimer Answerer;
    Answerer.setInterval(100);
    QObject::connect(&Answerer, &QTimer::timeout, [&] {
        auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!Box || !Box->isVisible())
            return;
        QTest::qWait(400);
        std::string Notice = Out;
        Notice.insert(Notice.size() - (Notice.ends_with(".png") ? 4 : 0), "-notice");
        XProbe::Grab(Display, Box->winId()).save(QString::fromStdString(Notice), "PNG");
        Box->accept();
    });
    Answerer.start();
    Window.findChild<QLineEdit*>(QStringLiteral("TxtFormula"))
        ->setText(QString::fromStdString(Formula));
    Window.findChild<QPushButton*>(QStringLiteral("CmdCalculate"))->click();
    QWidget* Shot = &Window;
    if (ShootView || !Dialog.empty() || !PlotFile.empty()) {
        Window.findChild<QPushButton*>(QStringLiteral("CmdAnalysis"))->click();
        Shot = Window.Analysis();
        if (!Shot || !QTest::qWaitForWindowExposed(Shot)) {
            std::fprintf(stderr, "varnock-sceneshot: the analysis view was not shown\n");
            return 1;
        }
    }
    if (!Mass.empty()) {
        Window.findChild<QPushButton*>(QStringLiteral("CmdFind"))->click();
        FindView* Finder = Window.Finder();
        if (!Finder || !QTest::qWaitForWindowExposed(Finder)) {
            std::fprintf(stderr, "varnock-sceneshot: the search view was not shown\n");
            return 1;
        }
        Finder->findChild<QLineEdit*>(QStringLiteral("TxtMass"))
            ->setText(QString::fromStdString(Mass));
        if (!Adduct.empty())
            Finder->findChild<QComboBox*>(QStringLiteral("CboAdduct"))
                ->setCurrentText(QString::fromStdString(Adduct));
        Finder->Search();
        if (!QTest::qWaitFor([&] { return !Finder->Searching(); }, 60000)) {
            std::fprintf(stderr, "varnock-sceneshot: the search did not end\n");
            return 1;
        }
        Shot = Finder;
    }
    if (!PlotFile.empty() && !Window.Analysis()->SavePlot(QString::fromStdString(PlotFile))) {
        std::fprintf(stderr, "varnock-sceneshot: could not save the plot to %s\n",
                     PlotFile.c_str());
        return 1;
    }
    // Let them paint, and the X server catch up.
    QTest::qWait(600);
    QImage Image;
    if (!Dialog.empty()) {
        // The dialog is modal: shot from its own event loop, then closed.
        QTimer::singleShot(1200, [&] {
            if (QWidget* Shown = QApplication::activeModalWidget()) {
                Image = XProbe::Grab(Display, Shown->winId());
                Shown->close();
            }
        });
        Window.Analysis()
            ->findChild<QPushButton*>(
                QString::fromLatin1(Dialog == "save" ? "CmdSave" : "CmdAbout"))
            ->click();
    } else {
        Image = XProbe::Grab(Display, Shot->winId());
    }
    if (Image.isNull() || !Image.save(QString::fromStdString(Out), "PNG")) {
        std::fprintf(stderr, "varnock-sceneshot: could not save %s\n", Out.c_str());
        return 1;
    }
    std::printf("screenshot=%s\n", Out.c_str());
    return 0;
}
