// CFundOpenAccountWnd: opening of a fund account at a fund company: the company picked from those the server
// lists (those already opened say so), the holder's name, document type and number, phone and address. The
// opening goes out after the user confirms it; the reply carries the new fund account.
#pragma once

#include "funds/FundFormWnd.h"

class CFundOpenAccountWnd : public CFundFormWnd {
public:
    static constexpr int ID_COMPANY = 301;
    static constexpr int ID_DOCUMENT = 302;

    CFundOpenAccountWnd(LPCWSTR title, HWND owner);
    ~CFundOpenAccountWnd() override;

    LPCWSTR GetMzClassName() override;
    void OnReply(const BYTE* data, int length, int transportFailed) override;
    // Fetches the fund companies.
    void Request() override;
    void CreateControls() override;
    void OnActionButton() override;

    void ChooseCompany(int row);
    void ChooseDocument(int row);
    const std::vector<FundRow>& GetCompanies() const { return companies; }
    UiLineEdit* GetNameEdit() const { return nameEdit; }
    UiLineEdit* GetNumberEdit() const { return numberEdit; }
    UiLineEdit* GetPhoneEdit() const { return phoneEdit; }
    UiLineEdit* GetAddressEdit() const { return addressEdit; }

    // The checks of the holder's details (an identity card's birth date against today, YYYYMMDD); null when they
    // pass, else the message for the user.
    static const char16_t* CheckDetails(const std::string& name, const std::string& documentType,
                                        const std::string& number, const std::string& phone, const std::string& address,
                                        int today);

private:
    UiPushButton* companyButton = nullptr;
    UiLineEdit* nameEdit = nullptr;
    UiPushButton* documentButton = nullptr;
    UiLineEdit* numberEdit = nullptr;
    UiLineEdit* phoneEdit = nullptr;
    UiLineEdit* addressEdit = nullptr;
    std::vector<FundRow> companies;
    std::vector<FundRow> documents;
    int company = -1;
    int document = 0;
};
