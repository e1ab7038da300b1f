// The forms runtime: load, unload and load again through one instance, the
// forms collection, control order and tags, mouse pointers, key preview,
// and the catch at the event-procedure slots.
#include "editor/shell/applink.h"
#include "editor/shell/control_array.h"
#include "editor/shell/controls.h"
#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "editor/shell/menus.h"
#include "editor/shell/ribbon.h"
#include "tests/support/scripted.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A small form with one control of each kind the runtime deals with.
class TestForm : public Form {
public:
    explicit TestForm(std::string name = "TESTFORM") : Form(std::move(name)) {}

    int loads = 0;
    int unloads = 0;
    int resizes = 0;
    int activations = 0;
    int loadsAtFirstActivation = -1;  // Form_Load ran before Form_Activate
    int refuseUnload = 0;  // Cancel value Form_QueryUnload answers
    std::vector<std::string> keys;  // "down n", "press n", "up n" as the form heard them
    int keyDownAnswer = -1;    // KeyCode the form sets in Form_KeyDown, -1 leaves it
    int keyPressAnswer = -1;   // KeyAscii the form sets in Form_KeyPress, -1 leaves it

    TextBox* text = nullptr;
    CommandButton* button = nullptr;
    Label* caption = nullptr;
    ControlArray<RibbonButton> ribbons;

protected:
    std::unique_ptr<QWidget> CreateWindow() override
    {
        auto window = std::make_unique<QWidget>();
        window->resize(200, 120);
        caption = new Label("&Name:", window.get());
        AddControl(caption, "Label1");
        text = new TextBox(window.get());
        text->move(60, 0);
        AddControl(text, "F_Name");
        button = new CommandButton("OK", window.get());
        button->move(0, 40);
        AddControl(button, "F_Accept");
        for (int i : {0, 1, 3}) {
            auto* ribbon = new RibbonButton(window.get());
            ribbon->setGeometry(i * 32, 80, 30, 30);
            ribbons.Add(i, ribbon);
            AddControl(ribbon, "F_Tool", i);
        }
        return window;
    }
    void ForgetControls() override
    {
        text = nullptr;
        button = nullptr;
        caption = nullptr;
        ribbons.Clear();
    }
    void Form_Load() override { ++loads; }
    void Form_QueryUnload(int& cancel, int) override { cancel = refuseUnload; }
    void Form_Unload(int&) override { ++unloads; }
    void Form_Resize() override { ++resizes; }
    void Form_Activate() override
    {
        if (activations++ == 0) loadsAtFirstActivation = loads;
    }
    void Form_KeyDown(int& keyCode, int&) override
    {
        keys.push_back("down " + std::to_string(keyCode));
        if (keyDownAnswer >= 0) keyCode = keyDownAnswer;
    }
    void Form_KeyPress(int& keyAscii) override
    {
        keys.push_back("press " + std::to_string(keyAscii));
        if (keyPressAnswer >= 0) keyAscii = keyPressAnswer;
    }
    void Form_KeyUp(int& keyCode, int&) override { keys.push_back("up " + std::to_string(keyCode)); }
};

class FormA : public TestForm {
public:
    FormA() : TestForm("FORMA") {}
};
class FormB : public TestForm {
public:
    FormB() : TestForm("FORMB") {}
};
class FormC : public TestForm {
public:
    FormC() : TestForm("FORMC") {}
};

// Each test begins with no form instance, as a new process does: the
// instances (with their counters and the handlers a test connected) go at
// the end of every test.
class FormRuntime : public palvane_test::ScriptedTest {
protected:
    void TearDown() override
    {
        ReleaseFormInstances();
        ScriptedTest::TearDown();
    }
};

TEST_F(FormRuntime, LoadUnloadAndLoadAgainThroughTheSameInstance)
{
    TestForm& form = FormInstance<TestForm>();
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(form.text, nullptr);

    form.Show();
    ASSERT_TRUE(form.IsLoaded());
    EXPECT_EQ(form.loads, 1);
    EXPECT_TRUE(IsFormShown(form));
    QWidget* firstWindow = form.Window();
    form.text->SetText("R12");

    EXPECT_TRUE(form.Unload());
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(form.unloads, 1);
    EXPECT_EQ(form.text, nullptr);
    EXPECT_TRUE(form.Controls().empty());
    EXPECT_EQ(&FormInstance<TestForm>(), &form);

    form.Show();
    ASSERT_TRUE(form.IsLoaded());
    EXPECT_EQ(form.loads, 2);
    EXPECT_NE(form.Window(), nullptr);
    // A new window with fresh controls: nothing of the old one survives.
    EXPECT_EQ(form.text->Text(), "");
    EXPECT_EQ(form.Controls().size(), 6u);
    (void)firstWindow;
    EXPECT_TRUE(form.Unload());
    EXPECT_TRUE(form.Unload());  // unloading an unloaded form does nothing
    EXPECT_EQ(form.unloads, 2);
}

TEST_F(FormRuntime, FormsCollectionKeepsLoadOrder)
{
    FormA& a = FormInstance<FormA>();
    FormB& b = FormInstance<FormB>();
    FormC& c = FormInstance<FormC>();
    auto names = [] {
        std::vector<std::string> out;
        for (const Form* f : Forms()) out.push_back(f->Name());
        return out;
    };
    EXPECT_TRUE(Forms().empty());
    a.Load();
    b.Load();
    c.Load();
    EXPECT_EQ(names(), (std::vector<std::string>{"FORMA", "FORMB", "FORMC"}));
    b.Unload();
    EXPECT_EQ(names(), (std::vector<std::string>{"FORMA", "FORMC"}));
    b.Load();
    a.Load();  // already loaded: keeps its place
    EXPECT_EQ(names(), (std::vector<std::string>{"FORMA", "FORMC", "FORMB"}));

    // A form that refuses to unload stays where it is.
    c.refuseUnload = -1;
    EXPECT_FALSE(c.Unload());
    EXPECT_EQ(names(), (std::vector<std::string>{"FORMA", "FORMC", "FORMB"}));
    // The user's close goes through the same refusal.
    c.Show();
    EXPECT_FALSE(c.Window()->close());
    EXPECT_TRUE(c.IsLoaded());
    c.refuseUnload = 0;
    EXPECT_TRUE(c.Window()->close());
    EXPECT_EQ(names(), (std::vector<std::string>{"FORMA", "FORMB"}));
}

TEST_F(FormRuntime, ControlsInCreationOrderWithCaptionsAndTags)
{
    TestForm& form = FormInstance<TestForm>();
    form.Load();
    struct Expected {
        const char* name;
        int index;
        bool hasCaption;
        const char* caption;
    } expected[] = {
        {"Label1", -1, true, "&Name:"}, {"F_Name", -1, false, ""},  {"F_Accept", -1, true, "OK"},
        {"F_Tool", 0, false, ""},       {"F_Tool", 1, false, ""},   {"F_Tool", 3, false, ""},
    };
    ASSERT_EQ(form.Controls().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const Form::ControlEntry& c = form.Controls()[i];
        EXPECT_EQ(c.name, expected[i].name) << i;
        EXPECT_EQ(c.index, expected[i].index) << i;
        EXPECT_EQ(HasCaption(c.object), expected[i].hasCaption) << c.name;
        EXPECT_EQ(ControlCaption(c.object), expected[i].caption) << c.name;
        EXPECT_EQ(form.FindControl(c.name, c.index), c.object);
    }
    EXPECT_EQ(form.FindControl("F_Tool", 2), nullptr);

    // Tags and captions as the localisation uses them, Latin-1 both ways.
    SetControlTag(form.button, "99116");
    EXPECT_EQ(ControlTag(form.button), "99116");
    EXPECT_EQ(ControlTag(form.text), "");
    SetControlCaption(form.button, "Fertig \xE9");
    EXPECT_EQ(form.button->text(), QString::fromUtf8("Fertig é"));
    EXPECT_EQ(ControlCaption(form.button), "Fertig \xE9");
    form.SetCaption("Pi\xE8"
                    "ces");
    EXPECT_EQ(form.Caption(), "Pi\xE8"
                              "ces");
    EXPECT_EQ(ControlCaption(form.Window()), form.Caption());

    // Menu items are controls with captions too.
    QMenu menu;
    MenuItem* item = MenuItem::Command(&menu, "&Open", true);
    SetControlTag(item, "991426");
    SetControlCaption(item, "&Yes");
    EXPECT_TRUE(HasCaption(item));
    EXPECT_EQ(ControlCaption(item), "&Yes");
    EXPECT_EQ(ControlTag(item), "991426");
}

TEST_F(FormRuntime, ControlArraysAreIndexedAndChecked)
{
    TestForm& form = FormInstance<TestForm>();
    form.Load();
    EXPECT_EQ(form.ribbons.Count(), 3u);
    EXPECT_EQ(form.ribbons.LBound(), 0);
    EXPECT_EQ(form.ribbons.UBound(), 3);
    EXPECT_EQ(form.ribbons.Indexes(), (std::vector<long>{0, 1, 3}));
    EXPECT_TRUE(form.ribbons.Exists(3));
    EXPECT_FALSE(form.ribbons.Exists(2));
    for (long missing : {-1L, 2L, 4L}) {
        try {
            form.ribbons(missing);
            ADD_FAILURE() << missing << " must not exist";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), errnum::ControlArrayElementMissing);
        }
    }
    ControlArray<RibbonButton> empty;
    EXPECT_THROW(empty.LBound(), RuntimeError);
}

TEST_F(FormRuntime, MousePointerOfTheFormAndOfTheScreen)
{
    TestForm& form = FormInstance<TestForm>();
    form.SetMousePointer(mousepointer::Cross);  // kept until the form loads
    form.Load();
    EXPECT_EQ(form.Window()->cursor().shape(), Qt::CrossCursor);
    form.SetMousePointer(mousepointer::SizeNS);
    EXPECT_EQ(form.MousePointer(), mousepointer::SizeNS);
    EXPECT_EQ(form.Window()->cursor().shape(), Qt::SizeVerCursor);
    form.SetMousePointer(mousepointer::Default);
    EXPECT_EQ(form.Window()->cursor().shape(), Qt::ArrowCursor);
    for (int bad : {-1, 16, 98, 100}) {
        try {
            form.SetMousePointer(bad);
            ADD_FAILURE() << bad;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), errnum::InvalidPropertyValue);
        }
    }
    form.SetMousePointer(mousepointer::Hourglass);
    form.Unload();
    EXPECT_EQ(form.MousePointer(), mousepointer::Default);

    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    SetScreenMousePointer(mousepointer::Hourglass);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    SetScreenMousePointer(mousepointer::ArrowHourglass);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    SetScreenMousePointer(mousepointer::Default);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ScreenMousePointer(), mousepointer::Default);
}

TEST_F(FormRuntime, WindowStateAndResizeProcedure)
{
    TestForm& form = FormInstance<TestForm>();
    form.Show();
    const int before = form.resizes;
    form.Window()->resize(300, 200);
    EXPECT_GT(form.resizes, before);
    form.SetWindowState(winstate::Maximized);
    EXPECT_EQ(form.WindowState(), winstate::Maximized);
    form.SetWindowState(winstate::Normal);
    EXPECT_EQ(form.WindowState(), winstate::Normal);
    EXPECT_THROW(form.SetWindowState(3), RuntimeError);
}

// Key preview: the form's key procedures run before the control with the
// focus; KeyCode 0 or KeyAscii 0 keeps the key from it, another KeyAscii
// gives it another character.
TEST_F(FormRuntime, KeyPreviewRunsBeforeTheFocusedControl)
{
    TestForm& form = FormInstance<TestForm>();
    form.Show();
    QApplication::setActiveWindow(form.Window());
    form.text->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), form.text);

    // Without key preview the control alone hears the key.
    QTest::keyClick(form.text, Qt::Key_A);
    EXPECT_TRUE(form.keys.empty());
    EXPECT_EQ(form.text->Text(), "a");

    form.KeyPreview = true;
    struct Case {
        Qt::Key key;
        int keyDownAnswer;
        int keyPressAnswer;
        const char* textAfter;
        std::vector<std::string> heard;
    } cases[] = {
        {Qt::Key_B, -1, -1, "ab", {"down 66", "press 98", "up 66"}},
        {Qt::Key_C, 0, -1, "ab", {"down 67", "up 67"}},            // KeyCode 0: kept from the control
        {Qt::Key_D, -1, 0, "ab", {"down 68", "press 100", "up 68"}},  // KeyAscii 0: kept too
        {Qt::Key_E, -1, 'X', "abX", {"down 69", "press 101", "up 69"}},  // another character
    };
    for (const Case& c : cases) {
        form.keys.clear();
        form.keyDownAnswer = c.keyDownAnswer;
        form.keyPressAnswer = c.keyPressAnswer;
        QTest::keyClick(form.text, c.key);
        EXPECT_EQ(form.keys, c.heard) << c.key;
        EXPECT_EQ(form.text->Text(), c.textAfter) << c.key;
    }
    // F10 has no character.
    form.keys.clear();
    form.keyDownAnswer = form.keyPressAnswer = -1;
    QTest::keyClick(form.text, Qt::Key_F10);
    EXPECT_EQ(form.keys, (std::vector<std::string>{"down 121", "up 121"}));
}

// Setting a control's value from code raises its event once, as the user's
// action does; setting the value it already has raises nothing.
TEST_F(FormRuntime, SettingAValueFromCodeRaisesItsEventOnce)
{
    QWidget window;
    window.resize(300, 200);
    int clicks = 0, changes = 0;

    auto* ribbon = new RibbonButton(&window);
    ribbon->setGeometry(0, 0, 30, 30);
    std::vector<bool> values;
    ribbon->Click.Connect([&](bool v) { values.push_back(v); });
    auto* text = new TextBox(&window);
    text->move(40, 0);
    text->Change.Connect([&] { ++changes; });
    auto* list = new ComboBox(&window);
    list->move(40, 40);
    list->AddItem("Current");
    list->AddItem("Center");
    list->AddItem("Page");
    list->Click.Connect([&] { ++clicks; });
    auto* check = new CheckBox("Grid:", &window);
    check->move(40, 80);
    int checkClicks = 0;
    check->Click.Connect([&] { ++checkClicks; });
    auto* scroll = new ScrollBar(Qt::Horizontal, &window);
    scroll->setGeometry(0, 120, 200, 17);
    scroll->SetRange(-32000, 32000);
    int scrollChanges = 0;
    scroll->Change.Connect([&] { ++scrollChanges; });
    window.show();

    ribbon->SetValue(true);
    ribbon->SetValue(true);
    EXPECT_EQ(values, (std::vector<bool>{true}));
    QTest::mouseClick(ribbon, Qt::LeftButton);  // the user releases it
    EXPECT_EQ(values, (std::vector<bool>{true, false}));
    EXPECT_FALSE(ribbon->Value());

    text->SetText("C19");
    text->SetText("C19");
    EXPECT_EQ(changes, 1);
    text->setText("C6");  // any change of the text, also past the wrapper
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(text->Text(), "C6");

    list->SetListIndex(2);
    list->SetListIndex(2);
    EXPECT_EQ(clicks, 1);
    list->SetText("Center");
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(list->ListIndex(), 1);
    EXPECT_THROW(list->SetListIndex(3), RuntimeError);
    EXPECT_THROW(list->SetText("Nowhere"), RuntimeError);
    EXPECT_EQ(clicks, 2);

    check->SetValue(1);
    check->SetValue(1);
    EXPECT_EQ(checkClicks, 1);
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
    EXPECT_EQ(checkClicks, 2);
    EXPECT_EQ(check->Value(), 0);

    scroll->SetValue(100);
    scroll->SetValue(100);
    EXPECT_EQ(scrollChanges, 1);
    EXPECT_THROW(scroll->SetValue(40000), RuntimeError);
    EXPECT_EQ(scrollChanges, 1);
}

TEST_F(FormRuntime, RibbonButtonsOfAGroupReleaseEachOther)
{
    QWidget panel;
    std::vector<std::string> heard;
    std::vector<RibbonButton*> buttons;
    for (int i = 0; i < 4; ++i) {
        auto* b = new RibbonButton(&panel);
        b->setGeometry(0, i * 32, 30, 30);
        b->SetGroupNumber(i < 3 ? 1 : 0);
        b->Click.Connect([&heard, i](bool v) { heard.push_back(std::to_string(i) + (v ? "+" : "-")); });
        buttons.push_back(b);
    }
    panel.show();

    buttons[0]->SetValue(true);
    buttons[1]->SetValue(true);
    EXPECT_EQ(heard, (std::vector<std::string>{"0+", "0-", "1+"}));
    EXPECT_FALSE(buttons[0]->Value());

    // The user presses another of the group; clicking the pressed one again
    // changes nothing and raises nothing.
    heard.clear();
    QTest::mouseClick(buttons[2], Qt::LeftButton);
    QTest::mouseClick(buttons[2], Qt::LeftButton);
    EXPECT_EQ(heard, (std::vector<std::string>{"1-", "2+"}));
    EXPECT_TRUE(buttons[2]->Value());

    // Group 0 toggles alone and leaves the group as it is.
    heard.clear();
    QTest::mouseClick(buttons[3], Qt::LeftButton);
    QTest::mouseClick(buttons[3], Qt::LeftButton);
    EXPECT_EQ(heard, (std::vector<std::string>{"3+", "3-"}));
    EXPECT_TRUE(buttons[2]->Value());

    // Code may release a pressed button of a group.
    heard.clear();
    buttons[2]->SetValue(false);
    EXPECT_EQ(heard, (std::vector<std::string>{"2-"}));
}

TEST_F(FormRuntime, PictureClipCellsFeedTheButtons)
{
    QImage strip(3 * 24, 2 * 24, QImage::Format_RGB32);
    for (int cell = 0; cell < 6; ++cell)
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                strip.setPixel((cell % 3) * 24 + x, (cell / 3) * 24 + y, qRgb(cell * 40, 0, 0));
    PictureClip clip;
    EXPECT_FALSE(clip.Load(strip, 5, 3));  // 48 rows do not split into 5
    ASSERT_TRUE(clip.Load(strip, 2, 3));
    EXPECT_EQ(clip.CellCount(), 6);
    EXPECT_EQ(clip.CellSize(), QSize(24, 24));
    for (int cell = 0; cell < 6; ++cell)
        EXPECT_EQ(clip.GraphicCell(cell).toImage().pixel(10, 10) & 0xFFFFFF, qRgb(cell * 40, 0, 0) & 0xFFFFFFu);
    for (int bad : {-1, 6}) {
        try {
            clip.GraphicCell(bad);
            ADD_FAILURE() << bad;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), errnum::InvalidPropertyValue);
        }
    }
    RibbonButton button;
    button.SetPicture(clip.GraphicCell(4));
    EXPECT_FALSE(button.icon().isNull());
    EXPECT_EQ(button.iconSize(), QSize(24, 24));
}

// An editable box left with a text that names another item: the box shows
// that item, LostFocus runs, and no Click is raised (the user clicked
// nothing). Enter on the box is a Click.
TEST_F(FormRuntime, LeavingAnEditableComboBoxIsNoClick)
{
    QWidget window;
    auto* box = new ComboBox(&window);
    box->setEditable(true);
    for (const char* item : {"0.0100\"", "0.0200\""}) box->AddItem(item);
    auto* other = new TextBox(&window);
    other->move(0, 40);
    int clicks = 0, lostFocus = 0;
    box->Click.Connect([&] { ++clicks; });
    box->LostFocus.Connect([&] { ++lostFocus; });
    window.show();
    QApplication::setActiveWindow(&window);
    box->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), box);
    box->SetText("0.0200\"");
    other->setFocus();
    EXPECT_EQ(lostFocus, 1);
    EXPECT_EQ(clicks, 0);

    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
}

// A strip loaded from its file gives the same cells, decoded only when the
// first cell is asked for; a missing file or a grid that does not divide
// it is refused, and a file whose body is damaged gives blank cells.
TEST_F(FormRuntime, PictureClipFromAFileDecodesAtTheFirstCell)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage strip(3 * 24, 2 * 24, QImage::Format_ARGB32);
    for (int cell = 0; cell < 6; ++cell)
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                strip.setPixel((cell % 3) * 24 + x, (cell / 3) * 24 + y, qRgba(cell * 40, 10, 0, 255));
    const QString path = dir.filePath("strip.png");
    ASSERT_TRUE(strip.save(path));

    PictureClip clip;
    EXPECT_FALSE(clip.LoadFile(dir.filePath("missing.png"), 2, 3));
    EXPECT_FALSE(clip.LoadFile(path, 5, 3));
    EXPECT_EQ(clip.CellCount(), 0);
    ASSERT_TRUE(clip.LoadFile(path, 2, 3));
    EXPECT_EQ(clip.CellSize(), QSize(24, 24));
    for (int cell = 0; cell < 6; ++cell)
        EXPECT_EQ(clip.GraphicCell(cell).toImage().pixel(10, 10), qRgba(cell * 40, 10, 0, 255)) << cell;

    // The header is sound, the body is cut off.
    QFile whole(path);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString cut = dir.filePath("cut.png");
    QFile damaged(cut);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(bytes.left(bytes.size() / 2));
    damaged.close();
    PictureClip broken;
    ASSERT_TRUE(broken.LoadFile(cut, 2, 3));
    const QImage cell = broken.GraphicCell(5).toImage();
    EXPECT_EQ(cell.size(), QSize(24, 24));
    EXPECT_EQ(qAlpha(cell.pixel(10, 10)), 0);
}

// An error that escapes an event procedure run by the user's action is
// reported; the window stays loaded, usable and enabled, and the hourglass
// the procedure left is gone.
TEST_F(FormRuntime, ThrowingEventProcedureIsReportedAndTheWindowStaysUsable)
{
    TestForm& form = FormInstance<TestForm>();
    form.Show();
    std::vector<std::pair<int, std::string>> reports;
    SetEventErrorReporter([&](int n, const std::string& d) { reports.emplace_back(n, d); });
    int throws = 0;
    form.button->Click.Connect([&] {
        ++throws;
        SetScreenMousePointer(mousepointer::Hourglass);
        RaiseError(errnum::SubscriptOutOfRange);
    });
    int edits = 0;
    form.text->Change.Connect([&] { ++edits; });

    QTest::mouseClick(form.button, Qt::LeftButton);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], (std::pair<int, std::string>{9, "Subscript out of range"}));
    EXPECT_TRUE(form.IsLoaded());
    EXPECT_TRUE(form.Window()->isVisible());
    EXPECT_TRUE(form.Window()->isEnabled());
    EXPECT_EQ(ScreenMousePointer(), mousepointer::Default);

    // The window goes on working: the same button again, another control.
    QTest::mouseClick(form.button, Qt::LeftButton);
    EXPECT_EQ(throws, 2);
    EXPECT_EQ(reports.size(), 2u);
    QTest::keyClicks(form.text, "ok");
    EXPECT_EQ(edits, 2);

    // An error of another kind is reported without a runtime number.
    form.text->Change.Connect([] { throw std::runtime_error("disk full"); });
    QTest::keyClick(form.text, Qt::Key_X);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[2], (std::pair<int, std::string>{0, "disk full"}));

    // Set from code, the event's error goes to the code that set the value.
    EXPECT_THROW(form.text->SetText("again"), std::runtime_error);
    EXPECT_EQ(reports.size(), 3u);
    SetEventErrorReporter(nullptr);
}

// The built-in reporter shows the error in a message box.
// A logic error inside statement-by-statement skipping is not skipped: it
// reaches the report, and the statements after it do not run.
TEST_F(FormRuntime, ALogicErrorInSkippedStatementsReachesTheReport)
{
    TestForm& form = FormInstance<TestForm>();
    form.Show();
    std::vector<std::pair<int, std::string>> reports;
    SetEventErrorReporter([&](int n, const std::string& d) { reports.emplace_back(n, d); });
    int before = 0, after = 0;
    form.button->Click.Connect([&] {
        ResumeNext({[] { RaiseError(errnum::Overflow); },  // skipped
                    [&] { ++before; },
                    [] { throw std::out_of_range("index 7 of 3"); },
                    [&] { ++after; }});
    });
    QTest::mouseClick(form.button, Qt::LeftButton);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], (std::pair<int, std::string>{0, "index 7 of 3"}));
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 0);
    SetEventErrorReporter(nullptr);
}

TEST_F(FormRuntime, DefaultReporterShowsAMessageBox)
{
    ui.ExpectMessageBox(winsys::mb::AnswerOk, "Overflow");
    RunEventProcedure([] { RaiseError(errnum::Overflow); });
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].style & winsys::mb::IconMask, winsys::mb::Critical);
}

// Show makes the form the active window: a form that was not active hears
// Form_Activate before Show returns, the first time after Form_Load and
// again whenever it is shown while another window is active (the modeless
// tool windows set themselves up there for the next pick). The window
// system's own report of that activation is not heard a second time; a
// return of the user to the form is heard as always.
TEST_F(FormRuntime, ShowActivatesAFormThatIsNotTheActiveWindow)
{
    TestForm& form = FormInstance<TestForm>();
    QWidget other;
    other.resize(50, 50);
    other.show();
    QApplication::setActiveWindow(&other);

    form.Show();
    EXPECT_EQ(form.activations, 1);
    EXPECT_EQ(form.loadsAtFirstActivation, 1);
    QApplication::setActiveWindow(form.Window());  // the window system's report
    EXPECT_EQ(form.activations, 1);
    // Shown again while it is the active window: nothing.
    form.Show();
    EXPECT_EQ(form.activations, 1);

    // The user works in another window; the next Show activates the form.
    QApplication::setActiveWindow(&other);
    form.Show();
    EXPECT_EQ(form.activations, 2);
    EXPECT_TRUE(form.Visible());
    QApplication::setActiveWindow(form.Window());
    EXPECT_EQ(form.activations, 2);

    // The user comes back to the form from the other window.
    QApplication::setActiveWindow(&other);
    QApplication::setActiveWindow(form.Window());
    EXPECT_EQ(form.activations, 3);

    // A hidden form shown again is activated again.
    QApplication::setActiveWindow(&other);
    form.Hide();
    form.Show();
    EXPECT_EQ(form.activations, 4);
    EXPECT_EQ(form.loads, 1);
    EXPECT_TRUE(form.Unload());
    QApplication::setActiveWindow(nullptr);
}

TEST_F(FormRuntime, ShowModalGoesThroughTheInteractionInterface)
{
    TestForm& form = FormInstance<TestForm>();
    bool ran = false;
    ui.ExpectModal("TESTFORM", [&](QWidget* window) {
        ran = true;
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(form.loads, 1);
    });
    form.ShowModal();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(form.IsLoaded());
    EXPECT_FALSE(form.Visible());
}

}  // namespace
