// Hostile text reaching the formula box by every route a user has: the box keeps one line of at
// most 40 whole characters, and what it keeps reaches the calculation in the code page.

#include <memory>
#include <ostream>

#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/WindowTestSupport.h"

// Readable failures: gtest finds this by the argument's namespace.
void PrintTo(const QString& Text, std::ostream* Out) {
    *Out << '"' << Text.left(60).toStdString() << (Text.size() > 60 ? "...\"" : "\"") << " ("
         << Text.size() << " units)";
}

namespace Varnock {
namespace {

using namespace Testing;

const QString Emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600, a surrogate pair
const QString Water = QString(QChar(0x6C34));                // a CJK character
constexpr qsizetype Megabyte = 1 << 20;

QString Repeat(const QString& Piece, qsizetype Size) {
    return Piece.repeated(Size / Piece.size() + 1).left(Size);
}

// Ways text reaches the box other than single keys.
enum class Route { CtrlV, PasteSlot, Drop, InputMethod };

const char* NameOf(Route Way) {
    switch (Way) {
    case Route::CtrlV:
        return "Ctrl+V";
    case Route::PasteSlot:
        return "paste()";
    case Route::Drop:
        return "drop";
    case Route::InputMethod:
        return "input method";
    }
    return "?";
}

void Deliver(QLineEdit* Box, Route Way, const QString& Text) {
    switch (Way) {
    case Route::CtrlV:
        QApplication::clipboard()->setText(Text);
        QTest::keyClick(Box, Qt::Key_V, Qt::ControlModifier);
        break;
    case Route::PasteSlot:
        QApplication::clipboard()->setText(Text);
        Box->paste();
        break;
    case Route::Drop: {
        // Dragged in and dropped where the caret stands, so it lands where a paste would.
        QMimeData Data;
        Data.setText(Text);
        const QPoint At = Box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QDragEnterEvent Enter(At, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Box, &Enter);
        QDragMoveEvent Move(At, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Box, &Move);
        QDropEvent Drop(At, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Box, &Drop);
        break;
    }
    case Route::InputMethod: {
        QInputMethodEvent Event;
        Event.setCommitString(Text);
        QApplication::sendEvent(Box, &Event);
        break;
    }
    }
}

bool HoldsHalfAPair(const QString& Text) {
    for (qsizetype At = 0; At < Text.size(); ++At) {
        if (Text[At].isHighSurrogate() && At + 1 < Text.size() && Text[At + 1].isLowSurrogate())
            ++At;
        else if (Text[At].isSurrogate())
            return true;
    }
    return false;
}

bool HoldsLineBreak(const QString& Text) {
    for (QChar Character : Text)
        if (Character == u'\n' || Character == u'\r' || Character == QChar(0x2028) ||
            Character == QChar(0x2029) || Character == QChar(0x85))
            return true;
    return false;
}

class WindowInput : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    void SetUp() override {
        Folder = std::make_unique<TableFolder>(nullptr);
        std::filesystem::copy_file(VARNOCK_ELEMENTS_DAT,
                                   Folder->Folder().toStdString() + "/elements.dat");
        Window = std::make_unique<FrmVarnock>();
        Answerer = std::make_unique<MessageAnswerer>(Window.get());
        Window->Load(Folder->Folder());
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        ASSERT_TRUE(Answerer->Seen.empty());
    }
    void TearDown() override {
        Answerer.reset();
        Window.reset();
        Folder.reset();
    }
    QLineEdit* Formula() { return Find<QLineEdit>(*Window, "TxtFormula"); }
    QString Mass() { return Find<QLineEdit>(*Window, "TxtFormulaMass")->text(); }
    QString Report() { return Find<QPlainTextEdit>(*Window, "TxtAnswer")->toPlainText(); }
    void Start(const QString& Before, int Caret, int SelectionLength) {
        Formula()->setFocus();
        Formula()->setText(Before);
        if (SelectionLength)
            Formula()->setSelection(Caret, SelectionLength);
        else
            Formula()->setCursorPosition(Caret);
    }
    // Calculates what the box holds; the notices it gave.
    std::vector<QString> Calculate() {
        Answerer->Seen.clear();
        Find<QPushButton>(*Window, "CmdCalculate")->click();
        std::vector<QString> Notices;
        for (const SeenMessage& Seen : Answerer->Seen)
            Notices.push_back(Seen.Text);
        return Notices;
    }

    std::unique_ptr<TableFolder> Folder;
    std::unique_ptr<FrmVarnock> Window;
    std::unique_ptr<MessageAnswerer> Answerer;
};

struct Inserted {
    const char* Name;
    QString Before; // the box's text beforehand
    int Caret;      // where the insertion starts
    int Selection;  // characters it replaces
    QString Text;
    QString After; // the box's text afterwards
};

TEST_F(WindowInput, HostileTextKeepsOneLineOfFortyWholeCharacters) {
    const QString Forty = QString(40, 'H');
    const QString Nul(QChar(0));
    const Inserted Cases[] = {
        {"1 MB of formula", "", 0, 0, Repeat("H2O", Megabyte), Repeat("H2O", 40)},
        {"1 MB of one letter", "", 0, 0, QString(Megabyte, 'X'), QString(40, 'X')},
        {"1 MB with a break inside the first 40", "", 0, 0, "NaCl\n" + Repeat("H2O", Megabyte),
         "NaCl"},
        {"lines with CR LF", "", 0, 0, "H2O\r\nNaCl\r\n", "H2O"},
        {"leading line breaks", "", 0, 0, "\r\n\nNaCl\nH2O", "NaCl"},
        {"Unicode line separator", "", 0, 0, QString("H2") + QChar(0x2028) + "O", "H2"},
        {"break inside the text", "H2O", 1, 0, "e\nNa", "He2O"},
        {"break over a selection", "NaCl", 2, 2, "Br\r\nXx", "NaBr"},
        {"only a break, over a selection", "NaClO", 2, 2, "\r\n", "NaO"},
        {"tab", "", 0, 0, "H\t2O", "H\t2O"},
        {"NUL", "", 0, 0, "H2" + Nul + "O", "H2" + Nul + "O"},
        {"control character first", "", 0, 0, "\x01H2O", "\x01H2O"},
        {"escape in a count", "", 0, 0, "H2\x1bO", "H2\x1bO"},
        {"vertical tab", "", 0, 0, "H\x0b", "H\x0b"},
        {"right-to-left mark", "", 0, 0, QChar(0x200F) + QString("H2O"),
         QChar(0x200F) + QString("H2O")},
        {"right-to-left override", "", 0, 0, "H2" + QString(QChar(0x202E)) + "O",
         "H2" + QString(QChar(0x202E)) + "O"},
        {"CJK past the limit", "", 0, 0, QString(50, Water[0]), QString(40, Water[0])},
        {"emoji: two units each, pairs kept whole", "", 0, 0, Emoji.repeated(30),
         Emoji.repeated(20)},
        {"emoji that would be cut is left out", "H2O" + QString(36, ' '), 39, 0, Emoji + "X",
         "H2O" + QString(36, ' ')},
        {"emoji cut after a whole one", "H2O" + QString(35, ' '), 3, 0, Emoji + Emoji,
         "H2O" + Emoji + QString(35, ' ')},
        {"half a pair in the clipboard", "", 0, 0, "H2O" + QString(QChar(0xD800)), "H2O"},
        {"full box takes nothing", Forty, 40, 0, "O", Forty},
    };
    for (const Route Way : {Route::CtrlV, Route::PasteSlot, Route::Drop, Route::InputMethod}) {
        for (const Inserted& Case : Cases) {
            // A drop inserts at the drop point; it doesn't replace a selection.
            if (Way == Route::Drop && Case.Selection)
                continue;
            SCOPED_TRACE(std::string(NameOf(Way)) + ": " + Case.Name);
            Start(Case.Before, Case.Caret, Case.Selection);
            Deliver(Formula(), Way, Case.Text);
            const QString Held = Formula()->text();
            EXPECT_EQ(Held, Case.After);
            EXPECT_LE(Held.size(), 40);
            EXPECT_FALSE(HoldsHalfAPair(Held));
            EXPECT_FALSE(HoldsLineBreak(Held));
        }
    }
}

// The box's text goes to the calculation as it shows: a character the code page lacks is
// refused under its own name and counted as one character, even when it takes two UTF-16
// units; a character that shows nothing is named by its code point.
TEST_F(WindowInput, WhatTheBoxHoldsReachesTheCalculationInTheCodePage) {
    struct Case {
        const char* Name;
        QString Held;
        QString Notice; // empty: calculated
        QString Mass;
    };
    const Case Cases[] = {
        {"tab", "H\t2O", "", "18.015 g"},
        {"NUL", "H2" + QString(QChar(0)) + "O", "Formula: character 3 (code 0) can't be read", ""},
        {"right-to-left mark", QChar(0x200F) + QString("H2O"),
         "Formula: character 1 (U+200F) can't be read", ""},
        {"emoji after a formula", "H2O" + Emoji + QString(35, ' '),
         "Formula: character 4 \"" + Emoji + "\" can't be read", ""},
    };
    for (const Case& Each : Cases) {
        SCOPED_TRACE(Each.Name);
        Formula()->setText(Each.Held);
        ASSERT_EQ(Formula()->text(), Each.Held);
        const std::vector<QString> Notices = Calculate();
        EXPECT_EQ(Notices, Each.Notice.isEmpty() ? std::vector<QString>{}
                                                 : std::vector<QString>{Each.Notice});
        EXPECT_EQ(Mass(), Each.Mass);
        EXPECT_EQ(Report().contains("Total: "), !Each.Mass.isEmpty()) << Report().toStdString();
        // Calculating doesn't touch the box.
        EXPECT_EQ(Formula()->text(), Each.Held);
    }
}

// Text that arrives with key presses: Qt refuses control characters there, and one key whose
// text would pass the limit is refused whole.
struct Typed {
    const char* Name;
    QString Before;
    std::vector<QString> Keys; // the text of each key press
    QString After;
};

TEST_F(WindowInput, TypedTextKeepsWholeCharactersAndNoControlCharacters) {
    const Typed Cases[] = {
        {"emoji as the 40th character", QString(39, 'H'), {Emoji}, QString(39, 'H')},
        {"emoji as the 39th and 40th", QString(38, 'H'), {Emoji, Emoji}, QString(38, 'H') + Emoji},
        {"control characters", "H", {"\x01", QString(QChar(0)), "\x1b", "\t", "\r", "2"}, "H2"},
        {"line separator", "H", {QString(QChar(0x2028)), "2"}, "H2"},
        {"right-to-left mark", "H2O", {QString(QChar(0x200F))}, "H2O" + QString(QChar(0x200F))},
        {"one key with 1 MB of text", "", {QString(Megabyte, 'O')}, QString(40, 'O')},
        {"CJK past the limit", QString(39, 'H'), {Water, Water}, QString(39, 'H') + Water},
    };
    for (const Typed& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Start(Case.Before, static_cast<int>(Case.Before.size()), 0);
        for (const QString& Text : Case.Keys) {
            QKeyEvent Press(QEvent::KeyPress, 0, Qt::NoModifier, Text);
            QApplication::sendEvent(Formula(), &Press);
        }
        EXPECT_EQ(Formula()->text(), Case.After);
        EXPECT_FALSE(HoldsHalfAPair(Formula()->text()));
    }
}

TEST_F(WindowInput, TextSetByTheProgramIsCutTheSameWay) {
    const std::pair<QString, QString> Cases[] = {
        {QString(39, 'H') + Emoji, QString(39, 'H')},
        {"H2O\r\nNaCl", "H2O"},
        {QString(Megabyte, 'C'), QString(40, 'C')},
    };
    for (const auto& [Text, Held] : Cases) {
        Formula()->setText(Text);
        EXPECT_EQ(Formula()->text(), Held) << Text.left(50).toStdString();
    }
}

// The box corrects a change only when it has to: Qt forgets the undo steps then, so ordinary
// pastes and typing must still be undoable.
TEST_F(WindowInput, UncutPastesAndTypingStayUndoable) {
    Start("NaCl", 4, 0);
    Deliver(Formula(), Route::CtrlV, "H2O");
    QTest::keyClicks(Formula(), "2");
    ASSERT_EQ(Formula()->text(), "NaClH2O2");
    QTest::keyClick(Formula(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Formula()->text(), "NaClH2O");
    QTest::keyClick(Formula(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Formula()->text(), "NaCl");
    // A cut paste leaves the box as usable as before.
    Deliver(Formula(), Route::CtrlV, "Br\nXx");
    QTest::keyClicks(Formula(), "2");
    EXPECT_EQ(Formula()->text(), "NaClBr2");
}

} // namespace
} // namespace Varnock
