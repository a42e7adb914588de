// What a screen reader gets from the window through Qt's accessibility interfaces: a name and
// a role for every control, the access keys, and a way to follow the address.

#include <string>
#include <vector>

#include <QAccessible>
#include <QKeySequence>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/WindowTestSupport.h"

#ifndef _WIN32
#include "shell/ShellSystem.h"
#include "tests/support/RecordedStart.h"
#endif

namespace Varnock {
namespace {

using namespace Testing;

class WindowAccessibility : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    void SetUp() override {
        Window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }
    QAccessibleInterface* Interface(const char* Name) {
        QWidget* Control = Find(Window, Name);
        EXPECT_NE(Control, nullptr) << Name;
        return Control ? QAccessible::queryAccessibleInterface(Control) : nullptr;
    }
    // The controls that Of names in its relations of the given kind.
    static std::vector<std::string> Related(QAccessibleInterface* Of, QAccessible::Relation Kind) {
        std::vector<std::string> Names;
        for (const auto& [Other, Relation] : Of->relations(Kind))
            Names.push_back(Other->object()->objectName().toStdString());
        return Names;
    }
    FrmVarnock Window;
};

struct Announced {
    const char* Control;
    QAccessible::Role Role;
    std::string Name;
};

TEST_F(WindowAccessibility, EveryControlHasANameAndRole) {
    const Announced Table[] = {
        {"TxtFormula", QAccessible::EditableText, "Enter Formula"},
        {"LstElements", QAccessible::List, "Elements"},
        {"TxtAnswer", QAccessible::EditableText, "Report"},
        {"TxtFormulaMass", QAccessible::EditableText, "Formula Mass"},
        {"TxtTitle", QAccessible::EditableText, "Report Heading"},
        {"CmdCalculate", QAccessible::Button, "Calculate"},
        {"CmdAnalysis", QAccessible::Button, "Analysis"},
        {"CmdFind", QAccessible::Button, "Find by mass"},
        {"Label1", QAccessible::StaticText, "Elements:"},
        {"Label2", QAccessible::StaticText, "Enter Formula"},
        {"Label3", QAccessible::StaticText, "Formula Mass:"},
        {"Label4", QAccessible::Link, "Http://tervalin.test/"},
    };
    QStringList Named;
    for (const auto& Row : Table) {
        QAccessibleInterface* Control = Interface(Row.Control);
        ASSERT_NE(Control, nullptr) << Row.Control;
        EXPECT_EQ(Control->role(), Row.Role) << Row.Control;
        EXPECT_EQ(Control->text(QAccessible::Name).toStdString(), Row.Name) << Row.Control;
        Named << Row.Control;
    }
    // No control is left for a screen reader to announce as nameless.
    const auto Children = Window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    EXPECT_EQ(Children.size(), Named.size());
    for (QWidget* Control : Children)
        EXPECT_TRUE(Named.contains(Control->objectName())) << Control->objectName().toStdString();
    // The window's own accessible tree holds them all.
    QAccessibleInterface* Top = QAccessible::queryAccessibleInterface(&Window);
    ASSERT_NE(Top, nullptr);
    EXPECT_EQ(Top->childCount(), Named.size());
}

TEST_F(WindowAccessibility, AccessKeysAreExposed) {
    // The button binds its key to its press action.
    QAccessibleInterface* Button = Interface("CmdCalculate");
    ASSERT_NE(Button, nullptr);
    ASSERT_NE(Button->actionInterface(), nullptr);
    const QString AltC = QKeySequence(Qt::ALT | Qt::Key_C).toString(QKeySequence::NativeText);
    const QStringList Keys =
        Button->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(Keys.join(' ').toStdString(), AltC.toStdString());
    for (const auto& [Name, Key] : {std::pair{"CmdAnalysis", Qt::Key_A}, {"CmdFind", Qt::Key_M}}) {
        QAccessibleInterface* Other = Interface(Name);
        ASSERT_NE(Other, nullptr);
        ASSERT_NE(Other->actionInterface(), nullptr);
        EXPECT_EQ(Other->actionInterface()
                      ->keyBindingsForAction(QAccessibleActionInterface::pressAction())
                      .join(' ')
                      .toStdString(),
                  QKeySequence(Qt::ALT | Key).toString(QKeySequence::NativeText).toStdString());
    }

    // A box carries the key of the label that names it; the label points back at the box.
    struct Keyed {
        const char* Box;
        const char* Label;
        Qt::Key Key; // Qt::Key_unknown: the caption has no access key
    };
    const Keyed Boxes[] = {
        {"TxtFormula", "Label2", Qt::Key_F},
        {"LstElements", "Label1", Qt::Key_E},
        {"TxtFormulaMass", "Label3", Qt::Key_unknown},
    };
    for (const auto& Row : Boxes) {
        QAccessibleInterface* Box = Interface(Row.Box);
        QAccessibleInterface* Label = Interface(Row.Label);
        ASSERT_NE(Box, nullptr);
        ASSERT_NE(Label, nullptr);
        EXPECT_EQ(Related(Label, QAccessible::Labelled), std::vector<std::string>{Row.Box})
            << Row.Label;
        const auto* Caption = qobject_cast<QLabel*>(Label->object());
        ASSERT_NE(Caption, nullptr);
        const QKeySequence Expected =
            Row.Key == Qt::Key_unknown ? QKeySequence() : QKeySequence(Qt::ALT | Row.Key);
        EXPECT_EQ(QKeySequence::mnemonic(Caption->text()).toString().toStdString(),
                  Expected.toString().toStdString())
            << Row.Label;
    }
    // Qt's line edit interface gives the label relation and the key itself; its list
    // interface has neither, so a screen reader reaches the list's key through its label.
    QAccessibleInterface* Formula = Interface("TxtFormula");
    EXPECT_EQ(Related(Formula, QAccessible::Label), std::vector<std::string>{"Label2"});
    EXPECT_EQ(Formula->text(QAccessible::Accelerator).toStdString(),
              QKeySequence(Qt::ALT | Qt::Key_F).toString(QKeySequence::NativeText).toStdString());
    EXPECT_EQ(Related(Interface("TxtFormulaMass"), QAccessible::Label),
              std::vector<std::string>{"Label3"});
    EXPECT_EQ(Interface("TxtFormulaMass")->text(QAccessible::Accelerator).toStdString(), "");
}

TEST_F(WindowAccessibility, AddressLabelIsALinkThatOpensTheWebPage) {
    QAccessibleInterface* Link = Interface("Label4");
    ASSERT_NE(Link, nullptr);
    EXPECT_EQ(Link->text(QAccessible::Description).toStdString(),
              "Opens this web page in the browser");
    QAccessibleActionInterface* Actions = Link->actionInterface();
    ASSERT_NE(Actions, nullptr);
    const QString Press = QAccessibleActionInterface::pressAction();
    ASSERT_TRUE(Actions->actionNames().contains(Press));

    // Pressing it through the interface opens the address as a mouse click does. (On Windows
    // the shell is the system's own, with no stand-in in the process.)
#ifndef _WIN32
    Recorded = {};
    const auto Previous = ShellSystem::SetStart(RecordStart);
    Actions->doAction(Press);
    ShellSystem::SetStart(Previous);
    EXPECT_EQ(Recorded.Calls, 1);
    EXPECT_EQ(Recorded.Arguments, (std::vector<std::string>{"xdg-open", "http://tervalin.test/"}));
#endif

    // The other labels are plain text with nothing to press.
    for (const char* Name : {"Label1", "Label2", "Label3"}) {
        QAccessibleInterface* Label = Interface(Name);
        ASSERT_NE(Label, nullptr);
        const QAccessibleActionInterface* None = Label->actionInterface();
        EXPECT_TRUE(!None || !None->actionNames().contains(Press)) << Name;
    }
}

} // namespace
} // namespace Varnock
