// The window as it opens: geometry, kinds, texts, fonts, settings, focus and keys.

#include <array>

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/WindowTestSupport.h"

namespace Varnock {
namespace {

using namespace Testing;

class WindowLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    void SetUp() override {
        Window = std::make_unique<FrmVarnock>();
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    }
    void TearDown() override { Window.reset(); }

    template <typename Control = QWidget> Control* Get(const char* Name) {
        auto* Found = Find<Control>(*Window, Name);
        EXPECT_NE(Found, nullptr) << Name;
        return Found;
    }
    std::unique_ptr<FrmVarnock> Window;
};

struct Placement {
    const char* Name;
    const char* Kind;
    QRect Pixels;
};

TEST_F(WindowLayout, EveryControlHasItsKindPlaceAndSize) {
    const Placement Table[] = {
        {"TxtTitle", "QPlainTextEdit", {4, 66, 303, 14}},
        {"TxtFormulaMass", "QLineEdit", {222, 44, 83, 15}},
        {"TxtAnswer", "QPlainTextEdit", {2, 80, 305, 95}},
        {"LstElements", "QListWidget", {2, 18, 127, 46}},
        {"CmdCalculate", "QPushButton", {250, 16, 59, 21}},
        {"TxtFormula", "QLineEdit", {134, 16, 113, 19}},
        {"Label4", "QLabel", {96, 178, 111, 17}},
        {"Label3", "QLabel", {134, 44, 83, 15}},
        {"Label2", "QLabel", {134, 2, 83, 15}},
        {"Label1", "QLabel", {4, 2, 95, 13}},
    };
    EXPECT_EQ(Window->size(), QSize(309, 192));
    EXPECT_EQ(Window->minimumSize(), QSize(309, 192)) << "the design size is the smallest";
    EXPECT_TRUE(Window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(Window->windowFlags() & Qt::WindowCloseButtonHint);
    int Controls = 0;
    for (const auto& Row : Table) {
        QWidget* Control = Get(Row.Name);
        ASSERT_NE(Control, nullptr);
        EXPECT_TRUE(Control->inherits(Row.Kind)) << Row.Name;
        EXPECT_EQ(Control->geometry(), Row.Pixels) << Row.Name;
        EXPECT_EQ(Control->parentWidget(), Window.get()) << Row.Name;
        ++Controls;
    }
    EXPECT_EQ(Controls, 10);
    // The formula box lies over the bottom of the label above it.
    EXPECT_TRUE(Get("Label2")->geometry().intersects(Get("TxtFormula")->geometry()));
    EXPECT_EQ(Window->childAt(140, 16), Get("TxtFormula"));
}

struct Grown {
    QSize Asked;
    QSize Got;
    // TxtFormula, CmdCalculate, TxtFormulaMass, LstElements, TxtTitle, TxtAnswer, Label4,
    // CmdAnalysis, CmdFind; the labels above stay where they are.
    std::array<QRect, 9> Places;
};

TEST_F(WindowLayout, EnlargedTheBoxesGrowAndTheOthersFollowTheEdges) {
    // Worked by hand from the design places: the formula box takes the extra width; the list
    // takes half the extra height in whole rows of 14 pixels, the report the rest; the button
    // and the mass box's right edge follow the right edge, the address (centred) and the
    // analysis button the bottom, the search button the bottom left corner.
    const std::array<QRect, 9> Design = {{{134, 16, 113, 19},
                                          {250, 16, 59, 21},
                                          {222, 44, 83, 15},
                                          {2, 18, 127, 46},
                                          {4, 66, 303, 14},
                                          {2, 80, 305, 95},
                                          {96, 178, 111, 17},
                                          {232, 177, 75, 15},
                                          {2, 177, 90, 15}}};
    const Grown Table[] = {
        {{309, 192}, {309, 192}, Design},
        {{409, 292},
         {409, 292},
         {{{134, 16, 213, 19},
           {350, 16, 59, 21},
           {222, 44, 183, 15},
           {2, 18, 127, 88},
           {4, 108, 403, 14},
           {2, 122, 405, 153},
           {146, 278, 111, 17},
           {332, 277, 75, 15},
           {2, 277, 90, 15}}}},
        // 28 pixels taller: one whole row for the list.
        {{310, 220},
         {310, 220},
         {{{134, 16, 114, 19},
           {251, 16, 59, 21},
           {222, 44, 84, 15},
           {2, 18, 127, 60},
           {4, 80, 304, 14},
           {2, 94, 306, 109},
           {96, 206, 111, 17},
           {233, 205, 75, 15},
           {2, 205, 90, 15}}}},
        // 27 pixels taller: not yet a whole row, so all of it goes to the report.
        {{309, 219},
         {309, 219},
         {{Design[0],
           Design[1],
           Design[2],
           Design[3],
           Design[4],
           {2, 80, 305, 122},
           {96, 205, 111, 17},
           {232, 204, 75, 15},
           {2, 204, 90, 15}}}},
        // Smaller than the design: held at the design size.
        {{200, 100}, {309, 192}, Design},
    };
    const char* Names[] = {"TxtFormula",  "CmdCalculate", "TxtFormulaMass",
                           "LstElements", "TxtTitle",     "TxtAnswer",
                           "Label4",      "CmdAnalysis",  "CmdFind"};
    for (const auto& Row : Table) {
        Window->resize(Row.Asked);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Window->size() == Row.Got; }, 2000))
            << Row.Asked.width() << "x" << Row.Asked.height();
        for (int Index = 0; Index < 9; ++Index)
            EXPECT_EQ(Get(Names[Index])->geometry(), Row.Places[Index])
                << Names[Index] << " at " << Row.Asked.width() << "x" << Row.Asked.height();
        EXPECT_EQ(Get("Label1")->geometry(), QRect(4, 2, 95, 13));
        EXPECT_EQ(Get("Label2")->geometry(), QRect(134, 2, 83, 15));
        EXPECT_EQ(Get("Label3")->geometry(), QRect(134, 44, 83, 15));
    }
}

TEST_F(WindowLayout, WindowOpensCentredWithItsCaptionAndIcon) {
    EXPECT_EQ(Window->windowTitle(), "Varnock -- by Tervalin");
    const QRect Screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(Window->geometry().center().x() - Screen.center().x()), 1);
    EXPECT_LE(std::abs(Window->geometry().center().y() - Screen.center().y()), 1);
    const auto Sizes = Window->windowIcon().availableSizes();
    EXPECT_TRUE(Sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(Sizes.contains(QSize(16, 16)));
    EXPECT_EQ(Window->palette().color(QPalette::Window), Window->palette().color(QPalette::Button));
}

struct Look {
    const char* Name;
    QString Text;
    bool Fixed;
    bool Bold;
    bool Underlined;
};

TEST_F(WindowLayout, TextsAndFontsAreThoseOfTheDesign) {
    const Look Table[] = {
        {"TxtTitle", "", true, false, false},
        {"TxtFormulaMass", "0", false, false, false},
        {"TxtAnswer", "", true, false, false},
        {"LstElements", "", true, false, false},
        {"CmdCalculate", "&Calculate", false, false, false},
        {"TxtFormula", "", false, false, false},
        {"Label4", "Http://tervalin.test/", false, false, true},
        {"Label3", "Formula Mass:", false, true, false},
        {"Label2", "Enter &Formula", false, false, false},
        {"Label1", "&Elements:", false, false, false},
    };
    for (const auto& Row : Table) {
        QWidget* Control = Get(Row.Name);
        ASSERT_NE(Control, nullptr);
        QString Text;
        if (auto* Line = qobject_cast<QLineEdit*>(Control))
            Text = Line->text();
        else if (auto* Box = qobject_cast<QPlainTextEdit*>(Control))
            Text = Box->toPlainText();
        else if (auto* Button = qobject_cast<QPushButton*>(Control))
            Text = Button->text();
        else if (auto* Label = qobject_cast<QLabel*>(Control))
            Text = Label->text();
        else if (auto* List = qobject_cast<QListWidget*>(Control)) {
            EXPECT_EQ(List->count(), 0);
        }
        EXPECT_EQ(Text, Row.Text) << Row.Name;
        const QFont Font = Control->font();
        const QFontInfo Used(Font);
        EXPECT_DOUBLE_EQ(Font.pointSizeF(), 8.25) << Row.Name;
        EXPECT_EQ(Used.fixedPitch(), Row.Fixed) << Row.Name << " " << Used.family().toStdString();
        EXPECT_EQ(Font.bold(), Row.Bold) << Row.Name;
        EXPECT_EQ(Font.underline(), Row.Underlined) << Row.Name;
        const QStringList Faces = Row.Fixed ? QStringList{"Courier New", "Liberation Mono"}
                                            : QStringList{"MS Sans Serif", "Microsoft Sans Serif",
                                                          "Liberation Sans", "Arial"};
        EXPECT_TRUE(Faces.contains(Used.family()))
            << Row.Name << " " << Used.family().toStdString();
    }
}

TEST_F(WindowLayout, BoxesHaveTheirBordersScrollBarsAndBackgrounds) {
    auto* Title = Get<QPlainTextEdit>("TxtTitle");
    auto* Answer = Get<QPlainTextEdit>("TxtAnswer");
    auto* Mass = Get<QLineEdit>("TxtFormulaMass");
    auto* Formula = Get<QLineEdit>("TxtFormula");
    auto* List = Get<QListWidget>("LstElements");
    const QColor Face = Window->palette().color(QPalette::Button);

    EXPECT_EQ(Title->frameWidth(), 0);
    EXPECT_EQ(Title->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Title->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Title->palette().color(QPalette::Base), Face);
    EXPECT_FALSE(Mass->hasFrame());
    EXPECT_EQ(Mass->palette().color(QPalette::Base), Face);

    EXPECT_EQ(Answer->frameWidth(), 2);
    EXPECT_EQ(Answer->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(Answer->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(Answer->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_NE(Answer->palette().color(QPalette::Base), Face);
    EXPECT_EQ(List->frameWidth(), 2);
    EXPECT_TRUE(Formula->hasFrame());
    EXPECT_EQ(Formula->maxLength(), 40);

    // The heading starts at the same x as the report, so its words stand over the columns.
    const int TitleText = Title->mapTo(Window.get(), Title->viewport()->geometry().topLeft()).x() +
                          Title->document()->documentMargin();
    const int AnswerText =
        Answer->mapTo(Window.get(), Answer->viewport()->geometry().topLeft()).x() +
        Answer->document()->documentMargin();
    EXPECT_EQ(TitleText, AnswerText);
    for (auto* Box : {Title, Answer}) {
        const QFontMetricsF Metrics(Box->font());
        EXPECT_DOUBLE_EQ(Box->tabStopDistance(), 8 * Metrics.averageCharWidth());
#ifndef _WIN32
        // Under Wine the offscreen platform's FreeType engine, without fontconfig's settings,
        // hints advances to whole pixels (7 for 6.6) while the average width stays the font's
        // own; on Linux both are the font's own.
        EXPECT_NEAR(Box->tabStopDistance(), 8 * Metrics.horizontalAdvance('0'), 0.5);
#endif
    }
    // A long report scrolls rather than wraps.
    Answer->setPlainText(QString(200, 'x') + "\n" + QString("y\n").repeated(40));
    QApplication::processEvents();
    EXPECT_EQ(Answer->document()->lineCount(), 42);
    EXPECT_GT(Answer->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(Answer->verticalScrollBar()->maximum(), 0);
}

TEST_F(WindowLayout, ListShowsWholeRowsOnly) {
    auto* List = Get<QListWidget>("LstElements");
    for (int Index = 0; Index < 10; ++Index)
        List->addItem(QString("%1- H(1.008)").arg(Index, 3));
    QApplication::processEvents();
    const int Row = List->visualItemRect(List->item(0)).height();
    ASSERT_GT(Row, 0);
    EXPECT_GE(Row, QFontMetrics(List->font()).height());
    EXPECT_EQ(List->viewport()->height() % Row, 0) << "row " << Row;
    EXPECT_TRUE(List->verticalScrollBar()->isVisible());
    EXPECT_EQ(List->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(List->isSortingEnabled());
}

TEST_F(WindowLayout, AddressLabelIsBlueUnderlinedWithAPointingHand) {
    auto* Label = Get<QLabel>("Label4");
    EXPECT_EQ(Label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(Label->cursor().shape(), Qt::PointingHandCursor);
    // The text is wholly inside the client area although the box runs past its bottom.
    const int TextBottom = Label->y() + QFontMetrics(Label->font()).height();
    EXPECT_LE(TextBottom, Window->height());
    EXPECT_GT(Label->geometry().bottom(), Window->height() - 1);
}

TEST_F(WindowLayout, CaptionsFitTheirBoxes) {
    for (const char* Name : {"Label1", "Label2", "Label3", "Label4"}) {
        auto* Label = Get<QLabel>(Name);
        QString Shown = Label->text();
        Shown.remove('&');
        EXPECT_LE(QFontMetrics(Label->font()).horizontalAdvance(Shown), Label->width()) << Name;
    }
    auto* Button = Get<QPushButton>("CmdCalculate");
    EXPECT_LE(QFontMetrics(Button->font()).horizontalAdvance("Calculate"), Button->width() - 8);
}

TEST_F(WindowLayout, FocusStartsInTheFormulaAndTabGoesRound) {
    EXPECT_EQ(QApplication::focusWidget(), Get("TxtFormula"));
    const char* Order[] = {"TxtAnswer",      "LstElements", "CmdCalculate",
                           "TxtFormulaMass", "TxtTitle",    "TxtFormula"};
    for (const char* Name : Order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Get(Name)) << "Tab to " << Name;
    }
    for (int Index = 4; Index >= 0; --Index) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), Get(Order[Index]))
            << "Shift+Tab to " << Order[Index];
    }
    for (const char* Label : {"Label1", "Label2", "Label3", "Label4"})
        EXPECT_EQ(Get(Label)->focusPolicy(), Qt::NoFocus) << Label;
}

TEST_F(WindowLayout, AccessKeysMoveTheFocusOrClick) {
    QSignalSpy Clicks(Get<QPushButton>("CmdCalculate"), &QPushButton::clicked);
    Get("TxtAnswer")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Get("LstElements"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Get("TxtFormula"));
    EXPECT_EQ(Clicks.count(), 0);
    MessageAnswerer Answers;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    // Qt animates a click by access key: the button shows pressed for a moment.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Clicks.count() == 1; }, 2000));
    EXPECT_EQ(Clicks.count(), 1);
}

TEST_F(WindowLayout, EnterFromEveryFocusClicksTheDefaultButton) {
    auto* Button = Get<QPushButton>("CmdCalculate");
    EXPECT_TRUE(Button->isDefault());
    QSignalSpy Clicks(Button, &QPushButton::clicked);
    MessageAnswerer Answers;
    int Expected = 0;
    for (const char* Name :
         {"TxtFormula", "TxtAnswer", "LstElements", "CmdCalculate", "TxtFormulaMass", "TxtTitle"}) {
        for (const auto Key : {Qt::Key_Return, Qt::Key_Enter}) {
            Get(Name)->setFocus();
            ASSERT_EQ(QApplication::focusWidget(), Get(Name));
            QTest::keyClick(Get(Name), Key,
                            Key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            EXPECT_EQ(Clicks.count(), ++Expected) << Name << " key " << Key;
        }
    }
}

TEST_F(WindowLayout, FormulaTakesFortyCharactersTypedOrPasted) {
    auto* Formula = Get<QLineEdit>("TxtFormula");
    QTest::keyClicks(Formula, QString(45, 'H'));
    EXPECT_EQ(Formula->text(), QString(40, 'H'));
    Formula->clear();
    QTest::keyClicks(Formula, "C6");
    QApplication::clipboard()->setText(QString(50, 'O'));
    QTest::keyClick(Formula, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Formula->text().size(), 40);
    EXPECT_TRUE(Formula->text().startsWith("C6O"));
}

TEST_F(WindowLayout, ReadOnlyBoxesRefuseChangesButCopy) {
    auto* Title = Get<QPlainTextEdit>("TxtTitle");
    auto* Answer = Get<QPlainTextEdit>("TxtAnswer");
    auto* Mass = Get<QLineEdit>("TxtFormulaMass");
    Title->setPlainText("Name");
    Answer->setPlainText("H*2=");
    const auto TextOf = [](QWidget* Box) {
        if (auto* Line = qobject_cast<QLineEdit*>(Box))
            return Line->text();
        return static_cast<QPlainTextEdit*>(Box)->toPlainText();
    };
    for (QWidget* Box : std::initializer_list<QWidget*>{Title, Answer, Mass}) {
        const QString Before = TextOf(Box);
        Box->setFocus();
        QApplication::clipboard()->setText("pasted");
        QTest::keyClicks(Box, "typed");
        QTest::keyClick(Box, Qt::Key_Backspace);
        QTest::keyClick(Box, Qt::Key_Delete);
        QTest::keyClick(Box, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(Box, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(TextOf(Box), Before) << Box->objectName().toStdString();
        QApplication::clipboard()->clear();
        QTest::keyClick(Box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(Box, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), Before) << Box->objectName().toStdString();
    }
}

} // namespace
} // namespace Varnock
