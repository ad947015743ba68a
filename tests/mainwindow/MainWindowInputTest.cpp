// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls and what the user can do with them.
#include "MainWindowFixture.h"

#include "FormBuilder.h"
#include "Version.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace harrowdeck::test {
namespace {

class MainWindowInput : public MainWindowFixture {
protected:
    void SetUp() override { Start(); }

    // Types into a field the way the keyboard does.
    void Type(const char* field, const char* keys) { QTest::keyClicks(&Get<QLineEdit>(field), keys); }
    void Enter(const char* field) { QTest::keyClick(&Get<QLineEdit>(field), Qt::Key_Return); }
    void Replace(const char* field, const char* keys)
    {
        Get<QLineEdit>(field).clear();
        Type(field, keys);
    }
};

TEST_F(MainWindowInput, ControlsHaveTheirCaptionsContainersAndPlaces)
{
    struct Control {
        const char* name;
        const char* caption;
        const char* container;
        int left, top, width, height;
    };
    const Control controls[] = {
        {"cmdSource", "Gloamery source", "client", 120, 120, 1815, 375},
        {"txtSource", "", "client", 2160, 165, 3855, 285},
        {"cmdDest", "Destionation", "client", 120, 720, 1815, 375},
        {"txtDest", "", "client", 2160, 765, 3855, 285},
        {"Frame1", "Left frame size", "client", 360, 1440, 2295, 1215},
        {"txtProc", "", "Frame1", 1560, 360, 495, 285},
        {"txtPixel", "", "Frame1", 1560, 720, 495, 285},
        {"Frame2", "Browsing mode", "client", 3360, 1320, 2295, 1455},
        {"optProcent", "Procent", "Frame1", 120, 360, 1095, 255},
        {"optPixel", "Pixel", "Frame1", 120, 720, 975, 255},
        {"optFrame", "Frame", "Frame2", 240, 360, 1335, 255},
        {"optWindow", "Full window", "Frame2", 240, 720, 1455, 255},
        {"optNewWin", "New Window", "Frame2", 240, 1080, 1455, 255},
        {"Command1", "Make Harrowdeck", "client", 2160, 3000, 1815, 375},
        {"chkAllFolders", "Every folder", "client", 360, 3060, 1695, 255},
    };
    const auto px = [this](int twips) { return TwipsToPixelsFor(*window, twips); };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        const QWidget& widget = Get<QWidget>(c.name);
        EXPECT_EQ(widget.parentWidget()->objectName(), c.container);
        // Exactly at its place, whatever font stands in for the requested
        // one: a caption that would not fit is drawn smaller instead.
        EXPECT_EQ(widget.geometry(), QRect(px(c.left), px(c.top), px(c.width), px(c.height)));
        if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
            EXPECT_EQ(button->text(), c.caption);
        } else if (const auto* box = qobject_cast<const QGroupBox*>(&widget)) {
            EXPECT_EQ(box->title(), c.caption);
        }
    }
    EXPECT_EQ(Get<QWidget>("client").size(), QSize(px(6105), px(3480)));
    EXPECT_EQ(window->windowTitle(), "Harrowdeck 1.1");
    EXPECT_EQ(Get<QLineEdit>("txtProc").maxLength(), 2);
    EXPECT_EQ(Get<QLineEdit>("txtPixel").maxLength(), 3);
}

TEST_F(MainWindowInput, EveryCaptionFits)
{
    EXPECT_TRUE(CaptionsFit(Get<QWidget>("client")));
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        EXPECT_LE(button->sizeHint().width(), button->width()) << button->objectName().toStdString();
    }
    for (QGroupBox* box : window->findChildren<QGroupBox*>()) {
        EXPECT_LT(box->fontMetrics().horizontalAdvance(box->title()), box->width());
    }
}

TEST_F(MainWindowInput, FixedSizeWithoutMaximise)
{
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

TEST_F(MainWindowInput, TabOrderStartsAtTheMakeButton)
{
    const QStringList expected = {"Command1", "cmdSource", "cmdDest",      "optProcent", "optPixel",
                                  "txtProc",  "txtPixel",  "optFrame",     "optWindow",  "optNewWin",
                                  "txtDest",  "txtSource", "chkAllFolders"};
    QStringList chain;
    QWidget* widget = &Get<QWidget>("Command1");
    do {
        if (expected.contains(widget->objectName())) {
            chain << widget->objectName();
        }
        widget = widget->nextInFocusChain();
    } while (widget != &Get<QWidget>("Command1"));
    EXPECT_EQ(chain, expected);
    EXPECT_EQ(window->focusWidget(), &Get<QWidget>("Command1"));
}

TEST_F(MainWindowInput, MenuItems)
{
    auto& projekt = Get<QMenu>("mnuProjekt");
    EXPECT_EQ(projekt.title(), "Projekt");
    ASSERT_EQ(projekt.actions().size(), 2);
    EXPECT_EQ(projekt.actions()[0]->objectName(), "mnuInfo");
    EXPECT_EQ(projekt.actions()[0]->text(), "Info");
    EXPECT_EQ(projekt.actions()[1]->objectName(), "mnuQuit");
    EXPECT_EQ(projekt.actions()[1]->text(), "Quit");
    auto& help = Get<QAction>("mnuHelp");
    EXPECT_EQ(help.text(), "Help");
    EXPECT_EQ(help.menu(), nullptr);
    EXPECT_TRUE(window->menuBar()->actions().contains(&help));
    for (const QAction* action : {projekt.actions()[0], projekt.actions()[1], &help}) {
        EXPECT_TRUE(action->shortcut().isEmpty());
    }
}

TEST_F(MainWindowInput, WidthFieldsTakeDigitsAndControlKeysOnly)
{
    Replace("txtProc", "a-. 4");
    EXPECT_EQ(Text("txtProc"), "4");
    Replace("txtPixel", "1x2 y3Z4");
    EXPECT_EQ(Text("txtPixel"), "123"); // at most three characters
    QTest::keyClick(&Get<QLineEdit>("txtPixel"), Qt::Key_Backspace);
    EXPECT_EQ(Text("txtPixel"), "12");
    Replace("txtProc", "987");
    EXPECT_EQ(Text("txtProc"), "98");
}

TEST_F(MainWindowInput, EnterBringsThePercentIntoRange)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "10"}, {"5", "10"}, {"95", "80"}, {"40", "40"}, {"08", "10"}};
    for (const auto& [typed, shown] : cases) {
        SCOPED_TRACE(typed);
        Replace("txtProc", typed);
        Enter("txtProc");
        EXPECT_EQ(Text("txtProc"), shown);
        EXPECT_EQ(window->State().leftPercent, QString(shown).toInt());
    }
}

TEST_F(MainWindowInput, EnterBringsThePixelsIntoRangeAndStoresThem)
{
    const std::pair<const char*, const char*> cases[] = {{"", "20"}, {"7", "20"}, {"999", "999"}};
    for (const auto& [typed, shown] : cases) {
        SCOPED_TRACE(typed);
        Replace("txtPixel", typed);
        Enter("txtPixel");
        EXPECT_EQ(Text("txtPixel"), shown);
        EXPECT_EQ(window->State().leftPixels, QString(shown).toInt());
    }
}

TEST_F(MainWindowInput, PastedTextIsNotFilteredButEnterUsesItsNumber)
{
    QApplication::clipboard()->setText(QStringLiteral("1x"));
    for (const char* field : {"txtProc", "txtPixel"}) {
        Get<QLineEdit>(field).clear();
        QTest::keyClick(&Get<QLineEdit>(field), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(Text(field), "1x");
    }
    Enter("txtProc");
    Enter("txtPixel");
    EXPECT_EQ(Text("txtProc"), "10");
    EXPECT_EQ(Text("txtPixel"), "20");
}

TEST_F(MainWindowInput, FocusSelectsTheWholeField)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    for (const char* field : {"txtProc", "txtPixel"}) {
        Get<QLineEdit>(field).setText("37");
        Get<QLineEdit>(field).deselect();
        Get<QWidget>("Command1").setFocus();
        Get<QLineEdit>(field).setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        EXPECT_EQ(Get<QLineEdit>(field).selectedText(), "37") << field;
        Type(field, "5");
        EXPECT_EQ(Text(field), "5") << field;
    }
}

TEST_F(MainWindowInput, OptionButtonsSetTheModes)
{
    QTest::mouseClick(&Get<QRadioButton>("optPixel"), Qt::LeftButton);
    EXPECT_EQ(window->State().sizeMode, SizeMode::Pixels);
    QTest::mouseClick(&Get<QRadioButton>("optProcent"), Qt::LeftButton);
    EXPECT_EQ(window->State().sizeMode, SizeMode::Percent);
    EXPECT_FALSE(Selected("optPixel"));

    QTest::mouseClick(&Get<QRadioButton>("optNewWin"), Qt::LeftButton);
    EXPECT_EQ(window->State().browseMode, BrowseMode::NewWindow);
    QTest::mouseClick(&Get<QRadioButton>("optWindow"), Qt::LeftButton);
    EXPECT_EQ(window->State().browseMode, BrowseMode::FullWindow);
    EXPECT_FALSE(Selected("optNewWin"));
    QTest::mouseClick(&Get<QRadioButton>("optFrame"), Qt::LeftButton);
    EXPECT_EQ(window->State().browseMode, BrowseMode::Frame);

    auto& everyFolder = Get<QCheckBox>("chkAllFolders");
    EXPECT_EQ(everyFolder.toolTip(), "Give every folder, nested ones included, a page of its own");
    QTest::keyClick(&everyFolder, Qt::Key_Space);
    EXPECT_EQ(window->State().folderMode, FolderMode::All);
    QTest::keyClick(&everyFolder, Qt::Key_Space);
    EXPECT_EQ(window->State().folderMode, FolderMode::Top);
}

TEST_F(MainWindowInput, EnterOnAFocusedButtonPressesIt)
{
    for (const char* name : {"cmdSource", "cmdDest", "Command1"}) {
        SCOPED_TRACE(name);
        QPushButton& button = Get<QPushButton>(name);
        int clicks = 0;
        const auto counter = QObject::connect(&button, &QPushButton::clicked, [&clicks] { ++clicks; });
        button.setFocus();
        QTest::keyClick(&button, Qt::Key_Return);
        QTest::keyClick(&button, Qt::Key_Enter);
        EXPECT_EQ(clicks, 2);
        QObject::disconnect(counter);
    }
}

TEST_F(MainWindowInput, InfoShowsTheAboutWindowEachTime)
{
    runner.shown.clear();
    Get<QAction>("mnuInfo").trigger();
    Get<QAction>("mnuInfo").trigger();
    ASSERT_EQ(runner.shown.size(), 2u);
    for (const auto& about : runner.shown) {
        EXPECT_EQ(about.objectName, "frmStart");
        EXPECT_EQ(about.productLine, "Harrowdeck 1.1");
        EXPECT_EQ(about.copyrightLine, QStringLiteral("Copyright ") + version::kLegalCopyright + " ");
    }
}

} // namespace
} // namespace harrowdeck::test
