// Start-up, the calculation through the window and its notices, symbol insertion and the
// address label.

#include <filesystem>
#include <fstream>
#include <sstream>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "core/Calculation.h"
#include "core/ElementList.h"
#include "core/ElementTable.h"
#include "core/EntryTable.h"
#include "core/TextRules.h"
#include "tests/support/RecordingView.h"
#include "tests/support/WindowTestSupport.h"

#ifdef _WIN32
#include <cstdint>

#include <windows.h>
#else
#include "shell/ShellSystem.h"
#include "tests/support/RecordedStart.h"
#endif

namespace Varnock {
namespace {

using namespace Testing;

std::string ShippedTable() {
    std::ifstream In(VARNOCK_ELEMENTS_DAT, std::ios::binary);
    std::ostringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

// Open descriptors of this process that lead to a file named elements.dat.
#ifdef _WIN32
// Handle values are multiples of four, given out lowest first: the search ends well past the
// last one found (as in TestSystemWindows.cpp).
int OpenTables() {
    int Count = 0;
    for (std::uintptr_t Value = 4, Missed = 0; Missed < 256; Value += 4) {
        const auto Handle = reinterpret_cast<HANDLE>(Value);
        DWORD Flags = 0;
        if (!GetHandleInformation(Handle, &Flags)) {
            ++Missed;
            continue;
        }
        Missed = 0;
        wchar_t Name[1024];
        const DWORD Length = GetFileType(Handle) == FILE_TYPE_DISK
                                 ? GetFinalPathNameByHandleW(Handle, Name, 1024, 0)
                                 : 0;
        Count +=
            Length > 0 && Length < 1024 && std::filesystem::path(Name).filename() == "elements.dat";
    }
    return Count;
}
#else
int OpenTables() {
    int Count = 0;
    for (const auto& Entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code Failure;
        const auto Target = std::filesystem::read_symlink(Entry.path(), Failure);
        Count += !Failure && Target.filename() == "elements.dat";
    }
    return Count;
}
#endif

class WindowBehaviour : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    void Open(const char* Table) {
        Folder = std::make_unique<TableFolder>(Table);
        Window = std::make_unique<FrmVarnock>();
        Answerer = std::make_unique<MessageAnswerer>(Window.get());
        Window->Load(Folder->Folder());
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    }
    void TearDown() override {
        Answerer.reset();
        Window.reset();
        Folder.reset();
    }
    QListWidget* List() { return Find<QListWidget>(*Window, "LstElements"); }
    QLineEdit* Formula() { return Find<QLineEdit>(*Window, "TxtFormula"); }
    QString Report() { return Find<QPlainTextEdit>(*Window, "TxtAnswer")->toPlainText(); }
    QString Mass() { return Find<QLineEdit>(*Window, "TxtFormulaMass")->text(); }
    QStringList ListTexts() {
        QStringList Texts;
        for (int Row = 0; Row < List()->count(); ++Row)
            Texts << List()->item(Row)->text();
        return Texts;
    }
    void DoubleClick(int Row) {
        QListWidgetItem* Item = List()->item(Row);
        List()->scrollToItem(Item);
        const QPoint Centre = List()->visualItemRect(Item).center();
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, Centre);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, Centre);
    }
    int RowOf(const QString& Symbol) {
        for (int Row = 0; Row < List()->count(); ++Row)
            if (List()->item(Row)->text().mid(4, 2).trimmed() == Symbol)
                return Row;
        ADD_FAILURE() << "no entry for " << Symbol.toStdString();
        return 0;
    }
    void Calculate(const QString& Text) {
        Formula()->setText(Text);
        Find<QPushButton>(*Window, "CmdCalculate")->click();
    }

    std::unique_ptr<TableFolder> Folder;
    std::unique_ptr<FrmVarnock> Window;
    std::unique_ptr<MessageAnswerer> Answerer;
};

TEST_F(WindowBehaviour, StartUpFillsListHeadingAndCaptionFromTheProgramFolder) {
    const std::string Table = ShippedTable();
    Open(Table.c_str());
    EXPECT_TRUE(Answerer->Seen.empty());
    EXPECT_EQ(std::filesystem::current_path(),
              std::filesystem::path(Folder->Folder().toStdString()));
    std::vector<std::string> Expected;
    ElementTable(VARNOCK_ELEMENTS_DAT).ListAll([&](const ElementRecord& Record) {
        Expected.push_back(ElementListEntry(Record, '.'));
    });
    ASSERT_EQ(List()->count(), static_cast<int>(Expected.size()));
    for (int Row = 0; Row < List()->count(); ++Row)
        EXPECT_EQ(List()->item(Row)->text().toStdString(), Expected[Row]);
    EXPECT_EQ(List()->item(0)->text(), "  1- H(1.008)");
    EXPECT_EQ(Find<QPlainTextEdit>(*Window, "TxtTitle")->toPlainText(), "Name\tweight\t    %");
    EXPECT_EQ(Window->windowTitle(), "Varnock (By Tervalin)");
    EXPECT_EQ(OpenTables(), 0);
}

struct BrokenStart {
    const char* Table; // null: no file at all
    const char* Message;
    int Entries;
};

TEST_F(WindowBehaviour, StartUpFailureIsReportedAndTheWindowOpensWithWhatWasRead) {
    const BrokenStart Cases[] = {
        {nullptr, "Error number 53 occured", 0},
        {"\"H\",1,1.008\r\n\"He\",2,4.0026\r\n\"Li\",3", "Error number 62 occured", 2},
    };
    for (const auto& Case : Cases) {
        Open(Case.Table);
        ASSERT_EQ(Answerer->Seen.size(), 1u) << Case.Message;
        const SeenMessage& Seen = Answerer->Seen[0];
        EXPECT_EQ(Seen.Text, Case.Message);
        EXPECT_EQ(Seen.Title, "Varnock");
        EXPECT_EQ(Seen.Icon, QMessageBox::NoIcon);
        EXPECT_EQ(Seen.Buttons, QMessageBox::Ok);
        EXPECT_EQ(List()->count(), Case.Entries) << Case.Message;
        EXPECT_EQ(Window->windowTitle(), "Varnock -- by Tervalin");
        EXPECT_TRUE(Find<QPlainTextEdit>(*Window, "TxtTitle")->toPlainText().isEmpty());
        EXPECT_TRUE(Window->isVisible());
        EXPECT_EQ(OpenTables(), 0) << Case.Message;
        TearDown();
    }
}

TEST_F(WindowBehaviour, ReportAndMassAreTheCoresOwn) {
    Open("\"H\",1,1\r\n\"C\",6,12.011\r\n\"O\",8,16\r\n\"Na\",11,22.99\r\n\"Cl\",17,35.45\r\n");
    for (const char* Text : {"H2O", "NaCl", "CH3COOH", "", "Xx2", "H2O"}) {
        Answerer->Seen.clear();
        Calculate(Text);
        RecordingView Expected;
        Varnock::Calculate(ProgramEntryTable(), Text, ElementTable(), Expected, '.');
        QString Shown = Report();
        Shown.replace("\n", "\r\n");
        EXPECT_EQ(Shown.toStdString(), Expected.Report) << Text;
        EXPECT_EQ(Mass().toStdString(), Expected.Mass) << Text;
        ASSERT_EQ(Answerer->Seen.size(), Expected.Notices.size()) << Text;
        for (std::size_t Index = 0; Index < Expected.Notices.size(); ++Index)
            EXPECT_EQ(Answerer->Seen[Index].Text.toStdString(), Expected.Notices[Index]);
    }
    Calculate("H2O");
    EXPECT_EQ(Report(), " H*2=\t2\t  11.11%  \n O*1=\t16\t  88.89%  \n"
                        "============================\nTotal: \t18\t  100%\n");
    EXPECT_EQ(Mass(), "18 g");
}

// A notice is a message box over the window as the calculation left it at that moment: a
// missing element's between the lines around it; a table failure's with the report and the
// last mass already cleared, and neither written afterwards. The list keeps what start-up
// read, and the repaired table is used at once.
TEST_F(WindowBehaviour, NoticesAreMessageBoxesOverWhatTheWindowShowsThen) {
    const char* const Table = "\"H\",1,1\r\n\"O\",8,16\r\n";
    struct Case {
        const char* Name;
        const char* Formula;
        const char* Broken; // the table file's bytes; null: removed
        QString Notice;
        QString ReportShown; // while the box was open
        bool Refused;        // no report and no mass afterwards
    };
    const Case Cases[] = {
        {"missing element", "HXO", Table, "Element: X Doesn't exist in database",
         " H*1=\t1\t  5.88%  \n", false},
        {"table removed", "H2O", nullptr, "Error number 53 occured reading elements.dat", "", true},
        {"table cut short", "H2O", "\"H\",1,1\r\n\"O\",8",
         "Error number 62 occured reading elements.dat", "", true},
    };
    Open(Table);
    const QStringList Listed = ListTexts();
    ASSERT_EQ(Listed.size(), 2);
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Calculate("H2O");
        ASSERT_EQ(Mass(), "18 g");
        std::filesystem::remove(Folder->Table());
        if (Case.Broken)
            std::ofstream(Folder->Table(), std::ios::binary) << Case.Broken;
        Answerer->Seen.clear();
        Calculate(Case.Formula);
        ASSERT_EQ(Answerer->Seen.size(), 1u);
        const SeenMessage& Seen = Answerer->Seen[0];
        EXPECT_EQ(Seen.Text, Case.Notice);
        EXPECT_EQ(Seen.Title, "Varnock");
        EXPECT_EQ(Seen.Icon, QMessageBox::NoIcon);
        EXPECT_EQ(Seen.Buttons, QMessageBox::Ok);
        EXPECT_EQ(Seen.ReportShown, Case.ReportShown);
        if (Case.Refused) {
            EXPECT_EQ(Seen.MassShown, "") << "the last good mass shows behind the notice";
            EXPECT_EQ(Report(), "");
        }
        // Without X the others' sum is no formula mass: none is shown.
        EXPECT_EQ(Mass(), "");
        EXPECT_EQ(ListTexts(), Listed);
        EXPECT_EQ(OpenTables(), 0);

        std::ofstream(Folder->Table(), std::ios::binary | std::ios::trunc) << Table;
        Answerer->Seen.clear();
        Calculate("H2O");
        EXPECT_TRUE(Answerer->Seen.empty());
        EXPECT_EQ(Mass(), "18 g");
    }
}

// A reading note is no message box: it follows the total in the report, which scrolls to it, and
// the mass box carries it for screen readers.
TEST_F(WindowBehaviour, ReadingNoteFollowsTheTotalWithoutAMessageBox) {
    Open(ShippedTable().c_str());
    auto* MassBox = Find<QLineEdit>(*Window, "TxtFormulaMass");
    auto* Answer = Find<QPlainTextEdit>(*Window, "TxtAnswer");
    const struct {
        const char* Formula;
        const char* Mass;
        const char* Note;
        const char* Shown; // the report's last lines
    } Cases[] = {
        {"CuSO4.5H2O", "249.677 g",
         "Formula: character 6 \".\": read as CuSO4\xC2\xB7"
         "5H2O; for the count 4.5 write CuS(O4.5)H2O",
         "Total: \t249.677\t  100%\nFormula: character 6 \".\":\nread as CuSO4\xC2\xB7"
         "5H2O;\nfor the count 4.5 write CuS(O4.5)H2O\n"},
        {"Fe3+", "55.845 g",
         "Formula: character 4 \"+\": read as Fe^3+; for Fe\xC3\x97"
         "3 with charge 1+ write Fe3^+",
         "Total: \t55.845\t  100%\nFormula: character 4 \"+\":\nread as Fe^3+;\nfor Fe\xC3\x97"
         "3 with charge 1+ write Fe3^+\n"},
        {"H2O", "18.015 g", "", "Total: \t18.015\t  100%\n"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Formula);
        Calculate(QString::fromUtf8(Case.Formula));
        EXPECT_TRUE(Answerer->Seen.empty());
        EXPECT_EQ(Mass(), Case.Mass);
        EXPECT_TRUE(Report().endsWith(QString::fromUtf8(Case.Shown))) << Report().toStdString();
        EXPECT_EQ(MassBox->accessibleDescription(), QString::fromUtf8(Case.Note));
        EXPECT_EQ(MassBox->toolTip(), QString::fromUtf8(Case.Note));
        EXPECT_EQ(Answer->verticalScrollBar()->value(), Answer->verticalScrollBar()->maximum());
    }

    // An element the table lacks: a message box, and no mass that leaves it out.
    Calculate("Ph3P");
    ASSERT_EQ(Answerer->Seen.size(), 1u);
    EXPECT_EQ(Answerer->Seen[0].Text, "Element: Ph Doesn't exist in database");
    EXPECT_EQ(Mass(), "");
    EXPECT_TRUE(Report().endsWith("Total: \t30.974\t  100%  (without Ph)\n"));
}

// Counts the paints of a control while it lives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* Watched) { Watched->installEventFilter(this); }
    int Paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* Event) override {
        Paints += Event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(WindowBehaviour, EveryReportLineIsPaintedAsItIsWritten) {
    Open("\"H\",1,1\r\n\"O\",8,16\r\n");
    QApplication::processEvents();
    PaintCounter Counter(Find<QPlainTextEdit>(*Window, "TxtAnswer")->viewport());
    Calculate("H2O"); // the report is written five times: cleared, two entries, two closing lines
    EXPECT_GE(Counter.Paints, 5);
}

TEST_F(WindowBehaviour, DoubleClickInsertsTheSymbolAtTheCaretOrOverTheSelection) {
    const std::string Table = ShippedTable();
    Open(Table.c_str());
    struct Case {
        QString Before;
        int SelectionStart, SelectionLength, Caret;
        QString Symbol, After;
    };
    const Case Cases[] = {
        {"H2", 0, 0, 2, "O", "H2O"},       // one-letter symbol: no alignment space
        {"H2O", 0, 0, 0, "Na", "NaH2O"},   // at the caret, not at the end
        {"HXXO", 1, 2, -1, "Cl", "HClO"},  // over the selection
        {"HXXO", 3, -2, -1, "He", "HHeO"}, // a selection made leftwards
    };
    for (const auto& Row : Cases) {
        Formula()->setFocus();
        Formula()->setText(Row.Before);
        if (Row.SelectionLength)
            Formula()->setSelection(Row.SelectionStart, Row.SelectionLength);
        else
            Formula()->setCursorPosition(Row.Caret);
        DoubleClick(RowOf(Row.Symbol));
        EXPECT_EQ(Formula()->text(), Row.After) << Row.Before.toStdString();
        EXPECT_EQ(QApplication::focusWidget(), Formula());
        const int Inserted = Row.After.indexOf(Row.Symbol, Row.SelectionLength ? 1 : Row.Caret);
        EXPECT_EQ(Formula()->cursorPosition(), Inserted + Row.Symbol.size());
    }
}

TEST_F(WindowBehaviour, InsertionPastFortyCharactersIsRefused) {
    const std::string Table = ShippedTable();
    Open(Table.c_str());
    const QString Full = QString("C").repeated(39);
    Formula()->setText(Full);
    DoubleClick(RowOf("He"));
    EXPECT_EQ(Formula()->text(), Full);
    DoubleClick(RowOf("H"));
    EXPECT_EQ(Formula()->text(), Full + "H");
    DoubleClick(RowOf("H"));
    EXPECT_EQ(Formula()->text(), Full + "H");
    // Replacing a selection frees its room.
    Formula()->setSelection(0, 2);
    DoubleClick(RowOf("He"));
    EXPECT_EQ(Formula()->text(), "He" + Full.mid(2) + "H");
}

#ifdef _WIN32
// The shell here is Windows' own, with no stand-in inside the process: the click's call of
// ShellExecute is seen from outside in WindowWineTest.cpp.
TEST_F(WindowBehaviour, ClickOnTheAddressOpensItWithASmallFirstLetter) {
    GTEST_SKIP() << "WineWindow.ClickOnTheAddressReachesTheShell checks it on Windows";
}
#else
using Testing::Recorded;
using Testing::RecordStart;

TEST_F(WindowBehaviour, ClickOnTheAddressOpensItWithASmallFirstLetter) {
    Open(nullptr);
    Recorded = {};
    const auto Previous = ShellSystem::SetStart(RecordStart);
    auto* Label = Find<QLabel>(*Window, "Label4");
    QTest::mouseClick(Label, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(Recorded.Calls, 0);
    QTest::mouseClick(Label, Qt::LeftButton, {}, QPoint(5, 5));
    ShellSystem::SetStart(Previous);
    EXPECT_EQ(Recorded.Calls, 1);
    EXPECT_EQ(Recorded.Arguments, (std::vector<std::string>{"xdg-open", "http://tervalin.test/"}));
}
#endif

} // namespace
} // namespace Varnock
