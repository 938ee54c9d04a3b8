#include "funds/FundOpenAccountWnd.h"

#include "funds/FundFunctions.h"
#include "funds/FundOrder.h"
#include "funds/FundQuery.h"
#include "platform/win/Time.h"
#include "trading/OrderCheck.h"

#include <cctype>
#include <cstdlib>

namespace {

// The server takes values as they come: these would end a value or start another.
bool IsPlainText(const std::string& text)
{
    return text.find_first_of("&= ") == std::string::npos;
}

bool IsDigits(const std::string& text, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        if (!isdigit((unsigned char)text[i]))
            return false;
    return true;
}

// The last character of an 18-character resident identity card number checks the first seventeen.
bool IdentityCheckMatches(const std::string& number)
{
    static const int weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    int sum = 0;
    for (size_t i = 0; i < 17; ++i)
        sum += (number[i] - '0') * weights[i];
    return "10X98765432"[sum % 11] == number[17];
}

// The birth date an identity card number carries, YYYYMMDD (a 15-character number's year is 19YY).
int BirthDateOf(const std::string& number)
{
    if (number.size() == 18)
        return atoi(number.substr(6, 8).c_str());
    return 19000000 + atoi(number.substr(6, 6).c_str());
}

} // namespace

CFundOpenAccountWnd::CFundOpenAccountWnd(LPCWSTR title, HWND owner) : CFundFormWnd(title, owner)
{
    actionLabel = u"开户";
    // The document types in the server's numbering.
    documents = {{{"dm", "0"}, {"label", GbFromWide(u"身份证")}},
                 {{"dm", "1"}, {"label", GbFromWide(u"护照")}},
                 {{"dm", "2"}, {"label", GbFromWide(u"军官证")}}};
}

CFundOpenAccountWnd::~CFundOpenAccountWnd() = default;

LPCWSTR CFundOpenAccountWnd::GetMzClassName()
{
    return u"CFundOpenAccountWnd";
}

void CFundOpenAccountWnd::CreateControls()
{
    companyButton = choices.Add(rows, u"基金公司", ID_COMPANY, u"基金公司", companies, company,
                                [this](int row) { ChooseCompany(row); });
    nameEdit = rows.AddEdit(u"姓名", SIP_KIND_DEFAULT, 20);
    nameEdit->SetTip(u"开户人姓名");
    documentButton = choices.Add(rows, u"证件类型", ID_DOCUMENT, u"证件类型", documents, document,
                                 [this](int row) { ChooseDocument(row); });
    numberEdit = rows.AddEdit(u"证件号码", SIP_KIND_DEFAULT, 18);
    phoneEdit = rows.AddEdit(u"联系电话", SIP_KIND_NUMBER, 20);
    addressEdit = rows.AddEdit(u"联系地址", SIP_KIND_DEFAULT, 40);
    addressEdit->SetTip(u"选填");
    ChooseDocument(0);
}

void CFundOpenAccountWnd::Request()
{
    AskFund(this, &lookup, 1, FundFunction(FUND_FUNCTIONS, FUND_COMPANIES));
}

void CFundOpenAccountWnd::OnReply(const BYTE* data, int length, int transportFailed)
{
    std::vector<FundRow> found;
    if (!ReadLookupReply(this, data, length, transportFailed, &found))
        return;
    std::string current = company >= 0 ? FieldOf(companies[(size_t)company], "tacode") : "";
    companies = std::move(found);
    for (FundRow& row : companies)
        row["label"] = FieldOf(row, "jjgs") + (FieldOf(row, "ykh") == "1" ? GbFromWide(u"（已开户）") : "");
    ChooseCompany(FindFundRow(companies, "tacode", current));
}

void CFundOpenAccountWnd::ChooseCompany(int row)
{
    bool valid = row >= 0 && row < (int)companies.size();
    company = valid ? row : -1;
    companyButton->SetText(valid ? WideFromGb(FieldOf(companies[(size_t)row], "label").c_str()).c_str() : u"请选择");
    Invalidate();
}

void CFundOpenAccountWnd::ChooseDocument(int row)
{
    bool valid = row >= 0 && row < (int)documents.size();
    document = valid ? row : 0;
    documentButton->SetText(WideFromGb(FieldOf(documents[(size_t)document], "label").c_str()).c_str());
    Invalidate();
}

const char16_t* CFundOpenAccountWnd::CheckDetails(const std::string& name, const std::string& documentType,
                                                  const std::string& number, const std::string& phone,
                                                  const std::string& address, int today)
{
    if (name.empty() || !IsPlainText(name))
        return u"请输入开户人姓名（不含空格、&和=）！";
    bool identityCard = documentType == "0";
    size_t n = number.size();
    bool numberOk = identityCard ? (n == 15 || n == 18) && IsDigits(number, 0, n - 1) &&
                                       (isdigit((unsigned char)number[n - 1]) || (n == 18 && number[n - 1] == 'X'))
                                 : n >= 5 && IsPlainText(number);
    if (!numberOk)
        return identityCard ? u"请输入15或18位身份证号码！" : u"请输入有效的证件号码！";
    // A day that was, since 1900: not month 13, not 30 February, not a birth still to come.
    int born = identityCard ? BirthDateOf(number) : 0;
    if (identityCard && (born / 10000 < 1900 || !IsCalendarDate(born) || born > today))
        return u"身份证号码中的出生日期无效，请核对！";
    if (identityCard && n == 18 && !IdentityCheckMatches(number))
        return u"身份证号码校验位不正确，请核对！";
    if (phone.size() < 7 || phone.size() > 20 || !IsDigits(phone, 0, phone.size()))
        return u"请输入7到20位数字的联系电话！";
    if (!IsPlainText(address))
        return u"联系地址不能含有空格、&和=！";
    return nullptr;
}

void CFundOpenAccountWnd::OnActionButton()
{
    if (company < 0) {
        ShowFormTip(this, u"请选择基金公司！");
        return;
    }
    const FundRow& at = companies[(size_t)company];
    if (FieldOf(at, "ykh") == "1") {
        ShowFormTip(this, u"您已开立该基金公司的基金账户！");
        return;
    }
    std::string name = GbFromWide(nameEdit->GetText()), number = GbFromWide(numberEdit->GetText()),
                phone = GbFromWide(phoneEdit->GetText()), address = GbFromWide(addressEdit->GetText());
    const std::string& type = FieldOf(documents[(size_t)document], "dm");
    // An identity card's check letter is a capital X, however it was typed.
    if (type == "0" && !number.empty() && number.back() == 'x')
        number.back() = 'X';
    SYSTEMTIME now;
    GetLocalTime(&now);
    int today = now.wYear * 10000 + now.wMonth * 100 + now.wDay;
    if (const char16_t* problem = CheckDetails(name, type, number, phone, address, today)) {
        ShowFormTip(this, problem);
        return;
    }
    FundOrderLines lines = {{u"基金公司", WideFromGb(FieldOf(at, "jjgs").c_str())},
                            {u"姓名", WideFromGb(name.c_str())},
                            {u"证件类型", WideFromGb(FieldOf(documents[(size_t)document], "label").c_str())},
                            {u"证件号码", WideFromGb(number.c_str())},
                            {u"联系电话", WideFromGb(phone.c_str())}};
    if (!address.empty())
        lines.push_back({u"联系地址", WideFromGb(address.c_str())});
    std::string request = FundFunction(FUND_FUNCTIONS, FUND_OPEN_ACCOUNT) + "&tacode=" + FieldOf(at, "tacode") +
                          "&xm=" + name + "&zjlx=" + type + "&zjhm=" + number + "&dh=" + phone;
    if (!address.empty())
        request += "&dz=" + address;
    if (SubmitFundOrder(this, u"基金开户", lines, request, {u"开户成功，基金账号：", "jjzh"}) == ORDER_ACCEPTED)
        Request(); // the company now shows as opened
}
