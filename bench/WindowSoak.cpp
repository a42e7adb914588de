// Many calculations through the window on the offscreen platform, watching resident memory:
// the window, the core and the message boxes they open must give back what each calculation
// takes. Every result is checked against the first one of its formula, so a stale or changed
// mass or a lost notice fails the run too.
//
//   WindowSoak [CALCULATIONS [WARM_UP]]      (defaults 100000 and 5000)
//
// Exits non-zero when resident memory grows by 1 MiB or more after the warm-up, or when a
// result differs.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "ui/FrmVarnock.h"

namespace {

constexpr long GrowthLimitKiB = 1024;

long ResidentKiB() {
    std::ifstream Status("/proc/self/status");
    for (std::string Line; std::getline(Status, Line);)
        if (Line.rfind("VmRSS:", 0) == 0)
            return std::strtol(Line.c_str() + 6, nullptr, 10);
    return -1;
}

struct Formula {
    const char* Text;
    int Notices;  // notices one calculation of it gives
    bool Refused; // refused: no report, no mass
};

// Good formulas, refused ones and ones naming elements the table lacks, in a fixed rotation.
const std::vector<Formula> Mix = {
    {"H2O", 0, false},
    {"C6H12O6", 0, false},
    {"Fe2(SO4)3", 0, false},
    {"Fe3+", 0, false},  // read as a charge, with a reading note in the report
    {"Fe+2 3", 1, true}, // a blank splits the charge: refused
    {"NaCl", 0, false},
    {"XxO2", 1, false}, // Xx is missing: a notice, then the rest
    {"CH3COOH", 0, false},
    {"h2o", 1, true},
    {"HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH", 1, true}, // 40 entries
    {"QZ2", 2, false},
    {"C12H22O11NaClKBrCaCO3", 0, false},
    {"CuSO\xE2\x82\x84\xC2\xB7"
     "5H\xE2\x82\x82O",
     0, false},                       // pasted subscripts and dot
    {"H2O\xF0\x9F\x98\x80", 1, true}, // named as typed
    {"", 0, false},
};

// Answers each message box as it opens: its exec() loop finds the answer already queued.
class NoticeAnswerer : public QObject {
public:
    long Answered = 0;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() == QEvent::Show)
            if (auto* Box = qobject_cast<QMessageBox*>(Watched)) {
                ++Answered;
                QMetaObject::invokeMethod(
                    Box, [Box] { Box->done(QMessageBox::Ok); }, Qt::QueuedConnection);
            }
        return false;
    }
};

// The offscreen platform warns about each message box it shows; a soak shows tens of thousands.
QtMessageHandler PassOn = nullptr;
void Quieter(QtMsgType Type, const QMessageLogContext& Context, const QString& Text) {
    if (Text != QLatin1String("This plugin does not support propagateSizeHints()"))
        PassOn(Type, Context, Text);
}

struct Outcome {
    QString Mass;
    QString Report;
    bool operator==(const Outcome&) const = default;
};

} // namespace

int main(int Argc, char** Argv) {
    const long Calculations = Argc > 1 ? std::strtol(Argv[1], nullptr, 10) : 100000;
    const long WarmUp = Argc > 2 ? std::strtol(Argv[2], nullptr, 10) : 5000;
    if (Calculations <= 0 || WarmUp < 0 || WarmUp >= Calculations) {
        std::fprintf(stderr,
                     "usage: WindowSoak [CALCULATIONS [WARM_UP]], WARM_UP < CALCULATIONS\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PassOn = qInstallMessageHandler(Quieter);
    QApplication App(Argc, Argv);
    NoticeAnswerer Answerer;
    App.installEventFilter(&Answerer);

    QTemporaryDir Folder;
    if (!Folder.isValid() ||
        !QFile::copy(QStringLiteral(VARNOCK_ELEMENTS_DAT), Folder.filePath("elements.dat"))) {
        std::fprintf(stderr, "cannot copy %s to a temporary folder\n", VARNOCK_ELEMENTS_DAT);
        return 2;
    }
    Varnock::FrmVarnock Window;
    Window.Load(Folder.path());
    Window.show();
    auto* Box = Window.findChild<QLineEdit*>("TxtFormula");
    auto* Mass = Window.findChild<QLineEdit*>("TxtFormulaMass");
    auto* Answer = Window.findChild<QPlainTextEdit*>("TxtAnswer");
    auto* Calculate = Window.findChild<QPushButton*>("CmdCalculate");
    if (Answerer.Answered != 0 || Window.findChild<QListWidget*>("LstElements")->count() == 0) {
        std::fprintf(stderr, "the window did not start with the table\n");
        return 2;
    }

    std::vector<Outcome> First(Mix.size());
    std::vector<bool> Seen(Mix.size(), false);
    long Done = 0, Wrong = 0, NoticesDue = 0, RssAfterWarmUp = 0;
    std::vector<long> Trend;
    const auto Started = std::chrono::steady_clock::now();
    auto WarmedUp = Started;

    // One calculation per turn of the event loop, as clicks arrive in the running program.
    QTimer Turn;
    Turn.setInterval(0);
    QObject::connect(&Turn, &QTimer::timeout, [&] {
        const std::size_t Index = static_cast<std::size_t>(Done) % Mix.size();
        const Formula& Next = Mix[Index];
        Box->setText(QString::fromUtf8(Next.Text));
        Calculate->click();
        NoticesDue += Next.Notices;
        const Outcome Now{Mass->text(), Answer->toPlainText()};
        const bool Empty = Now.Mass.isEmpty() && Now.Report.isEmpty();
        if (!Seen[Index]) {
            Seen[Index] = true;
            First[Index] = Now;
            Wrong += Empty != Next.Refused;
        } else {
            Wrong += !(Now == First[Index]);
        }
        ++Done;
        if (Done == WarmUp) {
            RssAfterWarmUp = ResidentKiB();
            WarmedUp = std::chrono::steady_clock::now();
        }
        if (Done > WarmUp && (Done - WarmUp) % std::max(1L, (Calculations - WarmUp) / 10) == 0)
            Trend.push_back(ResidentKiB());
        if (Done == Calculations)
            App.quit();
    });
    if (WarmUp == 0)
        RssAfterWarmUp = ResidentKiB();
    Turn.start();
    App.exec();
    Turn.stop();

    const long RssAtEnd = ResidentKiB();
    const double Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Started).count();
    const long Growth = RssAtEnd - RssAfterWarmUp;
    std::printf("calculations:     %ld (warm-up %ld; %ld notices answered, %ld due)\n", Done,
                WarmUp, Answerer.Answered, NoticesDue);
    std::printf(
        "seconds:          %.1f (%.0f calculations a second after the warm-up)\n", Seconds,
        static_cast<double>(Calculations - WarmUp) /
            std::chrono::duration<double>(std::chrono::steady_clock::now() - WarmedUp).count());
    std::printf("RSS after warm-up: %ld KiB\n", RssAfterWarmUp);
    std::printf("RSS at end:        %ld KiB\n", RssAtEnd);
    std::printf("growth:            %ld KiB (limit %ld KiB)\n", Growth, GrowthLimitKiB);
    std::printf("RSS every tenth:  ");
    for (long Kib : Trend)
        std::printf(" %ld", Kib);
    std::printf("\n");
    bool Failed = false;
    if (Wrong || Answerer.Answered != NoticesDue) {
        std::printf("FAILED: %ld results differed from the first of their formula, %ld notices "
                    "answered where %ld were due\n",
                    Wrong, Answerer.Answered, NoticesDue);
        Failed = true;
    }
    if (Growth >= GrowthLimitKiB) {
        std::printf("FAILED: resident memory grew by %ld KiB\n", Growth);
        Failed = true;
    }
    return Failed ? 1 : 0;
}
