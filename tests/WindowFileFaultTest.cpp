// Faults of the element table file that come between two calculations while the window runs:
// each gives a clear notice or the file's new figures, never a hang or a stale mass, and the
// window works again once the file is repaired. Also: no file descriptor is lost over many
// calculations, failing ones included.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "WindowTestSupport.h"
#include "core/Calculation.h"
#include "core/ElementTable.h"
#include "core/EntryTable.h"

// Texts in failure messages as text rather than as code units.
inline void PrintTo(const QString& Text, std::ostream* Out) {
    *Out << '"' << Text.toStdString() << '"';
}

namespace Varnock {
namespace {

using namespace Testing;
namespace fs = std::filesystem;
using Seconds = std::chrono::duration<double>;

const char* const GoodTable = "\"H\",1,1.008\r\n\"O\",8,15.999\r\n\"Na\",11,22.99\r\n"
                              "\"Cl\",17,35.45\r\n";
const char* const GoodFormula = "H2O";
const char* const GoodMass = "18.015 g";
const char* const GoodReport = " H*2=\t2.016\t  11.19%  \n O*1=\t15.999\t  88.81%  \n"
                               "============================\nTotal: \t18.015\t  100%\n";
const char* const FirstListEntry = "  1- H(1.008)";

// What a message box showed, and what the window showed behind it.
struct Notice {
    QString Title, Text, MassShown;
    QMessageBox::StandardButtons Buttons;
};

// Answers every message box the moment it is shown and records it. Polling for the box would
// cost a timer period per box, too slow for thousands of them.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(const QWidget& Window) : Window(Window) {
        QApplication::instance()->installEventFilter(this);
    }
    ~BoxAnswerer() override { QApplication::instance()->removeEventFilter(this); }
    std::vector<Notice> Seen;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        auto* Box = qobject_cast<QMessageBox*>(Watched);
        if (Box && Event->type() == QEvent::Show) {
            Seen.push_back({Box->windowTitle(), Box->text(),
                            Find<QLineEdit>(Window, "TxtFormulaMass")->text(),
                            Box->standardButtons()});
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
        }
        return false;
    }

private:
    const QWidget& Window;
};

// Turns a hang into a failure: when the guarded work outlives its limit, a reader blocked on
// a FIFO is let go by opening its other end; if the work still does not return, the program
// ends with a message instead of hanging the test run.
class Watchdog {
public:
    Watchdog(std::string What, Seconds Limit, fs::path Table)
        : What(std::move(What)), Limit(Limit), Table(std::move(Table)),
          Thread([this] { Watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard Lock(Mutex);
            Finished = true;
        }
        Wake.notify_all();
        Thread.join();
    }
    bool Fired() const { return HasFired; }

private:
    void Watch() {
        std::unique_lock Lock(Mutex);
        if (Wake.wait_for(Lock, Limit, [this] { return Finished; }))
            return;
        HasFired = true;
        std::fprintf(stderr, "%s: still running after %.0f s\n", What.c_str(), Limit.count());
        struct stat Status;
        if (::lstat(Table.c_str(), &Status) == 0 && S_ISFIFO(Status.st_mode)) {
            const int Writer = ::open(Table.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (Writer >= 0)
                ::close(Writer);
        }
        if (Wake.wait_for(Lock, std::chrono::seconds(10), [this] { return Finished; }))
            return;
        std::fprintf(stderr, "%s: hangs; ending the test program\n", What.c_str());
        std::_Exit(3);
    }

    std::string What;
    Seconds Limit;
    fs::path Table;
    std::mutex Mutex;
    std::condition_variable Wake;
    bool Finished = false;
    std::atomic<bool> HasFired = false;
    std::thread Thread; // last: it starts once everything it uses is made
};

// Open entries of /proc/self/fd, and those that lead to a file named elements.dat.
int OpenDescriptors() {
    int Count = 0;
    for ([[maybe_unused]] const auto& Entry : fs::directory_iterator("/proc/self/fd"))
        ++Count;
    return Count;
}
int OpenTables() {
    int Count = 0;
    for (const auto& Entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code Failure;
        Count += fs::read_symlink(Entry.path(), Failure).filename() == "elements.dat";
    }
    return Count;
}

void WriteFile(const fs::path& Path, const std::string& Bytes) {
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    if (!Out)
        throw std::runtime_error("cannot write " + Path.string());
}

// Whatever stands at the path goes, without following a symbolic link.
void RemoveEntry(const fs::path& Path) {
    std::error_code Ignored;
    fs::remove_all(Path, Ignored);
}

// Count bytes from a fixed generator, none of them in Excluded.
std::string Noise(std::size_t Count, std::uint32_t Seed, std::string_view Excluded = {}) {
    std::mt19937 Random(Seed);
    std::string Bytes;
    while (Bytes.size() < Count) {
        const char Byte = static_cast<char>(Random() & 0xFF);
        if (Excluded.find(Byte) == std::string_view::npos)
            Bytes += Byte;
    }
    return Bytes;
}

const std::string_view Separators("\",\r\n", 4);

// 50 MB of records of another element, an early H that a later one overrides, and O last.
void WriteFiftyMegabytes(const fs::path& Path) {
    std::string Block;
    for (int Index = 0; Index < 4096; ++Index)
        Block += "\"Zz\",118,294.214\r\n";
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out << "\"H\",1,9\r\n";
    for (std::size_t Written = 0; Written < 50u * 1024 * 1024; Written += Block.size())
        Out << Block;
    Out << "\"H\",1,1.5\r\n\"O\",8,16\r\n";
    if (!Out)
        throw std::runtime_error("cannot write " + Path.string());
}

class WindowFileFault : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    void SetUp() override {
        Folder = std::make_unique<TableFolder>(GoodTable);
        Window = std::make_unique<FrmVarnock>();
        Answerer = std::make_unique<BoxAnswerer>(*Window);
        Window->Load(Folder->Folder());
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        ASSERT_TRUE(Answerer->Seen.empty());
        Table = fs::path(Folder->Folder().toStdString()) / "elements.dat";
        StartList = ListTexts();
        ASSERT_EQ(StartList.size(), 4u);
        ASSERT_EQ(StartList[0], FirstListEntry);
    }
    void TearDown() override {
        Answerer.reset();
        Window.reset();
        Folder.reset();
    }

    QString Report() { return Find<QPlainTextEdit>(*Window, "TxtAnswer")->toPlainText(); }
    QString Mass() { return Find<QLineEdit>(*Window, "TxtFormulaMass")->text(); }
    std::vector<QString> ListTexts() {
        std::vector<QString> Texts;
        auto* List = Find<QListWidget>(*Window, "LstElements");
        for (int Row = 0; Row < List->count(); ++Row)
            Texts.push_back(List->item(Row)->text());
        return Texts;
    }
    void Calculate(const QString& Formula) {
        Find<QLineEdit>(*Window, "TxtFormula")->setText(Formula);
        Find<QPushButton>(*Window, "CmdCalculate")->click();
    }
    // Calculates under a watchdog; false when the calculation outlived Limit.
    bool GuardedCalculate(const std::string& What, const QString& Formula, Seconds Limit) {
        const Watchdog Guard(What, Limit, Table);
        Calculate(Formula);
        return !Guard.Fired();
    }
    // The good formula against the good table: its mass and report, and no notice.
    void ExpectGoodCalculation(const std::string& When) {
        SCOPED_TRACE(When);
        Answerer->Seen.clear();
        ASSERT_TRUE(GuardedCalculate(When, GoodFormula, std::chrono::seconds(20)));
        EXPECT_TRUE(Answerer->Seen.empty()) << Answerer->Seen.front().Text.toStdString();
        EXPECT_EQ(Mass(), GoodMass);
        EXPECT_EQ(Report(), GoodReport);
    }
    // The notices of one calculation of the good formula, each followed by "|", then the mass.
    std::string CalculateAndDescribe() {
        Answerer->Seen.clear();
        Calculate(GoodFormula);
        std::string Description;
        for (const Notice& Seen : Answerer->Seen)
            Description += Seen.Text.toStdString() + "|";
        return Description + Mass().toStdString();
    }
    void Repair() {
        RemoveEntry(Table);
        WriteFile(Table, GoodTable);
    }

    std::unique_ptr<TableFolder> Folder;
    std::unique_ptr<FrmVarnock> Window;
    std::unique_ptr<BoxAnswerer> Answerer;
    fs::path Table;
    std::vector<QString> StartList;
};

struct Fault {
    const char* Name;
    std::function<void(const fs::path& Table)> Break;
    std::vector<QString> Notices; // in order
    QString Mass;                 // empty: the calculation is refused
    QString Report;
};

QString Failure(int Number) {
    return QStringLiteral("Error number %1 occured reading elements.dat").arg(Number);
}

TEST_F(WindowFileFault, EachFaultBetweenTwoCalculationsGivesItsSoundResult) {
    const Fault Faults[] = {
        {"deleted", [](const fs::path& Path) { fs::remove(Path); }, {Failure(53)}, "", ""},
        {"replaced by a directory",
         [](const fs::path& Path) {
             fs::remove(Path);
             fs::create_directory(Path);
         },
         {Failure(75)},
         "",
         ""},
        {"replaced by a FIFO",
         [](const fs::path& Path) {
             fs::remove(Path);
             ASSERT_EQ(::mkfifo(Path.c_str(), 0644), 0);
         },
         {Failure(75)},
         "",
         ""},
        {"a symbolic link loop",
         [](const fs::path& Path) {
             fs::remove(Path);
             fs::create_symlink("loop.dat", Path);
             fs::create_symlink("elements.dat", Path.parent_path() / "loop.dat");
         },
         {Failure(75)},
         "",
         ""},
        {"a symbolic link to nothing",
         [](const fs::path& Path) {
             fs::remove(Path);
             fs::create_symlink("gone.dat", Path);
         },
         {Failure(53)},
         "",
         ""},
        {"cut after a record's number",
         [](const fs::path& Path) {
             WriteFile(Path, "\"H\",1,1.008\r\n\"O\",8,15.999\r\n\"Na\",11");
         },
         {Failure(62)},
         "",
         ""},
        {"cut inside a quoted symbol",
         [](const fs::path& Path) { WriteFile(Path, "\"H\",1,1.008\r\n\"O\",8,15.999\r\n\"N"); },
         {Failure(62)},
         "",
         ""},
        // The file's format cannot tell a weight cut short from a last record without a line
        // end: the shorter weight is used.
        {"cut inside the last weight",
         [](const fs::path& Path) { WriteFile(Path, "\"H\",1,1.008\r\n\"O\",8,15.9"); },
         {},
         "17.916 g",
         " H*2=\t2.016\t  11.25%  \n O*1=\t15.9\t  88.75%  \n"
         "============================\nTotal: \t17.916\t  100%\n"},
        {"50 MB of records",
         WriteFiftyMegabytes,
         {},
         "19 g",
         " H*2=\t3\t  15.79%  \n O*1=\t16\t  84.21%  \n"
         "============================\nTotal: \t19\t  100%\n"},
        {"binary noise without separators",
         [](const fs::path& Path) { WriteFile(Path, Noise(100000, 1, Separators)); },
         {Failure(62)},
         "",
         ""},
        {"binary noise as the weight",
         [](const fs::path& Path) {
             WriteFile(Path, "\"O\",8,16\r\n\"H\",1,x" + Noise(5000, 2, Separators) + "\r\n");
         },
         {Failure(13)},
         "",
         ""},
        {"emptied",
         [](const fs::path& Path) { WriteFile(Path, ""); },
         {"Element: H Doesn't exist in database", "Element: O Doesn't exist in database"},
         "0 g",
         "============================\nTotal: \t0\t  %\n"},
        {"an element removed",
         [](const fs::path& Path) { WriteFile(Path, "\"H\",1,1.008\r\n"); },
         {"Element: O Doesn't exist in database"},
         "2.016 g",
         " H*2=\t2.016\t  100.%  \n============================\nTotal: \t2.016\t  100%\n"},
        {"edited to new weights",
         [](const fs::path& Path) { WriteFile(Path, "\"H\",1,2\r\n\"O\",8,16\r\n"); },
         {},
         "20 g",
         " H*2=\t4\t  20.%  \n O*1=\t16\t  80.%  \n"
         "============================\nTotal: \t20\t  100%\n"},
    };
    for (const Fault& Row : Faults) {
        SCOPED_TRACE(Row.Name);
        ExpectGoodCalculation("before the fault");
        Row.Break(Table);
        Answerer->Seen.clear();
        const auto Start = std::chrono::steady_clock::now();
        ASSERT_TRUE(GuardedCalculate(Row.Name, GoodFormula, std::chrono::seconds(30)))
            << "the calculation hung";
        const double Taken = Seconds(std::chrono::steady_clock::now() - Start).count();
        std::printf("%-34s %.3f s\n", Row.Name, Taken);

        ASSERT_EQ(Answerer->Seen.size(), Row.Notices.size());
        for (std::size_t Index = 0; Index < Row.Notices.size(); ++Index) {
            const Notice& Seen = Answerer->Seen[Index];
            EXPECT_EQ(Seen.Text, Row.Notices[Index]);
            EXPECT_EQ(Seen.Title, "Varnock");
            EXPECT_EQ(Seen.Buttons, QMessageBox::Ok);
            // A refusal empties the mass box before its notice; a missing element's notice
            // comes while the report is written, and the mass is written after it.
            if (Row.Mass.isEmpty()) {
                EXPECT_EQ(Seen.MassShown, "") << "the last good mass shows behind the notice";
            }
        }
        EXPECT_EQ(Mass(), Row.Mass);
        EXPECT_EQ(Report(), Row.Report);
        EXPECT_EQ(OpenTables(), 0);
        EXPECT_EQ(ListTexts(), StartList) << "the list keeps what start-up read";
        EXPECT_LT(Taken, 20.0);

        Repair();
        ExpectGoodCalculation("after the repair");
    }
}

// The calculation as the core alone makes it, to compare the window with.
class RecordingView : public CalculationView {
public:
    std::string Report;
    std::string MassText = "0";
    std::vector<std::string> Notices;
    std::string ReportText() override { return Report; }
    void SetReportText(const std::string& Text) override { Report = Text; }
    void SetMassText(const std::string& Text) override { MassText = Text; }
    void Notice(const std::string& Message) override { Notices.push_back(Message); }
};

TEST_F(WindowFileFault, FullRangeNoiseGivesWhatTheCoreGivesAndNoStaleMass) {
    int Refused = 0;
    for (std::uint32_t Seed = 100; Seed < 140; ++Seed) {
        SCOPED_TRACE("seed " + std::to_string(Seed));
        ExpectGoodCalculation("before the noise");
        // Sizes from a few bytes to past the reader's first chunk.
        WriteFile(Table, Noise(Seed % 8 == 0 ? 70000 + Seed : Seed * 53 % 3000, Seed));
        Answerer->Seen.clear();
        ASSERT_TRUE(GuardedCalculate("noise", GoodFormula, std::chrono::seconds(20)));

        BasVarnock Entries;
        RecordingView Core;
        Varnock::Calculate(Entries, GoodFormula, ElementTable(), Core, '.');
        ASSERT_EQ(Answerer->Seen.size(), Core.Notices.size());
        for (std::size_t Index = 0; Index < Core.Notices.size(); ++Index)
            EXPECT_EQ(Answerer->Seen[Index].Text.toStdString(), Core.Notices[Index]);
        EXPECT_EQ(Mass().toStdString(), Core.MassText);
        QString Shown = Report();
        Shown.replace("\n", "\r\n");
        EXPECT_EQ(Shown.toStdString(), Core.Report);
        const bool WasRefused =
            !Answerer->Seen.empty() && Answerer->Seen[0].Text.startsWith("Error number ");
        if (WasRefused) {
            ++Refused;
            EXPECT_EQ(Answerer->Seen.size(), 1u);
            EXPECT_TRUE(Mass().isEmpty());
            EXPECT_TRUE(Report().isEmpty());
        }
        EXPECT_EQ(OpenTables(), 0);
        Repair();
    }
    // Noise that never fails to read would leave the refusal unchecked.
    EXPECT_GT(Refused, 0);
    EXPECT_EQ(ListTexts(), StartList);
}

// Runs Work in a forked child and returns the text it hands back, so that what the child
// gives up (root, address space) stays given up there. A child that outlives Limit is ended.
std::string InChild(const std::function<std::string()>& Work, Seconds Limit) {
    int Pipe[2];
    if (::pipe(Pipe) != 0) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    const pid_t Child = ::fork();
    if (Child == 0) {
        ::close(Pipe[0]);
        // Nothing may return from here into the test framework, which the parent owns.
        std::string Result;
        try {
            Result = Work();
        } catch (const std::exception& Escaped) {
            Result = std::string("escaped the window: ") + Escaped.what();
        } catch (...) {
            Result = "escaped the window: an exception";
        }
        [[maybe_unused]] const auto Written = ::write(Pipe[1], Result.data(), Result.size());
        std::_Exit(0);
    }
    ::close(Pipe[1]);
    if (Child < 0) {
        ::close(Pipe[0]);
        ADD_FAILURE() << "no child";
        return {};
    }
    const auto Deadline = std::chrono::steady_clock::now() + Limit;
    const auto Left = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   Deadline - std::chrono::steady_clock::now())
            .count();
    };
    std::string Result;
    pollfd Wait{Pipe[0], POLLIN, 0};
    char Bytes[512];
    while (Left() > 0 && ::poll(&Wait, 1, static_cast<int>(Left())) > 0) {
        const auto Count = ::read(Pipe[0], Bytes, sizeof Bytes);
        if (Count <= 0)
            break;
        Result.append(Bytes, static_cast<std::size_t>(Count));
    }
    ::close(Pipe[0]);
    // The pipe closes as the child exits; give it a moment to be done.
    int Status = 0;
    while (::waitpid(Child, &Status, WNOHANG) == 0)
        if (Left() > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        else {
            ::kill(Child, SIGKILL);
            ADD_FAILURE() << "the child hung";
            ::waitpid(Child, &Status, 0);
            break;
        }
    EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0) << "child status " << Status;
    return Result;
}

// The file unreadable by its mode bits: root reads it all the same, so the refusal is tried
// in a child that has given up root.
TEST_F(WindowFileFault, UnreadableFileIsRefusedAndRootReadsIt) {
    ExpectGoodCalculation("before the fault");
    ASSERT_EQ(::chmod(Table.c_str(), 0), 0);
    if (::geteuid() != 0) {
        Answerer->Seen.clear();
        Calculate(GoodFormula);
        ASSERT_EQ(Answerer->Seen.size(), 1u);
        EXPECT_EQ(Answerer->Seen[0].Text, Failure(70));
        EXPECT_TRUE(Mass().isEmpty());
        GTEST_SKIP() << "not root: the refusal was checked here; root reading is not";
    }
    ExpectGoodCalculation("as root");

    const passwd* Nobody = ::getpwnam("nobody");
    if (!Nobody)
        GTEST_SKIP() << "no user nobody to give up root for";
    const std::string Result = InChild(
        [&] {
            if (::setgid(Nobody->pw_gid) != 0 || ::setuid(Nobody->pw_uid) != 0 || ::geteuid() == 0)
                return std::string("cannot give up root");
            return CalculateAndDescribe();
        },
        std::chrono::seconds(20));
    // One notice, and the mass box emptied behind it.
    EXPECT_EQ(Result, Failure(70).toStdString() + "|");
}

// Bytes of address space the process has mapped.
unsigned long long AddressSpace() {
    std::ifstream Statm("/proc/self/statm");
    unsigned long long Pages = 0;
    Statm >> Pages;
    return Pages * static_cast<unsigned long long>(::sysconf(_SC_PAGESIZE));
}

// One field of four gigabytes: reading it needs more memory than the child is allowed.
TEST_F(WindowFileFault, FieldLongerThanTheMemoryLeftIsRefused) {
    ExpectGoodCalculation("before the fault");
    WriteFile(Table, "\"O\",8,16\r\n\"H\",1,");
    // NUL bytes from a sparse file, which takes no room on the disk.
    fs::resize_file(Table, 4ull << 30);
    const std::string Result = InChild(
        [&] {
            const rlim_t Allowed = AddressSpace() + (1ull << 30);
            const rlimit Limit{Allowed, Allowed};
            if (::setrlimit(RLIMIT_AS, &Limit) != 0)
                return std::string("cannot limit the address space");
            return CalculateAndDescribe();
        },
        std::chrono::seconds(60));
    EXPECT_EQ(Result, Failure(7).toStdString() + "|");
    Repair();
    ExpectGoodCalculation("after the repair");
}

// A round of the kinds of calculation, each one changing the folder as it needs.
struct Kind {
    const char* Name;
    const char* Formula;
    const char* Notice; // null: none
    const char* Mass;
};

TEST_F(WindowFileFault, NoDescriptorIsLostOverTenThousandCalculations) {
    const fs::path Kept = Table.parent_path() / "kept.dat";
    const fs::path Folder = Table.parent_path() / "folder.dat";
    fs::create_directory(Folder);
    const Kind Kinds[] = {
        {"good formula", GoodFormula, nullptr, GoodMass},
        {"missing file", GoodFormula, "Error number 53 occured reading elements.dat", ""},
        {"directory", GoodFormula, "Error number 75 occured reading elements.dat", ""},
        {"missing element", "HXO", "Element: X Doesn't exist in database", "17.007 g"},
        {"refused formula", "H2O!", "Formula: character 4 \"!\" can't be read", ""},
    };
    // Before each kind the folder is put in its state with renames, which are cheap.
    const auto Prepare = [&](int KindIndex) {
        if (KindIndex == 1)
            fs::rename(Table, Kept);
        else if (KindIndex == 2)
            fs::rename(Folder, Table);
        else if (KindIndex == 3) {
            fs::rename(Table, Folder);
            fs::rename(Kept, Table);
        }
    };
    const auto Run = [&](int Rounds, std::map<std::string, int>& Wrong) {
        for (int Round = 0; Round < Rounds; ++Round)
            for (int Index = 0; Index < 5; ++Index) {
                Prepare(Index);
                Answerer->Seen.clear();
                Calculate(Kinds[Index].Formula);
                const bool Right =
                    Mass() == Kinds[Index].Mass &&
                    (Kinds[Index].Notice ? Answerer->Seen.size() == 1 &&
                                               Answerer->Seen[0].Text == Kinds[Index].Notice
                                         : Answerer->Seen.empty());
                Wrong[Kinds[Index].Name] += !Right;
            }
    };
    std::map<std::string, int> Wrong;
    Run(1, Wrong); // the toolkit opens what it needs for boxes and painting once
    const int Before = OpenDescriptors();
    const auto Start = std::chrono::steady_clock::now();
    {
        const Watchdog Guard("10,000 calculations", std::chrono::seconds(300), Table);
        Run(2000, Wrong);
    }
    const double Taken = Seconds(std::chrono::steady_clock::now() - Start).count();
    const int After = OpenDescriptors();
    std::printf("10,000 calculations: %.2f s; descriptors before %d, after %d\n", Taken, Before,
                After);
    RecordProperty("Seconds", std::to_string(Taken));
    RecordProperty("DescriptorsBefore", Before);
    RecordProperty("DescriptorsAfter", After);
    EXPECT_EQ(After, Before);
    EXPECT_EQ(OpenTables(), 0);
    for (const Kind& Each : Kinds)
        EXPECT_EQ(Wrong[Each.Name], 0) << Each.Name << ": calculations with a wrong result";
    EXPECT_EQ(ListTexts(), StartList);
}

} // namespace
} // namespace Varnock
