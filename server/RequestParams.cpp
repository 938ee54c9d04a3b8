// Request body pairs.
#include "server/RequestParams.h"

#include "server/ServerText.h"

#include <cstdlib>

void CRequestParams::Append(const std::string& text)
{
    for (const std::string& piece : Split(text, '&')) {
        if (piece.empty())
            continue;
        size_t eq = piece.find('=');
        if (eq == std::string::npos)
            pairs.emplace_back(piece, std::string());
        else
            pairs.emplace_back(piece.substr(0, eq), piece.substr(eq + 1));
    }
}

void CRequestParams::Set(const std::string& key, const std::string& value)
{
    for (auto& p : pairs)
        if (EqualNoCase(p.first, key)) {
            p.second = value;
            return;
        }
    pairs.emplace_back(key, value);
}

bool CRequestParams::Has(const std::string& key) const
{
    for (const auto& p : pairs)
        if (EqualNoCase(p.first, key))
            return true;
    return false;
}

std::string CRequestParams::Get(const std::string& key, const std::string& fallback) const
{
    for (const auto& p : pairs)
        if (EqualNoCase(p.first, key))
            return p.second;
    return fallback;
}

int CRequestParams::GetInt(const std::string& key, int fallback) const
{
    for (const auto& p : pairs)
        if (EqualNoCase(p.first, key)) {
            if (p.second.empty())
                return fallback;
            return std::atoi(p.second.c_str());
        }
    return fallback;
}
