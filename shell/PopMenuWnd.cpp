// The popup action menu.
#include "shell/PopMenuWnd.h"

#include "shell/WndManager.h"

#include <algorithm>

CPopMenuWnd::CPopMenuWnd() : CMzPopupTextWnd(nullptr)
{
    items.reserve(64);
    buttons.reserve(64);
}

CPopMenuWnd::~CPopMenuWnd()
{
    // Buttons leave the scroll area before it goes.
    for (auto& button : buttons)
        scrollArea.RemoveChild(button.get());
    buttons.clear();
    items.clear();
}

LPCWSTR CPopMenuWnd::GetMzClassName()
{
    return u"CPopMenuWnd";
}

void CPopMenuWnd::AddItem(const MzPopupItem& item)
{
    items.push_back(std::make_unique<MzPopupItem>(item));
}

int CPopMenuWnd::GetHeight()
{
    RECT work;
    CWndManager::GetInstance()->GetWorkRect(&work);
    long long wanted = (long long)items.size() * ROW_PITCH + 28;
    return (int)std::min<long long>(wanted, work.bottom - work.top);
}

BOOL CPopMenuWnd::OnInitDialog()
{
    if (!CMzPopupTextWnd::OnInitDialog())
        return FALSE;
    int width = GetWidth();
    scrollArea.SetPos(0, 14, width, std::max(0, GetHeight() - 28));
    scrollArea.SetID(100);
    scrollArea.SetDragScrollMode(1);
    scrollArea.EnableScrollBarV(true);
    AddUiWin(&scrollArea);
    // The item added last stands at the top, the first at the bottom.
    int n = (int)items.size();
    for (int k = n - 1; k >= 0; --k) {
        const MzPopupItem& item = *items[(size_t)k];
        auto button = std::make_unique<UiPushButton>();
        button->SetButtonType((int)item.style);
        button->SetPos(15, 10 + ROW_PITCH * (n - 1 - k), width - 30, BUTTON_HEIGHT);
        button->SetID((int)item.id);
        button->SetText(item.text.C_Str());
        scrollArea.AddChild(button.get());
        buttons.push_back(std::move(button));
    }
    return TRUE;
}

UiPushButton* CPopMenuWnd::GetButton(int index)
{
    if (index < 0 || (size_t)index >= buttons.size())
        return nullptr;
    return buttons[(size_t)index].get();
}

int CPopMenuWnd::RunModal(HWND owner)
{
    RECT work;
    CWndManager::GetInstance()->GetWorkRect(&work);
    int height = GetHeight();
    SetShowAnimation(1);
    SetHideAnimation(2);
    if (!Create(work.left, work.bottom - height, work.right - work.left, height, owner, 0, WS_POPUP))
        return NO_CHOICE;
    return DoModal();
}

int CPopMenuWnd::RunChoices(HWND owner, const PopMenuChoice* choices, int count)
{
    CPopMenuWnd menu;
    for (int i = 0; i < count; i++) {
        MzPopupItem item;
        item.text = choices[i].text;
        item.id = (DWORD)choices[i].id;
        menu.AddItem(item);
    }
    return menu.RunModal(owner);
}
