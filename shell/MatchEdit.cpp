// The length-watching edit.
#include "shell/MatchEdit.h"

#include "platform/win/WideText.h"

int CMatchEdit::OnChar(WCHAR ch)
{
    int r = UiLineEdit::OnChar(ch);
    if (ch == 8)
        return r;
    // Without a maximum there is no "complete" to report.
    int max = GetMaxChars();
    if (max > 0 && (int)wcslen(GetText()) == max)
        PostNotify(NOTIFY_FULL, 0);
    return r;
}

void CMatchEdit::Describe(UiDescription& out) const
{
    UiLineEdit::Describe(out);
    out.kind = "CMatchEdit";
}
