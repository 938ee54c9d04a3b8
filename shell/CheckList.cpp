// The check list.
#include "shell/CheckList.h"

#include "platform/ui/Style.h"
#include "platform/ui/UiDraw.h"
#include "platform/ui/UiStatic.h"

CCheckList::~CCheckList()
{
    RemoveAll(); // payloads are released while this class is still whole
}

ListItemPayload* CCheckList::PayloadOf(int row) const
{
    const ListItem* item = GetItem(row);
    return item != nullptr ? reinterpret_cast<ListItemPayload*>(item->Data) : nullptr;
}

int CCheckList::IsChecked(int row) const
{
    ListItemPayload* payload = PayloadOf(row);
    return payload != nullptr ? (payload->flag != 0 ? 1 : 0) : 0;
}

void CCheckList::SetChecked(int row, int flag)
{
    if (ListItemPayload* payload = PayloadOf(row))
        payload->flag = flag & 0xFF;
}

int CCheckList::CountChecked() const
{
    int n = 0;
    for (int i = 0; i < GetItemCount(); ++i)
        n += IsChecked(i);
    return n;
}

void CCheckList::OnRemoveItem(int index)
{
    ListItem* item = GetItem(index);
    if (item == nullptr)
        return;
    if (releasePayload != nullptr)
        releasePayload(item);
    item->Data = 0;
}

int CCheckList::OnLButtonUp(UINT flags, int x, int y)
{
    // Read before the list's own release handling clears them: a drag or a press that only stopped the motion
    // is no tap.
    bool tap = !IsMoved() && !IsStopPress();
    int r = UiList::OnLButtonUp(flags, x, y);
    if (!tap)
        return r;
    int row = CalcIndexOfPos(x, y);
    int selected = GetSelectedIndex();
    if (row < 0)
        return r;
    if (!multiChoice && tapNotify)
        PostNotify(NOTIFY_TAPPED, row); // posted: handled after the toggle below
    if (row == selected) {
        if (reTapNotify && !tapNotify) {
            PostNotify(NOTIFY_RETAPPED, row);
            return r;
        }
        if (!multiChoice)
            return r;
    } else if (!multiChoice && selected >= 0 && IsChecked(selected)) {
        SetChecked(selected, 0);
    }
    SetChecked(row, IsChecked(row) ? 0 : 1);
    SetSelectedIndex(row);
    if (selected >= 0)
        EnsureVisible(selected);
    EnsureVisible(row);
    Invalidate();
    return r;
}

void CCheckList::DrawItem(HDC dc, int index, RECT* rcItem, RECT* rcWin, RECT* rcUpdate)
{
    UiList::DrawItem(dc, index, rcItem, rcWin, rcUpdate);
    if (PayloadOf(index) == nullptr)
        return;
    bool checked = IsChecked(index) != 0;
    if (multiChoice || checked) {
        RECT box{rcItem->right - CHECK_WIDTH, rcItem->top, rcItem->right, rcItem->bottom};
        Style::DrawCheckFrame(dc, box, checked ? MZ_IMAGE_CHECKED : MZ_IMAGE_UNCHECKED);
    }
}

void CCheckList::Describe(UiDescription& out) const
{
    UiList::Describe(out);
    out.kind = "CCheckList";
    out.extra += out.extra.empty() ? "" : " ";
    out.extra += "checked=";
    bool first = true;
    for (int i = 0; i < GetItemCount(); ++i) {
        if (IsChecked(i)) {
            out.extra += (first ? "" : ",") + std::to_string(i);
            first = false;
        }
    }
}

void StyleChoiceList(UiStatic& caption, const char16_t* text, int captionId, CCheckList& list, int listId)
{
    caption.SetID(captionId);
    caption.SetText(text);
    caption.SetTextStyle(4);
    caption.SetTextSize(Style::SectionTitleSize);
    list.SetID(listId);
    list.SetDragScrollMode(2);
    list.SetNotify(false);
    list.SetItemHeight(45);
    list.SetTextSize(Style::ChoiceListTextSize);
    list.SetTextColor(Style::PaperText);
    list.reTapNotify = 0;
    list.multiChoice = 0;
    list.tapNotify = 0;
}
