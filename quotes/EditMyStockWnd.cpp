#include "quotes/EditMyStockWnd.h"

#include "core/AppData.h"
#include "core/DataSet.h"
#include "core/ReplyRecordSet.h"
#include "core/TextHelpers.h"
#include "platform/ui/MzDialogs.h"
#include "platform/ui/Style.h"
#include "quotes/MyQuotes.h"
#include "quotes/QuoteRequest.h"
#include "shell/WndMessages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr char EDITOR_PARAMS[] = "tc_mfuncno=31000&tc_sfuncno=4";
constexpr int PINYIN_MAIN = 31000;
constexpr int PINYIN_SUB = 10;

std::string Text(const char* s)
{
    return s != nullptr ? s : "";
}

} // namespace

CEditMyStockWnd::CEditMyStockWnd(LPCWSTR title, HWND owner, int modeValue) : CNetWnd(title, owner), mode(modeValue)
{
    wndType = 13;
    autoRefresh = 0;
    firstActivation = 0;
    requestOnActive = 0;
}

CEditMyStockWnd::~CEditMyStockWnd()
{
    list.RemoveAll();
}

LPCWSTR CEditMyStockWnd::GetMzClassName()
{
    return u"CEditMyStockWnd";
}

int CEditMyStockWnd::IsPinyinInput(std::string& text)
{
    if (text.size() < 2)
        return 0;
    for (char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return 0;
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return 1;
}

BOOL CEditMyStockWnd::OnInitDialog()
{
    if (!CNetWnd::OnInitDialog())
        return FALSE;
    RemoveUiWin(&contentPanel);

    edit.SetID(ID_EDIT);
    edit.SetMaxChars(INPUT_LIMIT);
    edit.SetTextColor(Style::EditText);
    edit.SetTip(u"代码或拼音缩写");
    AddUiWin(&edit);

    searchButton.SetID(ID_SEARCH_BUTTON);
    searchButton.SetText(u"查询股票");
    searchButton.SetButtonType(MZC_BUTTON_FRAMED);
    searchButton.SetTextColor(Style::ButtonText);
    AddUiWin(&searchButton);

    label.SetID(ID_LABEL);
    label.SetFontSize(Style::NoteTextSize);
    AddUiWin(&label);

    list.SetID(ID_LIST);
    list.SetItemHeight(45);
    list.EnableScrollBarV(true);
    list.SetTextColor(Style::PaperText);
    AddUiWin(&list);

    if (mode == MODE_SEARCH) {
        label.SetVisible(false);
        list.reTapNotify = 1;
        list.tapNotify = 1;
        list.multiChoice = 0;
        RemoveUiWin(&toolBar);
        commandBar.SetButton(0, true, true, u"确定");
        commandBar.SetButton(2, true, true, u"退出");
        AddUiWin(&commandBar);
    } else {
        const UINT images[] = {121, 130, 134, 135, 131, 116};
        for (UINT image : images)
            toolBar.AddButton(image);
        addView = 0;
        requestOnActive = 1;
    }
    Layout();
    if (mode == MODE_SEARCH)
        edit.SetFocus(true);
    return TRUE;
}

void CEditMyStockWnd::Layout()
{
    int w = GetWidth() - 80;
    int h = GetHeight();
    int stripHeight = mode == MODE_SEARCH ? commandBar.GetFormHeight() : toolBar.GetFormHeight();
    edit.SetSipMode(GetWidth() >= 720 ? 2 : 5);
    bool showInput = mode == MODE_SEARCH || addView != 0;
    edit.SetVisible(showInput);
    searchButton.SetVisible(showInput);
    edit.SetPos(40, 62, w / 2, 60);
    searchButton.SetPos(40 + w * 6 / 10, 57, w * 4 / 10, 70);
    int listTop = 142;
    if (mode == MODE_EDIT) {
        label.SetVisible(true);
        label.SetText(addView ? u"可添加的股票列表：" : u"我的股票列表：");
        label.SetPos(40, addView ? 132 : 62, 200, 60);
        listTop = addView ? 192 : 122;
        toolBar.SetButtonImage(1, addView ? 133 : 130);
    }
    int listHeight = h - stripHeight - 20 - listTop;
    list.SetPos(40, listTop, w, listHeight > 0 ? listHeight : 0);
    frame = RECT{list.GetPosX() - 3, list.GetPosY(), list.GetPosX() + list.GetWidth() + 3,
                 list.GetPosY() + list.GetHeight()};
}

void CEditMyStockWnd::OnScreenModeChanged(int orientation)
{
    CNetWnd::OnScreenModeChanged(orientation);
    Layout();
}

void CEditMyStockWnd::PaintWin(HDC dc, RECT* rcWin, RECT* rcUpdate)
{
    // The background first (the host's painting would fill over the box), then the box, then the controls.
    CMzWnd::PaintWin(dc, rcWin, rcUpdate);
    if (frame.right > frame.left) {
        // DrawRoundBox widens what it is given by 3 pixels itself: it gets the list's own rectangle.
        RECT inner{frame.left + 3, frame.top, frame.right - 3, frame.bottom};
        DrawRoundBox(dc, &inner, FALSE, TRUE);
    }
    GetWinManager().Paint(dc, rcUpdate);
}

void CEditMyStockWnd::OnLButtonDown(UINT keys, int x, int y)
{
    int left = edit.GetPosX(), top = edit.GetPosY();
    bool inside = x >= left && x <= left + edit.GetWidth() && y >= top && y <= top + edit.GetHeight();
    if (!inside && edit.IsFocused())
        edit.SetFocus(false);
    CNetWnd::OnLButtonDown(keys, x, y);
}

int CEditMyStockWnd::BuildRequest(char* part, int capacity, const char*)
{
    if (part == nullptr || capacity < 1)
        return 0;
    part[0] = 0;
    CAString text;
    if (mode == MODE_EDIT && addView == 0) {
        CAString stored;
        ReadMyQuotes(&stored);
        text = BuildEditorListRequest(EDITOR_PARAMS, Text(stored.GetText()).c_str());
    } else if (pinyin) {
        text = BuildPinyinSearchRequest(input.c_str());
    } else {
        text = BuildCodeLookupRequest(EDITOR_PARAMS, input.c_str());
    }
    // A cut list would drop stocks at the next save: CopyRequest sends nothing instead.
    return CopyRequest(text, part, capacity);
}

void CEditMyStockWnd::StartSearch()
{
    char* narrow = nullptr;
    WideToAnsi(edit.GetText() != nullptr ? edit.GetText() : u"", &narrow);
    std::string typed = Text(narrow);
    free(narrow);
    if (typed.empty()) {
        CAppData::Instance()->ShowMessageBox(u"请输入股票代码或拼音缩写！", u"Tips", m_hWnd);
        edit.SetFocus(true);
        return;
    }
    pinyin = (BYTE)IsPinyinInput(typed);
    input = typed;
    if (pinyin)
        SendRequest(PINYIN_MAIN, PINYIN_SUB);
    else
        Request();
}

void CEditMyStockWnd::AddRow(const std::string& text, const std::string& code)
{
    ListItem item;
    MakeListItem(text.c_str(), code.c_str(), 0, &item);
    list.AddItem(item);
}

void CEditMyStockWnd::OnReply(const BYTE* data, int length, int)
{
    if (data == nullptr || length <= 0)
        return;
    CReplyRecordSet reply(data, (DWORD)length);
    if (reply.hasError) {
        CAppData::Instance()->ShowMessage(reply.GetErrorText(), m_hWnd, 0);
        if (list.GetItemCount() > 0) {
            list.RemoveAll();
            Invalidate();
        }
        return;
    }
    CDataSet* set = *reply.GetRecord(0);
    if (set == nullptr || set->GetRowCount() <= 0)
        return;
    list.RemoveAll();
    list.SetSelectedIndex(-1);
    // The stored list is always asked for by code, so its reply has the lookup's columns.
    bool storedListReply = mode == MODE_EDIT && addView == 0;
    bool pinyinReply = pinyin && !storedListReply;
    std::vector<EditorRow> rows;
    set->MoveFirst();
    for (int row = 0; row < set->GetRowCount(); ++row, set->MoveNext()) {
        EditorRow r;
        if (pinyinReply) {
            r.market = Text(set->GetAsText(0));
            r.code = Text(set->GetAsText(2));
            r.name = Text(set->GetAsText(3));
        } else {
            r.name = Text(set->GetAsText(0));
            r.code = Text(set->GetAsText(1));
            r.market = Text(set->GetAsText(2));
        }
        rows.push_back(r);
    }
    if (storedListReply)
        AddStoredRows(rows);
    else
        for (const EditorRow& r : rows) {
            std::string rowCode = Text(FormatCodeMarket(r.code.c_str(), atoi(r.market.c_str()), 1).GetText());
            std::string text =
                pinyinReply ? r.name + "(" + rowCode + ")" : r.name + " (" + r.code + "." + r.market + ")";
            AddRow(text, rowCode);
        }
    if (mode == MODE_SEARCH && list.GetItemCount() == 1) {
        ::PostMessage(m_hWnd, WM_END_WND, 0, (LPARAM)-1);
        OnOK(0);
    } else if (edit.IsFocused()) {
        edit.SetFocus(false);
    }
    Invalidate();
}

void CEditMyStockWnd::AddStoredRows(const std::vector<EditorRow>& rows)
{
    // Rows follow the stored order, and an item the server did not answer stays as it is stored: saving the
    // edit writes back every row, so a stock missing from one reply (or a reordered reply) must not cost the
    // user that stock or their order.
    CAString stored;
    ReadMyQuotes(&stored);
    std::string items = Text(stored.GetText());
    std::vector<bool> used(rows.size(), false);
    size_t start = 0;
    while (start <= items.size()) {
        size_t comma = items.find(',', start);
        std::string item = items.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        start = comma == std::string::npos ? items.size() + 1 : comma + 1;
        if (item.empty())
            continue;
        size_t match = rows.size();
        for (size_t k = 0; k < rows.size() && match == rows.size(); ++k)
            if (!used[k] && MatchesCodeMarket(item.c_str(), rows[k].code.c_str(), atoi(rows[k].market.c_str())))
                match = k;
        if (match == rows.size()) {
            AddRow(item, item);
            continue;
        }
        used[match] = true;
        const EditorRow& r = rows[match];
        AddRow(r.name + " (" + r.code + "." + r.market + ")",
               Text(FormatCodeMarket(r.code.c_str(), atoi(r.market.c_str()), 1).GetText()));
    }
}

std::string CEditMyStockWnd::RowCode(int row) const
{
    if (row < 0 || row >= list.GetItemCount())
        return std::string();
    const ListItem* item = list.GetItem(row);
    const auto* payload = item != nullptr ? (const ListItemPayload*)item->Data : nullptr;
    return payload != nullptr ? Text(payload->code) : std::string();
}

int CEditMyStockWnd::OnOK(int row)
{
    if (row < 0)
        return -1;
    std::string code = RowCode(row);
    if (code.empty())
        return -1;
    char* text = (char*)malloc(32);
    if (text == nullptr)
        return -1;
    snprintf(text, 32, "date=&code=%s", code.c_str());
    if (!::PostMessage(GetOwnerWnd(), WM_OPEN_FS_CHART, 0, (LPARAM)text))
        free(text); // nobody will receive it
    return 1;
}

int CEditMyStockWnd::Ask(LPCWSTR text, LPCWSTR caption)
{
    return MzMessageBox(m_hWnd, text, caption, MZ_MB_YESNO) == MZ_IDYES ? 1 : 0;
}

BOOL CEditMyStockWnd::SaveList()
{
    std::string joined;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        if (row > 0)
            joined += ",";
        joined += RowCode(row);
    }
    return WriteMyQuotes(joined.c_str());
}

void CEditMyStockWnd::OnMzCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (id == ID_SEARCH_BUTTON || (id == ID_EDIT && code == CMatchEdit::NOTIFY_FULL)) {
        StartSearch();
        return;
    }
    if (mode == MODE_SEARCH)
        OnSearchCommand(id, code, lParam);
    else if (id == ID_TOOL_BAR)
        OnEditCommand((int)lParam);
}

void CEditMyStockWnd::OnSearchCommand(int id, int code, LPARAM lParam)
{
    if (id == ID_COMMAND_BAR) {
        if (lParam == 0) {
            int row = list.GetSelectedIndex();
            if (row < 0) {
                CAppData::Instance()->ShowMessageBox(u"您未选中任何股票！", u"提示", m_hWnd);
                return;
            }
            ::PostMessage(m_hWnd, WM_END_WND, 0, (LPARAM)-1);
            OnOK(row);
        } else if (lParam == 2) {
            EndWnd(END_BACK);
        }
        return;
    }
    if (id == ID_LIST && code == CCheckList::NOTIFY_TAPPED) {
        ::PostMessage(m_hWnd, WM_END_WND, 0, (LPARAM)-1);
        OnOK((int)lParam);
    }
}

void CEditMyStockWnd::MoveChecked(int direction)
{
    int count = list.GetItemCount();
    if (addView != 0 || count == 0 || list.CountChecked() == 0)
        return;
    int first = -1;
    if (direction < 0) {
        if (list.IsChecked(0))
            return;
        for (int i = 1; i < count; ++i)
            if (list.IsChecked(i)) {
                list.MoveItem(i, i - 1);
                if (first < 0)
                    first = i - 1;
            }
    } else {
        if (list.IsChecked(count - 1))
            return;
        for (int i = count - 2; i >= 0; --i)
            if (list.IsChecked(i)) {
                list.MoveItem(i, i + 1);
                if (first < 0)
                    first = i + 1;
            }
    }
    modified = 1;
    list.SetSelectedIndex(first);
    Invalidate();
}

void CEditMyStockWnd::SwitchView()
{
    if (addView != 0) {
        addView = 0;
        requestOnActive = 1;
        Layout();
        Request();
    } else {
        if (modified && Ask(u"添加前是否应用当前编辑？", u"提示")) {
            if (SaveList())
                modified = 0;
        }
        list.RemoveAll();
        list.SetSelectedIndex(-1);
        addView = 1;
        requestOnActive = 0;
        Layout();
        edit.SetFocus(true);
    }
    Invalidate();
}

void CEditMyStockWnd::OnEditCommand(int button)
{
    switch (button) {
    case 0:
        if (addView != 0) {
            int n = list.CountChecked();
            if (n == 0) {
                CAppData::Instance()->ShowMessageBox(u"您未选中任何股票！", u"提示", m_hWnd);
                return;
            }
            char question[64];
            snprintf(question, sizeof question,
                     "\xC8\xB7\xB6\xA8\xCC\xED\xBC\xD3\xD5\xE2%d\xD6\xBB\xB9\xC9\xC6\xB1\xA3\xBF",
                     n); // 确定添加这%d只股票？
            std::u16string wide = WideFromGb(question);
            if (!Ask(wide.c_str(), u"提示"))
                return;
            for (int row = 0; row < list.GetItemCount(); ++row)
                if (list.IsChecked(row))
                    AddToMyQuotes(RowCode(row).c_str(), m_hWnd);
            EndWnd(END_BACK);
            return;
        }
        if (modified && !SaveList()) {
            // The old list is kept; stay so the edits are not silently dropped.
            CAppData::Instance()->ShowMessageBox(u"自选股保存失败!", u"提示", m_hWnd);
            return;
        }
        EndWnd(END_BACK);
        return;
    case 1:
        SwitchView();
        return;
    case 2:
        MoveChecked(-1);
        return;
    case 3:
        MoveChecked(1);
        return;
    case 4:
        if (list.CountChecked() == 0 || !Ask(u"确定删除所选股票？", u"tips"))
            return;
        for (int row = list.GetItemCount() - 1; row >= 0; --row)
            if (list.IsChecked(row))
                list.RemoveItem(row);
        list.SetSelectedIndex(-1);
        modified = 1;
        Invalidate();
        return;
    case 5:
        if (addView != 0 || !modified || Ask(u"放弃修改并返回？", u"tips"))
            EndWnd(END_BACK);
        return;
    default:
        return;
    }
}
