#include "trading/FormRows.h"

#include "core/TextHelpers.h"
#include "platform/ui/Style.h"
#include "shell/FundBaseWnd.h"
#include "platform/win/SecureMemory.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int FORM_TEXT_SIZE = Style::FormTextSize;

// The height of one line of form text, and of text wrapped at width.
SIZE MeasureFormText(HWND window, LPCWSTR text, int width)
{
    SIZE size{0, 0};
    HDC dc = GetDC(window);
    if (dc == nullptr)
        return size;
    HGDIOBJ old = SelectObject(dc, CreateMzFont(FORM_TEXT_SIZE, FW_NORMAL));
    RECT one{0, 0, width, 0};
    size.cx = DrawTextW(dc, u"国", -1, &one, DT_SINGLELINE | DT_CALCRECT);
    RECT all{0, 0, width, 0};
    size.cy = DrawTextW(dc, text, -1, &all, DT_WORDBREAK | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size;
}

} // namespace

CFormRows::~CFormRows()
{
    WipePasswords();
}

UiStatic* CFormRows::MakeLabel(LPCWSTR label, int row)
{
    RECT r;
    form->GetRowRect(&r, 0, row);
    auto text = std::make_unique<UiStatic>();
    text->SetPos(r.left, r.top, r.right - r.left, r.bottom - r.top);
    text->SetText(label);
    text->SetTextSize(FORM_TEXT_SIZE);
    text->SetTextColor(Style::FormLabel);
    UiStatic* made = text.get();
    form->GetContentPanel().AddChild(made);
    texts.push_back(std::move(text));
    return made;
}

int CFormRows::AddLabel(LPCWSTR label)
{
    int row = count++;
    labels.push_back(MakeLabel(label, row));
    form->rowCount = count;
    return row;
}

UiStatic* CFormRows::AddText(LPCWSTR label, LPCWSTR value)
{
    int row = AddLabel(label);
    RECT r;
    form->GetRowRect(&r, 1, row);
    auto text = std::make_unique<UiStatic>();
    text->SetPos(r.left, r.top, r.right - r.left, r.bottom - r.top);
    text->SetText(value);
    text->SetTextSize(FORM_TEXT_SIZE);
    text->SetTextColor(Style::FormValue);
    UiStatic* made = text.get();
    form->GetContentPanel().AddChild(made);
    texts.push_back(std::move(text));
    return made;
}

UiStatic* CFormRows::AddWrappedText(LPCWSTR label, LPCWSTR value)
{
    RECT r;
    form->GetRowRect(&r, 1, count);
    SIZE text = MeasureFormText(form->GetHWND(), value != nullptr ? value : u"", r.right - r.left);
    int line = (int)text.cx;
    if (line <= 0 || text.cy <= line)
        return AddText(label, value);
    AddLabel(label);
    // The first line beside the label, the others below it, on as many rows as they take.
    auto wrapped = std::make_unique<UiCaptionLabel>();
    int top = r.top + (r.bottom - r.top - line) / 2;
    wrapped->SetPos(r.left, top, r.right - r.left, (int)text.cy);
    wrapped->SetVCenter(false);
    wrapped->SetText(value);
    wrapped->SetTextSize(FORM_TEXT_SIZE);
    wrapped->SetTextColor(Style::FormValue);
    for (int bottom = r.bottom; bottom < top + text.cy; bottom += form->rowPitch)
        AddLabel(u"");
    UiStatic* made = wrapped.get();
    form->GetContentPanel().AddChild(made);
    texts.push_back(std::move(wrapped));
    return made;
}

UiLineEdit* CFormRows::AddEdit(LPCWSTR label, int sip, int maxChars, bool password, UiLineEdit* own)
{
    int row = AddLabel(label);
    RECT r;
    form->GetRowRect(&r, 1, row);
    UiLineEdit* edit = own;
    if (edit == nullptr) {
        edits.push_back(std::make_unique<UiLineEdit>());
        edit = edits.back().get();
    }
    edit->SetPos(r.left, r.top + 5, r.right - r.left, r.bottom - r.top - 10);
    edit->SetSipMode(sip);
    edit->SetMaxChars(maxChars);
    edit->SetPassword(password);
    edit->SetTextSize(FORM_TEXT_SIZE);
    if (password && own == nullptr)
        passwords.push_back(edit); // the form wipes its own edits
    form->GetContentPanel().AddChild(edit);
    return edit;
}

CNumberEdit* CFormRows::AddNumberEdit(LPCWSTR label, int maxChars)
{
    auto edit = std::make_unique<CNumberEdit>();
    CNumberEdit* made = edit.get();
    edits.push_back(std::move(edit));
    AddEdit(label, SIP_KIND_NUMBER, maxChars, false, made);
    return made;
}

int CNumberEdit::OnChar(WCHAR ch)
{
    int changed = CMatchEdit::OnChar(ch);
    if (changed)
        PostNotify(NOTIFY_CHANGED, 0);
    return changed;
}

void CFormRows::SetLabel(int row, LPCWSTR label)
{
    if (row >= 0 && row < (int)labels.size())
        labels[(size_t)row]->SetText(label);
}

UiPushButton* CFormRows::AddChoice(LPCWSTR label, LPCWSTR choice, int id, std::function<void()> tap)
{
    if (tap)
        SetTap(id, std::move(tap));
    int row = AddLabel(label);
    RECT r;
    form->GetRowRect(&r, 1, row);
    buttons.push_back(std::make_unique<UiPushButton>());
    UiPushButton* button = buttons.back().get();
    button->SetPos(r.left, r.top + 5, r.right - r.left, r.bottom - r.top - 10);
    button->SetButtonType(MZC_BUTTON_LIGHT);
    button->SetID(id);
    button->SetText(choice);
    button->SetTextSize(FORM_TEXT_SIZE);
    form->GetContentPanel().AddChild(button);
    return button;
}

void CFormRows::SetTap(int id, std::function<void()> tap)
{
    taps[id] = std::move(tap);
}

bool CFormRows::Tap(int id)
{
    auto found = taps.find(id);
    if (found == taps.end() || !found->second)
        return false;
    found->second();
    return true;
}

RECT CFormRows::GetPanelRect() const
{
    if (count == 0)
        return RECT{0, 0, 0, 0};
    RECT first, last;
    form->GetRowRect(&first, 0, 0);
    form->GetRowRect(&last, 1, count - 1);
    return RECT{first.left, first.top, last.right, last.bottom};
}

void CFormRows::WipePasswords()
{
    for (UiLineEdit* edit : passwords)
        edit->WipeText();
}

CTypedSecret::CTypedSecret(const UiLineEdit& edit)
{
    char* narrow = nullptr;
    WideToAnsi(edit.GetText(), &narrow);
    if (narrow != nullptr) {
        text.assign(narrow);
        SecureZeroMemory(narrow, strlen(narrow));
        free(narrow);
    }
}

CTypedSecret::~CTypedSecret()
{
    SecureZeroMemory(text.data(), text.size());
}
