// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"

#include "AboutText.h"
#include "AboutWindow.h"
#include "ClassicLook.h"
#include "DirChooser.h"
#include "FileChooser.h"
#include "FormBuilder.h"
#include "HelpWindow.h"
#include "WindowPlacement.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <cmath>
#include <map>

namespace harrowdeck {

frmMain::frmMain(AppPaths paths, ChooserVars& chooserVars, ModalRunner& runner, QWidget* parent)
    : QMainWindow(parent), runner_(runner), runWindows_(*this, runner), logic_(std::move(paths), chooserVars, *this)
{
    setObjectName(ToQt(MainForm().name));
    // A fixed single border: minimise and close, no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(ToQt(AppTitle()));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    const std::vector<QWidget*> controls = BuildForm(*client, MainForm());
    std::copy(controls.begin(), controls.end(), controls_.begin());
    setCentralWidget(client);
    BuildMenu();
    EnterPressesButtons(*client);
    RouteControls();
    setFixedSize(sizeHint());
}

void frmMain::BuildMenu()
{
    std::map<std::string_view, QMenu*> menus;
    for (const MenuEntry& entry : MainMenu()) {
        QAction* action = nullptr;
        if (!entry.acts) {
            QMenu* menu = menuBar()->addMenu(ToQt(entry.caption));
            menu->setObjectName(ToQt(entry.name));
            menus[entry.name] = menu;
            continue;
        }
        if (entry.menu.empty()) {
            action = menuBar()->addAction(ToQt(entry.caption));
        } else {
            action = menus.at(entry.menu)->addAction(ToQt(entry.caption));
        }
        action->setObjectName(ToQt(entry.name));
        for (const MainMenuItem item : {MainMenuItem::mnuInfo, MainMenuItem::mnuQuit, MainMenuItem::mnuHelp}) {
            if (EntryOf(item).name == entry.name) {
                connect(action, &QAction::triggered, this, [this, item] { logic_.MenuChosen(item); });
            }
        }
    }
}

// Each kind of control tells the rules what the user did with it.
void frmMain::RouteControls()
{
    for (int index = 0; index < kMainControlCount; ++index) {
        const auto control = static_cast<MainControl>(index);
        QWidget& widget = Control(control);
        switch (EntryOf(control).kind) {
        case ControlKind::PushButton:
            connect(static_cast<QAbstractButton*>(&widget), &QAbstractButton::clicked, this,
                    [this, control] { logic_.Clicked(control); });
            break;
        case ControlKind::OptionButton:
            // As soon as it becomes the selected one, whether by a click, the
            // arrow keys or the start-up.
            connect(static_cast<QAbstractButton*>(&widget), &QAbstractButton::toggled, this,
                    [this, control](bool checked) {
                        if (checked) {
                            logic_.Selected(control);
                        }
                    });
            break;
        case ControlKind::CheckBox:
            connect(static_cast<QAbstractButton*>(&widget), &QAbstractButton::toggled, this,
                    [this, control](bool checked) { logic_.Checked(control, checked); });
            break;
        case ControlKind::TextField:
            widget.installEventFilter(this);
            break;
        default:
            break;
        }
    }
}

QWidget& frmMain::Control(MainControl control) const
{
    return *controls_.at(static_cast<std::size_t>(control));
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!logic_.HasShutDown()) {
        logic_.Shutdown();
        emit shutdownFinished();
    }
    event->accept();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    for (int index = 0; index < kMainControlCount; ++index) {
        const auto field = static_cast<MainControl>(index);
        if (watched != controls_.at(static_cast<std::size_t>(index))) {
            continue;
        }
        if (event->type() == QEvent::KeyPress) {
            return FieldKey(field, static_cast<const QKeyEvent&>(*event));
        }
        if (event->type() == QEvent::FocusIn) {
            logic_.Focused(field);
        }
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// A key as its character codes; true when the field must not see it.
bool frmMain::FieldKey(MainControl field, const QKeyEvent& key)
{
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        return logic_.KeyTyped(field, '\r') == 0;
    }
    // Ctrl combinations are the clipboard and editing keys, control codes
    // that pass.
    if (key.modifiers().testFlag(Qt::ControlModifier)) {
        return false;
    }
    for (const QChar ch : key.text()) {
        if (logic_.KeyTyped(field, ch.unicode()) == 0) {
            return true;
        }
    }
    return false;
}

// ---- what the rules ask of the window ----------------------------------

std::string frmMain::Text(MainControl field) const
{
    return FromQt(static_cast<const QLineEdit&>(Control(field)).text());
}

void frmMain::SetText(MainControl field, const std::string& text)
{
    static_cast<QLineEdit&>(Control(field)).setText(ToQt(text));
}

void frmMain::SetChecked(MainControl button, bool checked)
{
    static_cast<QAbstractButton&>(Control(button)).setChecked(checked);
}

void frmMain::SelectWholeText(MainControl field)
{
    auto& edit = static_cast<QLineEdit&>(Control(field));
    edit.selectAll();
    // Again once the event has been handled: a mouse click places the
    // cursor after the focus.
    QTimer::singleShot(0, &edit, &QLineEdit::selectAll);
}

void frmMain::Focus(MainControl control)
{
    Control(control).setFocus();
}

WindowRect frmMain::OuterRect() const
{
    return harrowdeck::OuterRect(*this);
}

void frmMain::MoveOuterTo(double left, double top)
{
    move(static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)));
}

double frmMain::Dpi() const
{
    return DpiOf(*this);
}

ScreenLayout frmMain::Screens() const
{
    return CurrentScreens();
}

void frmMain::ShowWindow()
{
    show();
    WaitForFrame(*this);
}

void frmMain::ShowAbout()
{
    ShowAboutWindow(*this, runner_);
}

void frmMain::ShowHelp(const std::string& text)
{
    ShowHelpText(text, *this, runner_);
}

void frmMain::ChooseFile(ChooserVars& vars)
{
    harrowdeck::ChooseFile(vars, this, runner_);
}

void frmMain::ChooseDirectory(ChooserVars& vars)
{
    harrowdeck::ChooseDirectory(vars, *this, runner_);
}

void frmMain::Close()
{
    close();
}

void frmMain::PostEndRequest()
{
    QMetaObject::invokeMethod(this, &frmMain::RequestClose, Qt::QueuedConnection);
}

} // namespace harrowdeck
