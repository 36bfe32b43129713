// Buttons, switches, the number box, and text entry: when their actions run.

#include "Fixtures.h"

#include "toolkit/BitmapControls.h"
#include "toolkit/TextControls.h"
#include "toolkit/TextEntryControl.h"
#include "toolkit/VectorControls.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

TEST(BitmapButton, ActsOnPressAndOnReleaseAndDrawsTheFrameOfItsValue) {
    UiFixture f;
    std::vector<bool> pressedAtAction;
    auto* button =
        f.ui->AddControl(std::make_unique<BitmapButtonControl>(10, 10, f.ui->LoadBitmap("button.png", 2)));
    button->SetOnAction(
        [&](Control* c) { pressedAtAction.push_back(static_cast<BitmapButtonControl*>(c)->IsPressed()); });
    EXPECT_EQ(button->GetRect(), Rect(10, 10, 40, 30));

    Click(*f.ui, 20, 20);
    EXPECT_EQ(pressedAtAction, (std::vector<bool>{true, false}));
    // The button never changes its own value; the page does.
    EXPECT_EQ(button->GetValue(), 0.0);
    EXPECT_EQ(QColor(f.ui->RenderToImage().pixel(20, 20)), QColor(Qt::red));
    button->SetValueFromDelegate(1.0);
    EXPECT_EQ(QColor(f.ui->RenderToImage().pixel(20, 20)), QColor(Qt::green));
}

TEST(VectorButton, ActsOnlyWhenItsHundredMillisecondSplashEnds) {
    UiFixture f;
    int done = 0;
    auto* button = f.ui->AddControl(std::make_unique<VectorButtonControl>(
        Rect(0, 0, 100, 40), "OK", VectorStyle{}, [&](Control*) { ++done; }));
    Press(*f.ui, 50, 20);
    Release(*f.ui, 50, 20);
    EXPECT_EQ(button->GetValue(), 1.0);
    EXPECT_EQ(done, 0);
    f.Advance(60);
    EXPECT_EQ(done, 0);
    f.Advance(39);
    EXPECT_EQ(done, 0);
    f.Advance(1);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(button->GetValue(), 0.0);
    EXPECT_FALSE(button->IsAnimating());
    f.Advance(500);
    EXPECT_EQ(done, 1);
}

TEST(SlideSwitch, ClickTogglesAndTellsThePlugIn) {
    UiFixture f;
    auto* sw = f.ui->AddControl(std::make_unique<VectorSlideSwitchControl>(Rect(0, 0, 80, 40), kSteps));
    Click(*f.ui, 40, 20);
    EXPECT_EQ(sw->GetValue(), 1.0);
    EXPECT_EQ(f.delegate.params.GetParam(kSteps)->Int(), 10);
    Click(*f.ui, 40, 20);
    EXPECT_EQ(sw->GetValue(), 0.0);
    EXPECT_EQ(f.delegate.params.GetParam(kSteps)->Int(), 0);
}

TEST(NumberBox, DragAndWheelChangeTheNumberWithinItsOwnRange) {
    UiFixture f;
    int actions = 0;
    auto* box = f.ui->AddControl(std::make_unique<VectorNumberBoxControl>(
        Rect(0, 0, 100, 40), kNoParam, [&](Control*) { ++actions; }, "", VectorStyle{}, 50, 1, 60));
    EXPECT_EQ(box->DisplayText(), "50");

    Press(*f.ui, 50, 20);
    DragTo(*f.ui, 50, 15); // up 5 units: +5
    EXPECT_DOUBLE_EQ(box->GetRealValue(), 55.0);
    DragTo(*f.ui, 50, 5, Qt::ShiftModifier); // up 10 units fine: +1
    EXPECT_NEAR(box->GetRealValue(), 56.0, 1e-9);
    DragTo(*f.ui, 50, -100); // far up: clamped to its maximum
    EXPECT_DOUBLE_EQ(box->GetRealValue(), 60.0);
    Release(*f.ui, 50, -100);

    Wheel(*f.ui, 50, 20, -120);
    EXPECT_DOUBLE_EQ(box->GetRealValue(), 59.0);
    Wheel(*f.ui, 50, 20, 120, Qt::ControlModifier);
    EXPECT_NEAR(box->GetRealValue(), 59.1, 1e-9);
    EXPECT_EQ(box->DisplayText(), "59");
    EXPECT_EQ(actions, 5);
}

TEST(NumberBox, DoubleClickOnTheNumberTypesANewOneClamped) {
    UiFixture f;
    auto* box = f.ui->AddControl(std::make_unique<VectorNumberBoxControl>(Rect(0, 0, 100, 40), kNoParam,
                                                                      nullptr, "", VectorStyle{}, 50, 1, 60));
    DoubleClick(*f.ui, 50, 20);
    TextEntryControl* entry = f.ui->GetTextEntryControl();
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(entry->IsEditing());
    EXPECT_EQ(entry->Editor()->text(), "50");
    entry->Editor()->setText("75");
    QTest::keyClick(entry->Editor(), Qt::Key_Return);
    EXPECT_FALSE(entry->IsEditing());
    EXPECT_DOUBLE_EQ(box->GetRealValue(), 60.0);
}

TEST(EditableText, CommitStoresTheTextAndRunsTheActionOnceEscapeCancels) {
    UiFixture f;
    std::vector<std::string> seen;
    auto* text =
        f.ui->AddControl(std::make_unique<EditableTextControl>(Rect(20, 120, 260, 144), "Old name"));
    text->SetOnAction([&](Control* c) { seen.push_back(static_cast<TextControl*>(c)->GetStr()); });

    Click(*f.ui, 100, 130);
    QLineEdit* editor = f.ui->GetTextEntryControl()->Editor();
    EXPECT_EQ(editor->text(), "Old name");
    editor->clear();
    QTest::keyClicks(editor, "Clean Lead");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(text->GetStr(), "Clean Lead");
    EXPECT_EQ(seen, (std::vector<std::string>{"Clean Lead"}));

    Click(*f.ui, 100, 130);
    QTest::keyClicks(editor, "discarded");
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(f.ui->GetTextEntryControl()->IsEditing());
    EXPECT_EQ(text->GetStr(), "Clean Lead");
    EXPECT_EQ(seen.size(), 1u);
}

// The in-place editor is a whole line of its font high and shows a long
// name from its first letter.
TEST(EditableText, EditorShowsTheWholeLineFromTheStart) {
    UiFixture f;
    TextStyle style;
    style.size = 24;
    f.ui->AddControl(std::make_unique<EditableTextControl>(Rect(20, 120, 260, 144),
                                                           "A preset name much longer than its field", style));
    Click(*f.ui, 100, 130);
    QLineEdit* editor = f.ui->GetTextEntryControl()->Editor();
    EXPECT_EQ(editor->cursorPosition(), 0);
    EXPECT_EQ(editor->selectedText(), editor->text());
    EXPECT_GE(editor->height(), QFontMetrics(editor->font()).height());
}

TEST(UrlControl, OpensTheLinkOnlyWhenOnlineAndMarksItselfClicked) {
    UiFixture f;
    auto* link =
        f.ui->AddControl(std::make_unique<UrlControl>(Rect(0, 0, 200, 30), "site", "https://example.org"));
    f.platform.online = false;
    Click(*f.ui, 10, 10);
    EXPECT_TRUE(f.platform.opened.empty());
    EXPECT_TRUE(link->IsClicked());
    f.platform.online = true;
    Click(*f.ui, 10, 10);
    EXPECT_EQ(f.platform.opened, (std::vector<std::string>{"https://example.org"}));
    EXPECT_TRUE(f.platform.asked.empty());
    // The system could not open it: the user is told, with the address.
    f.platform.opens = false;
    Click(*f.ui, 10, 10);
    EXPECT_EQ(f.platform.asked,
              (std::vector<std::string>{"The web page could not be opened. Its address is:\nhttps://example.org"}));
}

} // namespace
} // namespace tolvane::test
