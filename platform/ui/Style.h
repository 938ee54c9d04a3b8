// The client's look in one place: the palette named by what each colour is for, the font sizes, the bar and row
// metrics, and the painters of the looks several controls and screens share. Market colours (rise, fall, chart
// lines) are not here: they come from the colour scheme (core/ColorScheme.h).
#pragma once

#include "platform/win/WinTypes.h"

namespace Style {

// ---- Grounds and plain text ----
constexpr COLORREF PaperFill = RGB(255, 255, 255);    // the ground of forms, lists and edits
constexpr COLORREF DarkFill = RGB(0, 0, 0);           // the ground of quote tables, menus and the main frame
constexpr COLORREF PaperText = RGB(0, 0, 0);          // plain text on paper
constexpr COLORREF DarkText = RGB(255, 255, 255);     // plain text on the dark ground
constexpr COLORREF SelectedText = RGB(0, 0, 0);       // text on the gold selection bar
constexpr COLORREF FormLabel = RGB(0, 0, 0);          // a form row's label
constexpr COLORREF FormValue = RGB(0, 0, 160);        // a form row's shown value
constexpr COLORREF EditText = RGB(0, 0, 0);           // typed text
constexpr COLORREF ReadOnlyText = RGB(100, 100, 100); // a figure shown in an edit that cannot change
constexpr COLORREF ButtonText = RGB(0, 0, 0);         // the words of a light button
constexpr COLORREF LinkText = RGB(0, 0, 255);         // a label that opens something when tapped

// ---- Lines, boxes and panels ----
constexpr COLORREF RowLine = RGB(100, 100, 100);   // the rule between list rows
constexpr COLORREF GridLine = RGB(200, 200, 200);  // a plain list's row rule
constexpr COLORREF BoxBorder = RGB(100, 100, 100); // the outline of boxes, panels and framed controls
constexpr COLORREF BoxFill = RGB(250, 250, 250);   // the inside of a drop-down box or a picked list
constexpr COLORREF PanelFill = RGB(243, 243, 243); // a rounded panel behind form rows
constexpr COLORREF PanelShadow = RGB(210, 210, 210);
constexpr COLORREF HeadingFill = RGB(140, 140, 140); // a table's heading cell
constexpr COLORREF HeadingEdge = RGB(0, 0, 0);
constexpr COLORREF ScrollThumb = RGB(120, 120, 120);

// ---- Menus and reading windows ----
constexpr COLORREF MenuTitleTwoLine = RGB(60, 60, 255); // the first line of a two-line menu row
constexpr COLORREF MenuSecondLine = RGB(50, 50, 50);
constexpr COLORREF MenuText = RGB(255, 255, 255); // a menu row without a colour of its own
// The three looks of a text window ("UI_Style" 0, 1 and 2).
struct ReadingColors {
    COLORREF text, title, fill;
};
constexpr ReadingColors ReadingOnDark{RGB(255, 255, 255), RGB(255, 255, 0), RGB(0, 0, 0)};
constexpr ReadingColors ReadingOnPaper{RGB(0, 0, 0), RGB(250, 128, 10), RGB(255, 255, 255)};
constexpr ReadingColors ReadingYellow{RGB(255, 255, 0), RGB(255, 255, 255), RGB(0, 0, 0)};
constexpr COLORREF DetailTitle = RGB(255, 255, 0); // the stock's name over its detailed quote

// ---- Caption bar ----
constexpr COLORREF CaptionFill = RGB(25, 66, 115); // when the caption's picture is missing
constexpr COLORREF CaptionTitle = RGB(220, 220, 220);
constexpr COLORREF ActivityTrack = RGB(25, 66, 115);
constexpr COLORREF ActivityDialling = RGB(255, 108, 0);
constexpr COLORREF ActivityConnecting = RGB(2, 226, 244);
constexpr COLORREF ActivitySending = RGB(255, 255, 0);
constexpr COLORREF ActivityReceiving = RGB(255, 0, 0);
constexpr COLORREF ActivityNone = RGB(0, 0, 0);

// ---- Bottom bars (icon strip and command bar) ----
constexpr COLORREF BarTop = RGB(52, 60, 78);
constexpr COLORREF BarBottom = RGB(18, 22, 32);
constexpr COLORREF BarEdge = RGB(242, 184, 48);      // the gold rule on top of a bar
constexpr COLORREF BarEdgeShade = RGB(90, 100, 120); // the rule under it
constexpr COLORREF IconStripText = RGB(236, 238, 242);
constexpr COLORREF IconPressed = RGB(36, 104, 196);
constexpr COLORREF IconCurrent = RGB(44, 70, 120);
constexpr COLORREF CommandBarText = RGB(255, 255, 255);
constexpr COLORREF CommandBarPressedText = RGB(0, 0, 0);
constexpr COLORREF CommandBarDisabledText = RGB(130, 134, 146);
constexpr COLORREF CommandButtonEdge = RGB(16, 18, 26);
constexpr COLORREF CommandButtonFill = RGB(66, 76, 98);
constexpr COLORREF CommandButtonShine = RGB(80, 92, 116); // the upper half of a button not pressed

// ---- Buttons, edits and the keypad ----
constexpr COLORREF PressedFill = RGB(242, 160, 30); // a pressed key or command button
constexpr COLORREF FocusEdge = RGB(242, 160, 30);   // the frame or rule of the focused edit
constexpr COLORREF LightButtonEdge = RGB(100, 100, 100);
constexpr COLORREF LightButtonTop = RGB(250, 250, 252);
constexpr COLORREF LightButtonBottom = RGB(214, 216, 222);
constexpr COLORREF LightButtonPressedTop = RGB(250, 206, 96);
constexpr COLORREF LightButtonPressedBottom = RGB(236, 160, 30);
constexpr COLORREF LightButtonDisabledText = RGB(160, 160, 160);
constexpr COLORREF DarkButtonEdge = RGB(20, 24, 34);
constexpr COLORREF DarkButtonFill = RGB(58, 66, 84);
constexpr COLORREF DarkButtonPressed = RGB(36, 104, 196);
constexpr COLORREF DarkButtonText = RGB(255, 255, 255);
constexpr COLORREF DarkButtonDisabledText = RGB(120, 120, 130);
constexpr COLORREF FramedButtonFill = RGB(250, 250, 250); // style 6: a plain box with a frame
constexpr COLORREF FramedButtonPressed = RGB(250, 206, 96);
constexpr COLORREF EditDisabledFill = RGB(236, 236, 236);
constexpr COLORREF EditDisabledText = RGB(120, 120, 120);
constexpr COLORREF EditTip = RGB(160, 160, 160);
constexpr COLORREF Caret = RGB(36, 104, 196);
constexpr COLORREF KeypadFill = RGB(58, 66, 84);
constexpr COLORREF KeypadTop = RGB(70, 78, 96);
constexpr COLORREF KeypadBottom = RGB(40, 46, 60);
constexpr COLORREF KeyFace = RGB(246, 247, 250);
constexpr COLORREF FunctionKeyFace = RGB(176, 182, 196);
constexpr COLORREF KeyEdge = RGB(90, 96, 110);
constexpr COLORREF KeyText = RGB(0, 0, 0);
constexpr COLORREF CheckBoxEdge = RGB(100, 100, 100);
constexpr COLORREF CheckBoxFill = RGB(255, 255, 255);
constexpr COLORREF CheckTick = RGB(20, 140, 20);

// ---- Selection and highlight bands ----
constexpr COLORREF SelectionTop = RGB(255, 232, 150); // when the selection picture is missing
constexpr COLORREF SelectionBottom = RGB(244, 180, 52);
constexpr COLORREF HighlightLight = RGB(255, 236, 170);
constexpr COLORREF HighlightMiddle = RGB(250, 206, 96);
constexpr COLORREF HighlightStrongTop = RGB(246, 184, 52);
constexpr COLORREF HighlightStrongBottom = RGB(236, 160, 30);

// ---- Dialogs ----
constexpr COLORREF DialogFill = RGB(30, 36, 50);
constexpr COLORREF DialogEdge = RGB(242, 184, 48);
constexpr COLORREF DialogTitle = RGB(242, 184, 48);
constexpr COLORREF DialogText = RGB(255, 255, 255);
constexpr COLORREF DialogBandTop = RGB(52, 64, 92); // the caption band fades into DialogFill
constexpr COLORREF DialogRule = RGB(90, 100, 120);
constexpr COLORREF PopupTop = RGB(44, 52, 70);
constexpr COLORREF PopupBottom = RGB(18, 22, 32);
constexpr COLORREF ProgressTrack = RGB(16, 18, 26);
constexpr COLORREF ProgressTop = RGB(255, 214, 100);
constexpr COLORREF ProgressBottom = RGB(214, 140, 20);
constexpr COLORREF ProgressGlint = RGB(255, 250, 220);

// ---- Quote and trade tables ----
constexpr COLORREF PercentBoxBorder = RGB(160, 160, 160); // the change box of a quote row
constexpr COLORREF PercentBoxText = RGB(230, 230, 230);
// A quote row redraws the shipped red, white and green: darker on the selection and in the change box, the
// green softer on a plain row.
constexpr COLORREF RiseOnSelection = RGB(160, 30, 30);
constexpr COLORREF FallOnSelection = RGB(20, 120, 20);
constexpr COLORREF FallOnPlainRow = RGB(20, 200, 20);
constexpr COLORREF FallOnSelectedRow = RGB(20, 140, 20); // the scheme's green on a selected table row
constexpr COLORREF SelectedVolume = RGB(110, 70, 0);     // a deal's volume on the selection
constexpr COLORREF BookAskText = RGB(200, 0, 0);
constexpr COLORREF BookBidText = RGB(0, 128, 0);

// ---- Font sizes ----
constexpr int TextSize = 24;     // a control's text unless it asks otherwise
constexpr int FormTextSize = 24; // form rows: labels, values, edits and buttons
constexpr int DialogTextSize = 24;
constexpr int DialogTitleSize = 26;
constexpr int CommandBarTextSize = 26;
constexpr int IconStripTextSize = 16;
constexpr int IndexTextSize = 21; // the index tables
constexpr int ChartTextSize = 18;
constexpr int KeyTextSize = 32;
constexpr int FunctionKeyTextSize = 24;
constexpr int ScreenCommandBarTextSize = 24; // the three-button bar of the client's screens
constexpr int WaitTextSize = 22;             // the text of a wait dialog
constexpr int QuoteRowTextSize = 22;         // a quote table row: name, prices and the change box
constexpr int QuoteCodeTextSize = 20;        // the code under a row's name
constexpr int QuoteHeadingTextSize = 23;     // the quote table's column headings
constexpr int DetailTextSize = 21;           // the detailed quote's and the deal list's grids
constexpr int BookTextSize = 20;             // the order form's five bids and asks
constexpr int ChartMessageTextSize = 24;     // what an empty chart says instead
constexpr int PickerFieldTextSize = 21;      // the chosen row in a drop-down box's field
constexpr int PickerListTextSize = 18;       // the rows of its open list
constexpr int ChoiceListTextSize = 23;       // the rows of a list of choices
constexpr int BranchListTextSize = 22;       // the user's branch offices
constexpr int MessageEditTextSize = 27;      // the text message being written
constexpr int PointKeyTextSize = 28;         // the keypad's point key when it has no picture
constexpr int SectionTitleSize = 26;         // a heading over part of a screen: choices, the detailed quote
constexpr int NoteTextSize = 22;             // a note by a form or a list: the sign-up prompt, a service card
constexpr int FinePrintTextSize = 20;        // the lines under the sign-up prompt

// ---- Metrics ----
constexpr int CaptionHeight = 42;
constexpr int BarHeightPortrait = 65;
constexpr int BarHeightLandscape = 50;
constexpr int FormRowPitch = 64; // order and confirmation forms
constexpr int ButtonRadius = 8;
constexpr int EditRadius = 6;
constexpr int PanelRadius = 10;

// Plain text readable on a ground: dark text on paper, light text on anything else.
constexpr COLORREF PlainTextOn(COLORREF ground)
{
    return ground == PaperFill ? PaperText : DarkText;
}
// The colour num/den of the way from a to b.
COLORREF Mix(COLORREF a, COLORREF b, int num, int den);
// A colour as a 32-bit pixel, opaque (0xAARRGGBB).
constexpr uint32_t Pixel(COLORREF c)
{
    return 0xFF000000u | (uint32_t)GetRValue(c) << 16 | (uint32_t)GetGValue(c) << 8 | GetBValue(c);
}

// ---- Painters of the shared looks ----
// The frame of a framed button (style 6), pressed or not.
void DrawFramedButton(HDC dc, const RECT& rect, bool pressed);
// The frame around a multi-line text area, drawn over its edge; the focused area's frame is gold.
void DrawTextAreaFrame(HDC dc, const RECT& rect, bool focused);
// The rounded panel behind a form's rows, with its shadow down and to the right when asked.
void DrawPanel(HDC dc, const RECT& rect, bool shadow);
// The background of a selected list row: the platform's selection picture, else a gold gradient.
void DrawSelectionBackground(HDC dc, const RECT& rect);
// The highlight bar of a pressed heading: light, strong and light bands from top to bottom.
void DrawHighlightBar(HDC dc, const RECT& rect);
// A check-box frame (MZ_IMAGE_CHECKED or MZ_IMAGE_UNCHECKED) centred in rect.
void DrawCheckFrame(HDC dc, const RECT& rect, UINT kind);
// The thin vertical position indicator of a scrolled view inside rc.
void DrawScrollIndicator(HDC dc, const RECT& rc, int offset, int contentHeight);

} // namespace Style
