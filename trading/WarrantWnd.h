// CWarrantWnd: warrant exercise ("qzxq"): the account's warrants, the chosen one's underlying stock, exercise
// price, ratio, period and the quantity held, and the quantity to exercise, sent through the confirmation.
#pragma once

#include "trading/FormWnd.h"

#include <string>
#include <vector>

class CWarrantWnd : public CFormWnd {
public:
    static constexpr int ID_WARRANT = 370;

    struct Warrant {
        std::string code, name, underlying, price, ratio, held, period; // GB2312 texts of the reply
    };

    CWarrantWnd(LPCWSTR title, HWND owner);
    ~CWarrantWnd() override;

    LPCWSTR GetMzClassName() override;
    void CreateControls() override;
    void OnActionButton() override;
    int BuildRequest(char* part, int capacity, const char* whole) override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;

    void SelectWarrant(int index);
    const std::vector<Warrant>& GetWarrants() const { return warrants; }
    UiLineEdit* GetQuantityEdit() const { return quantityEdit; }
    LPCWSTR GetHeldText() const { return heldText != nullptr ? heldText->GetText() : u""; }

private:
    void PickWarrant();

    std::vector<Warrant> warrants;
    UiPushButton* warrantButton = nullptr;
    UiStatic* underlyingText = nullptr;
    UiStatic* priceText = nullptr;
    UiStatic* ratioText = nullptr;
    UiStatic* periodText = nullptr;
    UiStatic* heldText = nullptr;
    UiLineEdit* quantityEdit = nullptr;
    int warrantIndex = -1;
};
